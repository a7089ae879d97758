// The command buttons, the work modes and the cancel rules.
#include "mainwindow/HeadForm.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "ledger/Engine.h"
#include "mainwindow/AmountTexts.h"
#include "mainwindow/HandlerTexts.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace fyn {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

bool is(const QString& value, const char* text) {
    return value == QLatin1String(text);
}

} // namespace

void HeadForm::wireCommands() {
    for (QPushButton* b : {Command1, Command2, Command3}) {
        b->installEventFilter(this);
        b->setMouseTracking(true);
    }
    connect(Command1, &QPushButton::clicked, this, &HeadForm::Command1_Click);
}

void HeadForm::Command2_Click() {
    const bool enkel = is(Module1.KontoSlag, "Ek");
    const bool budget = is(Module1.KontoSlag, "Bg");
    if (!enkel && !budget)
        return;
    const QString& mode = Module1.EditMode;
    if (is(mode, "inl"))
        budget ? Inpost_Budget() : Inpost_Enkel();
    else if (is(mode, "chg"))
        budget ? ChgPost_Budget() : ChgPost_Enkel();
    else if (is(mode, "rem"))
        budget ? UtPost_Budget() : UtPost_Enkel();
    else if (is(mode, "flt"))
        budget ? PostMover_Budget() : PostMover_Enkel();
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
    if (showWorkDate())
        AllReset();
}

void HeadForm::endWorkMode() {
    // A mode that steps back to a marking (an amount change, a swap) takes a
    // second press, as it does for the user.
    for (int press = 0; press < 4 && !Module1.Avb.isEmpty(); ++press)
        Com3_Routines();
    if (Module1.Avb.isEmpty())
        Module1.CancelFlag = QStringLiteral("0");
}

void HeadForm::Com3_Routines() {
    const QString avb = Module1.Avb;
    const bool budget = isBudget();
    PostingGrid* g = budget ? G2 : G1;
    QComboBox* combo = budget ? TransCombo_Budget : TransCombo_Enkel;
    QLineEdit* transText = budget ? TransText_Budget : TransText_Enkel;
    const QList<QLineEdit*> amountBoxes =
        budget ? QList<QLineEdit*>{BudgBel_Budget, VerklBel_Budget} : QList<QLineEdit*>{Bel_Enkel};
    const QString markMode = budget ? QStringLiteral("mkg2") : QStringLiteral("mkg1");
    auto clearMarking = [&] { budget ? Rensa_Mark_G2() : Rensa_Mark_G1(); };
    trap(
        [&] {
            if (is(avb, "mkg1") || is(avb, "mkg2")) {
                is(avb, "mkg1") ? Rensa_Mark_G1() : Rensa_Mark_G2();
                Label30->clear();
                Command3->setText(QStringLiteral("Avbryt"));
                Module1.Avb.clear();
            } else if (is(avb, "chg")) {
                // Back to the marked posting's amounts as they stand in the file.
                if (budget) {
                    BudgBel_Budget->setText(shownAmount(BudgBelOld));
                    BudgBelText = BudgBelOld;
                }
                amountBoxes.back()->setText(shownAmount(VerklBelOld));
                VerklBelText = VerklBelOld;
                for (QLineEdit* e : amountBoxes)
                    e->setReadOnly(false);
                Command3->setText(QStringLiteral("Avbryt mark."));
                Module1.BelEditFlag = 0;
                Command2->setText(QStringLiteral("Ta bort"));
                Module1.EditMode = QStringLiteral("rem");
                // The marking's buttons work again.
                Command2->setEnabled(true);
                if (budget && MarkRecord > 0)
                    Command1->setEnabled(ledger::account().kontoData.budget(MarkRecord).BStatus ==
                                         QLatin1String(" "));
                if (Module1.AntalPoster > 10)
                    (budget ? VScroll2 : VScroll1)->setEnabled(true);
                Module1.Avb = markMode;
                markedList(budget);
            } else if (is(avb, "Fl")) {
                HelpHold = 0;
                MoveState.clear();
                setHelp(QString(), QString());
                g->setEnabled(true);
                clearMarking();
                Command3->setText(QStringLiteral("Avbryt"));
            } else if (is(avb, "cbonomark")) {
                Unlock_menues();
                Unlock_Konto();
                Picture1->setEnabled(true);
                g->setEnabled(true);
                // The main list again, also when the subtransactions were shown.
                QString& hOpt = budget ? Module1.HOptBudg : Module1.HOptEnk;
                QString& sOpt = budget ? Module1.SOptBudg : Module1.SOptEnk;
                if (!is(hOpt, "1") || is(sOpt, "1")) {
                    hOpt = QStringLiteral("1");
                    sOpt = QStringLiteral("0");
                    budget ? Ladda_H_Trans_Budg() : Ladda_H_Trans_Enkel();
                }
                combo->setCurrentIndex(-1);
                transText->clear();
                for (QLineEdit* e : amountBoxes) {
                    e->clear();
                    e->setReadOnly(true);
                }
                QRadioButton* hButton = budget ? H_TransOptionBudg : H_TransOptionEnk;
                QRadioButton* sButton = budget ? S_TransOptionBudg : S_TransOptionEnk;
                hButton->setEnabled(true);
                sButton->setEnabled(true);
                hButton->setChecked(true);
                sButton->setChecked(false);
                BudgBelText.clear();
                VerklBelText.clear();
                BudgBelOld.clear();
                VerklBelOld.clear();
                Module1.BelEditFlag = 0;
                Module1.TransNr = 0;
                Module1.HuvudTrans.clear();
                Module1.TransTecken.clear();
                // A subtransaction chosen for the abandoned entry must not
                // follow the next one.
                Module1.SubTransNr = 0;
                Module1.SubTrans.clear();
                Command2->setText(QStringLiteral("Flytta"));
                Module1.EditMode = QStringLiteral("flt");
                Command2->setEnabled(true);
                Label30->clear();
                FormDate = Module1.DagensDatum;
                datumset();
                Command3->setText(QStringLiteral("Avbryt"));
                Command3->setFocus();
                Module1.Avb.clear();
            } else if (is(avb, "nysptr")) {
                if (MarkRecord > 0) {
                    Command3->setText(QStringLiteral("Avbryt markera"));
                    Module1.Avb = markMode;
                } else if (is(budget ? Module1.SOptBudg : Module1.SOptEnk, "1")) {
                    transText->clear();
                    Command3->setText(QStringLiteral("Avbryt"));
                    Module1.Avb.clear();
                }
                transText->setReadOnly(true);
                g->setEnabled(true);
                for (QLineEdit* e : amountBoxes)
                    e->setEnabled(true);
                for (QLabel* l : budget ? QList<QLabel*>{Label3, Label4} : QList<QLabel*>{Label11})
                    l->setEnabled(true);
                Module1.BelEditFlag = 0;
                Unlock_trans();
                Unlock_menues();
                Unlock_Konto();
                Picture1->setEnabled(true);
                Frame3->setEnabled(true);
                Command2->setEnabled(true);
                Command2->setText(QStringLiteral("Flytta"));
                Module1.EditMode = QStringLiteral("flt");
                Command3->setFocus();
            } else if (is(avb, "trny")) {
                Command3->setText(QStringLiteral("Avbryt"));
                Module1.Avb.clear();
            } else if (is(avb, "trch")) {
                Command3->setText(QStringLiteral("Avbryt"));
                combo->setCurrentIndex(-1);
                Module1.Avb.clear();
            } else if (is(avb, "subtrch")) {
                if (MarkRecord <= 0) {
                    Command3->setText(QStringLiteral("Avbryt"));
                    Module1.Avb.clear();
                } else {
                    Command3->setText(QStringLiteral("Avbryt markera"));
                    Module1.Avb = markMode;
                }
                // Once more through the dispatcher: idle does nothing, a
                // marking is cleared.
                Module1.CancelFlag = QStringLiteral("1");
                Command3_Click();
                Command3->setFocus();
            } else if (is(avb, "trbyt")) {
                transText->setEnabled(false);
                transText->setReadOnly(true);
                for (QLineEdit* e : amountBoxes)
                    e->setReadOnly(false);
                combo->setEnabled(false);
                combo->setCurrentIndex(-1);
                (budget ? TransLabel_Budg : TransLabel_Enkel)->clear();
                // The next swap asks its own scope.
                SwapScope.clear();
                Module1.TransTecken = MarkSign;
                Command2->setEnabled(true);
                Command2->setText(QStringLiteral("Ta bort"));
                Command3->setText(QStringLiteral("Avbryt markera"));
                Module1.EditMode = QStringLiteral("rem");
                Module1.Avb = markMode;
                markedList(budget);
            } else if (is(avb, "budg")) {
                Command3->setText(QStringLiteral("Avbryt"));
                Module1.CancelFlag.clear();
                Module1.Avb.clear();
            } else if (is(avb, "saldo")) {
                SaldoInFlag = QStringLiteral("0");
                NyttSaldoText.clear();
                TransCombo_Enkel->setCurrentIndex(-1);
                TransText_Enkel->clear();
                Bel_Enkel->clear();
                Bel_Enkel->setReadOnly(true);
                Module1.BelEditFlag = 0;
                Module1.TransNr = 0;
                Module1.HuvudTrans.clear();
                Module1.TransTecken.clear();
                Label11->setText(QStringLiteral("Belopp"));
                Command3->setText(QStringLiteral("Avbryt"));
                Module1.CancelFlag.clear();
                Command2->setEnabled(true);
                Command2->setText(QStringLiteral("Flytta"));
                Module1.EditMode = QStringLiteral("flt");
                Module1.Avb.clear();
            }
        },
        [&] {
            QStringList message;
            if (is(avb, "chg"))
                message << QStringLiteral("..ändring]");
            else if (is(avb, "Fl"))
                message << QStringLiteral("..Flytta]");
            else if (is(avb, "cbonomark"))
                message << QStringLiteral("..Allmänt]");
            else if (is(avb, "mkg1"))
                message << QStringLiteral("..Markering Enkel bokf.]");
            else if (is(avb, "mkg2"))
                message << QStringLiteral("..Markering Budg.bokf.]");
            else if (is(avb, "trch"))
                message << QStringLiteral("..Ändra transakt.]");
            ErrorContext c(QStringLiteral("Command3_Click"), message,
                           {QStringLiteral("[Avbryt "), QStringLiteral(" (Avb = ") + avb + ")",
                            handler::kindLine()});
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
    ChangeDiffBudg = Amount();
    ChangeDiffVerkl = Amount();
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

// [Bekräfta]: the marked budget posting's amounts become actual.
void HeadForm::Command1_Click() {
    ledger::PostingFile& data = ledger::account().kontoData;
    if (!isBudget() || !data.isOpen() || MarkRecord < 1 || MarkRecord > Module1.AntalPoster)
        return;
    Command1->setEnabled(false);
    handler::trapWithHead(
        [&] {
            const Answer answer = platform::messages().show(
                QStringLiteral("Vill du verifiera beloppen:\n") + formatted(BudgBelOld) +
                    QStringLiteral(" kr.   ") + formatted(VerklBelOld) +
                    QStringLiteral(" kr.\nsom verkliga ?"),
                Buttons::YesNo, Icon::None, QStringLiteral("Bekräfta belopp"));
            if (answer == Answer::No) {
                Rensa_Mark_G2();
                FormDate = Module1.DagensDatum;
                datumset();
                return;
            }
            ledger::confirmPosting(data, MarkRecord, &ledger::account().bmall);
            Module1.MallAntal = ledger::account().bmall.count();
            Inläs_G2();
            Module1.CancelFlag = QStringLiteral("1");
            Command3_Click();
            OmLista_Budget();
        },
        [&] {
            const BudgetKontoPost p = data.budget(MarkRecord);
            return ErrorContext(QStringLiteral("Command1_Click"),
                                {QStringLiteral("vid klickning [Bekräfta] för ett"),
                                 QStringLiteral("antaget (blått) belopp")},
                                {QStringLiteral("vid klickning [Bekräfta]"),
                                 QStringLiteral("Budgetbeloppet är ") + BudgBelOld,
                                 QStringLiteral("Verkligt belopp är ") + VerklBelOld,
                                 QStringLiteral("BG_B.BStatus är ('*' eller ' ' )") + p.BStatus,
                                 QStringLiteral("(Ska vara = '*' om bekräftad !)"),
                                 handler::kindLine(), handler::accountLine()});
        },
        QStringLiteral("Fel nr 1 i rutinen Command1_Click"));
}

// ---- Help texts of the buttons ---------------------------------------------------------

void HeadForm::Command1_MouseMove() {
    if (HelpHold < 1)
        setHelp(QStringLiteral("Multiknapp 1"),
                QStringLiteral("Godkänn nuvarande belopp på markerad rad !"));
}

void HeadForm::Command2_MouseMove() {
    if (HelpHold >= 1)
        return;
    QString text, tip;
    const QString& mode = Module1.EditMode;
    if (SaldoInFlag == QLatin1String("1")) {
        text = QStringLiteral("Beräkna beloppet för standardtransaktion");
        tip = QStringLiteral("Klicka för beräkning av insatt belopp !");
    } else if (is(mode, "flt") && Module1.AntalPoster > 1) {
        text = QStringLiteral("Klicka och flytta sedan post till nytt datum");
        tip = QStringLiteral("Klicka för flytt");
    } else if (is(mode, "flt")) {
        text = QStringLiteral("Ändra till nytt datum och klicka sedan för ändring");
        tip = QStringLiteral("Klicka för ändrat datum");
    } else if (is(mode, "rem")) {
        text = QStringLiteral("Radera markerad post");
        tip = QStringLiteral("Klicka för radering");
    } else if (is(mode, "inl")) {
        text = QStringLiteral("Lägg in ny post i bokföringen");
        tip = QStringLiteral("Klicka för inläggning");
    } else if (is(mode, "chg")) {
        text = QStringLiteral("Genomför ändringen av kontoposten");
        tip = QStringLiteral("Klicka för ändring");
    } else {
        return;
    }
    setHelp(QStringLiteral("Multiknapp 2"), text);
    Command2->setToolTip(tip);
}

void HeadForm::Command3_MouseMove() {
    if (HelpHold >= 1)
        return;
    const QString& avb = Module1.Avb;
    Label29->setText(QStringLiteral("Avbryt (Esc)"));
    if (avb.isEmpty())
        Label30->clear();
    else if (is(avb, "Fl"))
        Label30->setText(QStringLiteral("Avbryt 'Flytta kontopost'"));
    else if (is(avb, "cbonomark"))
        Label30->setText(QStringLiteral("Avbryt val av transaktion / nytt belopp"));
    else if (is(avb, "mkg1"))
        Label30->setText(QStringLiteral("Avbryt markering av kontopost (enkel bokf.)"));
    else if (is(avb, "mkg2"))
        Label30->setText(QStringLiteral("Avbryt markering av kontopost (budgetbokf.)"));
    else if (is(avb, "nysptr"))
        Label30->setText(QStringLiteral("Avbryt inläggning av ny subtransaktion"));
    else if (is(avb, "trch"))
        Label30->setText(QStringLiteral("Avbryt ändring av transaktion"));
    else if (is(avb, "trbyt"))
        Label30->setText(QStringLiteral("Avbryt byta transaktion i kontopost"));
    else if (is(avb, "chg"))
        Label30->setText(QStringLiteral("Ångra ändring av belopp"));
    else if (is(avb, "budg"))
        Label30->setText(QStringLiteral("Avbryt budgetering"));
}

} // namespace fyn
