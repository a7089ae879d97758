// The command buttons, the cancel rules and the transaction lists.
#include "mainwindow/HeadForm.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "platform/ClickLabel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace fyn {

void HeadForm::Command2_Click() {
    // Inserting, changing, removing and moving postings come with the posting engine.
}

void HeadForm::Command3_Click() {
    if (Module1.CancelFlag != QLatin1String("0")) {
        Module1.CancelFlag = QStringLiteral("0");
        Com3_Routines();
    }
}

void HeadForm::Command3_MouseDown() {
    if (!Module1.Avb.isEmpty()) {
        Com3_Routines();
        return;
    }
    // Nothing under way: back to the last posting on or before the working date.
    if (!ledger::account().kontoData.isOpen())
        return;
    const long found =
        ledger::account().kontoData.lastOnOrBefore(Module1.WorkDate, Module1.AntalPoster);
    if (found > 0)
        Module1.PostNr = found;
    refreshWithoutCheck();
    AllReset();
}

void HeadForm::Com3_Routines() {
    const QString avb = Module1.Avb;
    trap(
        [&] {
            if (avb == QLatin1String("mkg1") || avb == QLatin1String("mkg2")) {
                if (avb == QLatin1String("mkg1"))
                    Rensa_Mark_G1();
                else
                    Rensa_Mark_G2();
                Label30->clear();
                Command3->setText(QStringLiteral("Avbryt"));
                Module1.Avb.clear();
            }
        },
        [&] {
            QStringList message;
            if (avb == QLatin1String("mkg1"))
                message << QStringLiteral("..Markering Enkel bokf.]");
            else if (avb == QLatin1String("mkg2"))
                message << QStringLiteral("..Markering Budg.bokf.]");
            ErrorContext c(QStringLiteral("Command3_Click [Avbryt..."), message,
                           {QStringLiteral("[Avbryt "), QStringLiteral(" (Avb = ") + avb + ")",
                            isBudget() ? QStringLiteral("Kontoslag = BudgetKonto")
                                       : QStringLiteral("Kontoslag = Enkel bokf.")});
            c.routine = QStringLiteral("Command3_Click");
            c.messageSuffix = QStringLiteral(" [Avbryt...");
            return c;
        });
}

void HeadForm::AllReset() {
    HelpHold = 0;
    Module1.TransNr = 0;
    Module1.SubTransNr = 0;
    Module1.PostNr = 0;
    Module1.BelEditFlag = 0;
    MarkRecord = 0;
    MoveState.clear();
    BudgBelText.clear();
    VerklBelText.clear();
    VerklBelOld.clear();
    MarkSign.clear();
    Module1.HuvudTrans.clear();
    Module1.TransTecken.clear();
    Module1.SubTrans.clear();
    Module1.Avb.clear();
    Module1.EditMode = QStringLiteral("flt");
    setHelp(QString(), QString());
    if (Module1.KontoSlag == QLatin1String("Bg")) {
        TransCombo_Budget->setCurrentIndex(-1);
        TransText_Budget->clear();
        BudgBel_Budget->clear();
        VerklBel_Budget->clear();
        BudgBel_Budget->setReadOnly(true);
        VerklBel_Budget->setReadOnly(true);
        G2->setEnabled(true);
        G2->setUpdatesEnabled(false);
        for (int r = 0; r < 10; ++r)
            G2->setRowBack(r, kPaleYellow);
        G2->setUpdatesEnabled(true);
    } else if (Module1.KontoSlag == QLatin1String("Ek")) {
        TransCombo_Enkel->setCurrentIndex(-1);
        TransText_Enkel->clear();
        Bel_Enkel->clear();
        Bel_Enkel->setReadOnly(true);
        G1->setEnabled(true);
        G1->setUpdatesEnabled(false);
        for (int r = 0; r < 10; ++r)
            G1->setRowBack(r, kPaleYellow);
        G1->setUpdatesEnabled(true);
    }
    FormDate = Module1.DagensDatum;
    datumset();
}

// Fills a list with the named main transactions; the item data is the record.
void HeadForm::fillMainList(QComboBox* combo, const QString& prompt) {
    combo->clear();
    const RecordFile& transakt = ledger::account().transakt;
    const long count = transakt.count();
    for (long n = 1; n <= count; ++n) {
        const QString name = trimBlanks(transakt.get<TransPost>(n).TransNamn);
        if (!name.isEmpty())
            combo->addItem(name, qlonglong(n));
    }
    combo->setCurrentIndex(-1);
    combo->setPlaceholderText(prompt);
}

void HeadForm::Ladda_H_Trans_Budg() {
    fillMainList(TransCombo_Budget, QStringLiteral("Välj en huvudtransaktion från listan !"));
}

void HeadForm::Ladda_H_Trans_Enkel() {
    fillMainList(TransCombo_Enkel, QStringLiteral("Välj en huvudtransaktion från listan  !"));
    // The fund-account heading is green when a neutral transaction other than
    // the account start exists.
    const RecordFile& transakt = ledger::account().transakt;
    bool neutral = false;
    const long count = transakt.count();
    for (long n = 2; n <= count && !neutral; ++n) {
        const TransPost t = transakt.get<TransPost>(n);
        neutral = !trimBlanks(t.TransNamn).isEmpty() && t.Tecken == QLatin1String(" ");
    }
    QPalette p = Label12->palette();
    p.setColor(QPalette::Window, neutral ? QColor(0, 255, 0) : QColor(255, 255, 0));
    Label12->setPalette(p);
}

} // namespace fyn
