#include "mainwindow/HeadForm.h"

// PLACEHOLDER: being written.
namespace fyn {
void HeadForm::GridSetting() {}
void HeadForm::ScrollSet_Enkel() {}
void HeadForm::ScrollSet_Budget() {}
void HeadForm::VSC1_MaxMin() {}
void HeadForm::VSC2_MaxMin() {}
void HeadForm::Inläs_G1() {}
void HeadForm::Inläs_G2() {}
void HeadForm::OmLista_Enkel() {}
void HeadForm::OmLista_Budget() {}
void HeadForm::Rensa_Mark_G1() {}
void HeadForm::Rensa_Mark_G2() {}
void HeadForm::VScroll1_Change() {}
void HeadForm::VScroll2_Change() {}
void HeadForm::G1_Click(int, int) {}
void HeadForm::G2_Click(int, int) {}
void HeadForm::G1_MouseMove() {}
void HeadForm::G2_MouseMove() {}
void HeadForm::refreshWithoutCheck() {}
} // namespace fyn
