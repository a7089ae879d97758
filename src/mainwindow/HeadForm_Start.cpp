#include "mainwindow/HeadForm.h"
// PLACEHOLDER: being written.
namespace fyn {
void HeadForm::Form_Load() {}
void HeadForm::Inläs_Kontofil() {}
void HeadForm::NamnReg() {}
void HeadForm::First_account() {}
void HeadForm::NoAccount() {}
void HeadForm::InstallDag() {}
void HeadForm::Exit_Konto() {}
void HeadForm::Command4_Click() {}
void HeadForm::Ex_mn_Click() {}
} // namespace fyn
