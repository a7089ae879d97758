#include "mainwindow/HeadForm.h"
// PLACEHOLDER: being written.
namespace fyn {
void HeadForm::datumset() {}
void HeadForm::DatChg() {}
void HeadForm::Finder() {}
void HeadForm::YearMinus_MouseDown() {}
void HeadForm::YearPlus_MouseDown() {}
void HeadForm::MonthMinus_MouseDown() {}
void HeadForm::MonthPlus_MouseDown() {}
void HeadForm::DayMinus_MouseDown() {}
void HeadForm::DayPlus_MouseDown() {}
void HeadForm::dateLabel_MouseMove() {}
} // namespace fyn
