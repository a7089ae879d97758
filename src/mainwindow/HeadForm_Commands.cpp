#include "mainwindow/HeadForm.h"
// PLACEHOLDER: being written.
namespace fyn {
void HeadForm::Command2_Click() {}
void HeadForm::Command3_Click() {}
void HeadForm::Command3_MouseDown() {}
void HeadForm::Com3_Routines() {}
void HeadForm::AllReset() {}
void HeadForm::Ladda_H_Trans_Budg() {}
void HeadForm::Ladda_H_Trans_Enkel() {}
} // namespace fyn
