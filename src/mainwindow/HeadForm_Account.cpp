#include "mainwindow/HeadForm.h"
// PLACEHOLDER: being written.
namespace fyn {
void HeadForm::Combo3_Click() {}
void HeadForm::Konto_Konfig() {}
void HeadForm::Inläs() {}
void HeadForm::Arr_Kontroller() {}
void HeadForm::Lock_Kontroller() {}
void HeadForm::Lock_menues() {}
void HeadForm::Unlock_menues() {}
void HeadForm::Lock_trans() {}
void HeadForm::Unlock_trans() {}
void HeadForm::Lock_Konto() {}
void HeadForm::Unlock_Konto() {}
void HeadForm::Nykonto_mn_Click() {}
void HeadForm::Text10_Click() {}
void HeadForm::Text10_MouseMove() {}
} // namespace fyn
