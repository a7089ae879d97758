#include "mainwindow/NyKontoForm.h"

#include "mainwindow/HeadForm.h"

#include <QCloseEvent>

// PLACEHOLDER: being written.
namespace fyn {
NyKontoForm::NyKontoForm(HeadForm& head) : head_(head) {}
void NyKontoForm::Form_Load() {}
void NyKontoForm::Option1_MouseUp() {}
void NyKontoForm::Option2_MouseUp() {}
void NyKontoForm::Command1_Click() {}
void NyKontoForm::Command2_Click() {}
void NyKontoForm::Skapa_Konto() {}
void NyKontoForm::closeEvent(QCloseEvent* e) { e->ignore(); }
} // namespace fyn
