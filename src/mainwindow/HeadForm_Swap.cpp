// The transaction text box: the door to the transaction swap of postings and
// to the name dialogs.
#include "mainwindow/HeadForm.h"

#include "mainwindow/DialogSupport.h"
#include "mainwindow/HandlerTexts.h"

#include "core/Amount.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace fyn {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

bool yes(const QString& text, const QString& title) {
    return platform::messages().show(text, Buttons::YesNo, Icon::None, title) != Answer::No;
}

QString signText(const QString& sign) {
    if (sign == QLatin1String("+"))
        return QStringLiteral(" ( = Inkomst !)");
    if (sign == QLatin1String("-"))
        return QStringLiteral(" ( = Utgift !)");
    return QString();
}

} // namespace

bool HeadForm::transTextEvent(QObject* watched, QEvent* e) {
    const bool budget = watched == TransText_Budget;
    if (watched != TransText_Enkel && watched != TransText_Budget)
        return false;
    if (e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        budget ? TransText_Budget_MouseDown() : TransText_Enkel_MouseDown();
        return true;
    }
    if (e->type() == QEvent::MouseMove || e->type() == QEvent::Enter)
        budget ? TransText_Budget_MouseMove() : TransText_Enkel_MouseMove();
    return false;
}

void HeadForm::TransText_Enkel_MouseDown() {
    transTextPressed(false);
}
void HeadForm::TransText_Budget_MouseDown() {
    transTextPressed(true);
}
void HeadForm::TransText_Enkel_MouseMove() {
    transTextHover(false);
}
void HeadForm::TransText_Budget_MouseMove() {
    transTextHover(true);
}

void HeadForm::transTextPressed(bool budget) {
    if (Module1.BelEditFlag >= 1)
        return;
    QLineEdit* text = budget ? TransText_Budget : TransText_Enkel;
    QComboBox* combo = budget ? TransCombo_Budget : TransCombo_Enkel;
    const bool subList = (budget ? Module1.SOptBudg : Module1.SOptEnk) == QLatin1String("1");
    const QString head =
        budget ? QStringLiteral("TransText_Budget_Click") : QStringLiteral("TransText_Enkel_Click");
    const bool swapRoad = !subList && MarkRecord > 0;
    trap(
        [&] {
            if (swapRoad)
                swapDialogue(budget);
            else if (!text->text().isEmpty() && !subList)
                changeMainName(budget);
            else if (!text->text().isEmpty())
                changeSubName(budget);
            else if (combo->count() == 0)
                subList ? newSubName(budget, false) : newMainName(budget, false);
            else
                subList ? newSubName(budget, true) : newMainName(budget, true);
        },
        [&] {
            if (swapRoad)
                return ErrorContext(
                    head,
                    {budget ? QStringLiteral(" vid försök att ändra transaktionstext i markerad "
                                             "kontopost")
                            : QStringLiteral(" vid försök att ändra transaktionstext i markerad "
                                             "kontopost.")},
                    {QStringLiteral("vid markerad kontopost"),
                     QStringLiteral("Transaktion från kontopost ?  ") + Module1.HuvudTrans,
                     (budget ? QStringLiteral("Är TransCombo_Budget öppen ? ")
                             : QStringLiteral("Är TransCombo_Enkel öppen ? ")) +
                         (combo->isEnabled() ? QStringLiteral("Ja !") : QStringLiteral("Nej !")),
                     handler::kindLine(),
                     QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn});
            return ErrorContext(head,
                                {budget ? QStringLiteral(" vid försök att ändra transaktionstext.")
                                        : QStringLiteral(" vid försök att ändra transaktionstext")},
                                {QStringLiteral("vid ändringsförsök av trans.text"),
                                 QStringLiteral("Befintlig transaktion ?  ") + Module1.HuvudTrans,
                                 QStringLiteral("Antal poster i tr.fil ?  ") +
                                     QString::number(ledger::account().transakt.countForReport()),
                                 QStringLiteral("Inhämtat tecken från fil  ") + Module1.TransTecken,
                                 handler::kindLine()});
        });
}

void HeadForm::swapDialogue(bool budget) {
    const QString title = QStringLiteral("Transaktionsbyte i kontopost");
    const QString name = Module1.HuvudTrans;
    const QString intro =
        QStringLiteral("Vill du byta ut transaktionen\r\n\r\n") + name + QStringLiteral("\r\n\r\n");
    QString scope;
    if (yes(intro + QStringLiteral("i ENBART denna kontopost ?"), title)) {
        const QString line8 =
            budget
                ? QStringLiteral("Är däremot den nya av annat tecken\r\n"
                                 "(utgift blir = inkomst eller vice versa)\r\n"
                                 "måste omräkningar av saldon genomföras fr o m denna kontopost.")
                : QStringLiteral("Är däremot den nya av annat tecken (utgift blir = inkomst "
                                 "eller vice versa), måste omräkningar av saldon genomföras fr "
                                 "o m denna kontopost.");
        const QString tail =
            budget
                ? QStringLiteral("\r\n\r\nBeroende på postens läge i kontot och kontots storlek, "
                                 "kan det ta mer eller mindre tid.\r\nUtfallet meddelas efter "
                                 "genomförandet !\r\n\r\nVill du byta ut transaktionen ?")
                : QStringLiteral("\r\n\r\nBeroende på postens läge i kontot och kontots storlek, "
                                 "kan det ta mer eller mindre tid. Utfallet meddelas efter "
                                 "genomförandet !\r\n\r\nVill du byta ut transaktionen ?");
        if (!yes(QStringLiteral("Du kan byta ut transaktionen\r\n\r\n") + name +
                     QStringLiteral("\r\n\r\ni endast denna kontopost, mot en annan befintlig i "
                                    "listan, genom att du klickar ned denna och väljer en ny "
                                    "transaktion.\r\n\r\nOm den nya transaktionen har samma tecken "
                                    "som den tidigare, behövs ingen omräkning.\r\n") +
                     line8 + tail,
                 title))
            return;
        scope = QStringLiteral("one");
    } else {
        if (!yes(intro + QStringLiteral("i ALLA förekommande kontoposter ?"), title))
            return;
        if (!yes(QStringLiteral("Du kan byta ut transaktionen\r\n\r\n") + name +
                     QStringLiteral(
                         "\r\n\r\ni samtliga förekommande kontoposter mot en annan "
                         "befintlig i listan genom att du klickar ned denna och väljer "
                         "en ny transaktion.\r\n\r\nPogrammet kommer att söka igenom och "
                         "åtgärda alla kontoposterna som har den tidigare transaktionen") +
                     (budget ? QStringLiteral(".") : QStringLiteral(" !")) +
                     QStringLiteral(
                         "\r\nOm utbytet även innebär ett teckenbyte\r\n(utgift har blivit "
                         "inkomst eller omvänt)\r\nmåste även en ny saldoberäkning "
                         "utföras.\r\nBeroende på kontots storlek kan detta ta mer eller "
                         "mindre tid.\r\nUtfallet meddelas efter genomgången !\r\n\r\nVill "
                         "du byta transaktionen i alla förekommande kontoposter ?"),
                 title))
            return;
        scope = QStringLiteral("all");
    }
    (budget ? TransText_Budget : TransText_Enkel)->setEnabled(false);
    (budget ? TransLabel_Budg : TransLabel_Enkel)
        ->setText(QStringLiteral("Välj ut ny transaktion"));
    (budget ? TransCombo_Budget : TransCombo_Enkel)->setEnabled(true);
    Command2->setEnabled(false);
    (budget ? BudgBel_Budget : Bel_Enkel)->setReadOnly(true);
    SwapScope = scope;
    Command3->setText(QStringLiteral("Avbryt Tr-byte"));
    Module1.Avb = QStringLiteral("trbyt");
}

void HeadForm::changeMainName(bool budget) {
    QLineEdit* text = budget ? TransText_Budget : TransText_Enkel;
    Module1.HuvudTrans = text->text();
    if (!yes(QStringLiteral("Vill du ändra eller radera denna transaktion ?\r\n\r\n") +
                 Module1.HuvudTrans +
                 QStringLiteral("\r\n\r\nKlicka då 'Ja' och sedan på något av alternativen [Ändra] "
                                "eller [Radera] !\r\n\r\nEller avstå genom att klicka 'Nej' !"),
             QStringLiteral("Textbyte / Radering"))) {
        text->clear();
        Module1.HuvudTrans.clear();
        Module1.TransTecken.clear();
        (budget ? TransCombo_Budget : TransCombo_Enkel)->setCurrentIndex(-1);
        return;
    }
    (budget ? G2 : G1)->setEnabled(true);
    Unlock_menues();
    Unlock_Konto();
    Picture1->setEnabled(true);
    Command3->setText(QStringLiteral("Avbryt Tr-ändr"));
    Module1.CancelFlag = QStringLiteral("1");
    Module1.Avb = QStringLiteral("trch");
    Module1.trfo = QStringLiteral("chg");
    Module1.TransCaller = QStringLiteral("head");
    if (openTransForm)
        openTransForm(*this);
}

void HeadForm::changeSubName(bool budget) {
    QLineEdit* text = budget ? TransText_Budget : TransText_Enkel;
    Module1.SubTrans = text->text();
    if (!yes(QStringLiteral("Vill du ändra eller radera subtransaktionen  '") + Module1.SubTrans +
                 QStringLiteral("' ?"),
             QStringLiteral("Textbyte / Radering"))) {
        text->clear();
        Module1.SubTrans.clear();
        Module1.SubTransNr = 0;
        (budget ? TransCombo_Budget : TransCombo_Enkel)->setCurrentIndex(-1);
        return;
    }
    Command3->setText(QStringLiteral("Avbryt Tr-ändr"));
    Module1.CancelFlag = QStringLiteral("1");
    Module1.Avb = QStringLiteral("subtrch");
    Module1.subtrfo = QStringLiteral("chg");
    if (openSubTransForm)
        openSubTransForm(*this);
}

void HeadForm::newMainName(bool budget, bool ask) {
    if (ask &&
        !yes(budget ? QStringLiteral("Har du kontrollerat om den transaktion som du tänker skriva "
                                     "in, kanske redan finns i den här listan ?\r\n")
                    : QStringLiteral("Har du kontrollerat om den transaktion\nsom du tänker "
                                     "skapa, kanske\nredan finns i den här listan ?"),
             QStringLiteral("Ny transaktion (?)")))
        return;
    Command3->setText(QStringLiteral("Avbryt ny tr.akt."));
    Module1.CancelFlag = QStringLiteral("1");
    Module1.Avb = QStringLiteral("trny");
    Module1.trfo = QStringLiteral("ny");
    Module1.TransCaller = QStringLiteral("head");
    if (openTransForm)
        openTransForm(*this);
}

void HeadForm::newSubName(bool budget, bool ask) {
    if (ask && !yes(budget ? QStringLiteral("Har du kontrollerat om den text som du tänker skriva "
                                            "in, kanske redan finns på den här listan ?")
                           : QStringLiteral("Har du kontrollerat om den transaktion som du "
                                            "tänker skapa, kanske redan finns på den här listan ?"),
                    QStringLiteral("Ny Subtransaktion (?)")))
        return;
    Command3->setText(QStringLiteral("Avbr. Ny Subtr."));
    Module1.CancelFlag = QStringLiteral("1");
    Module1.Avb = QStringLiteral("nysptr");
    Module1.subtrfo = QStringLiteral("ny");
    if (openSubTransForm)
        openSubTransForm(*this);
}

void HeadForm::transTextHover(bool budget) {
    if (HelpHold >= 1)
        return;
    QLineEdit* text = budget ? TransText_Budget : TransText_Enkel;
    QComboBox* combo = budget ? TransCombo_Budget : TransCombo_Enkel;
    const bool h = (budget ? Module1.HOptBudg : Module1.HOptEnk) == QLatin1String("1");
    const bool s = (budget ? Module1.SOptBudg : Module1.SOptEnk) == QLatin1String("1");
    const bool marked = MarkRecord > 0;
    const bool filled = !text->text().isEmpty();
    auto show = [&](const QString& simpleTip, const QString& budgetTip, const QString& heading,
                    const QString& simpleText, const QString& budgetText) {
        text->setToolTip(budget ? budgetTip : simpleTip);
        setHelp(heading, budget ? budgetText : simpleText);
    };
    const QString tr = QStringLiteral("Transaktion");
    const QString sub = QStringLiteral("Subtransaktion");
    if (filled && marked && h)
        show("Byt ev. ut huvudtransaktion för denna post", "Byt ev. ut transaktion för denna post",
             tr, "Klicka för att ev. byta huvudtransaktion för kontoposten",
             "Klicka för att ev. byta transaktion för kontoposten");
    else if (filled && marked && s)
        show("Klicka för ev. radering av subtransaktionen",
             "Klicka för ev. radering av transaktionen", sub,
             "Klicka för att ev. avlägsna subtransaktionen från kontopost !",
             "Klicka för att ev. avlägsna transaktionen från kontopost !");
    else if (filled && h)
        show("Ändra eller ta bort huvudtransaktion !", "Ändra eller ta bort transaktion !", tr,
             "Klicka för att ändra / radera huvudtransaktion",
             "Klicka för att ändra / radera transaktion");
    else if (filled && s && Module1.Avb != QLatin1String("nysptr"))
        show("Klicka för ev. radering av subtransaktionen",
             "Klicka för ev. radering av transaktionen", sub,
             "Klicka för att ev. avlägsna subtransaktionen från listan !",
             "Klicka för att ev. avlägsna transaktionen från listan !");
    else if (filled && s)
        show("Inskrivning av ny subtransaktion pågår", "Inskrivning av ny transaktion pågår", sub,
             "Ny subtransaktion under inskrivning !", "Ny subtransaktion under inskrivning !");
    else if (!filled && h)
        show("Ny huvudtransaktion ! ?", "Ny huvudtransaktion ! ?", tr,
             "Klicka för att lägga till en ny transaktion,\neller välj en befintlig från listan !",
             "Klicka för att lägga till en ny transaktion,\neller välj en befintlig från listan !");
    else if (!filled && s && combo->count() == 0)
        show("Lägg till en subtransaktion !", "Lägg till en subtransaktion !", sub,
             "Klicka för att skapa en första subtransaktion !",
             "Klicka för att skapa en första subtransaktion !");
    else if (!filled && s)
        show("Ny subtransaktion ! ?", "Ny subtransaktion ! ?", sub,
             "Klicka för att lägga till en ny subtransaktion,\r\neller välj en befintlig från "
             "listan !",
             "Klicka för att lägga till en ny subtransaktion,\r\neller välj en befintlig från "
             "listan !");
    else if (!h && !s)
        Label30->clear();
}

// The combo's choice while a posting is marked: the swap question, then the swap.
void HeadForm::swapChosen(bool budget, const QString& name, const QString& sign) {
    const QString routine = budget ? QStringLiteral("TransCombo_Budget_Click")
                                   : QStringLiteral("TransCombo_Enkel_Click");
    const QString oldName = Module1.HuvudTrans;
    handler::trapWithHead(
        [&] { swapAsked(budget, name, sign); },
        [&] {
            return ErrorContext(
                routine,
                {QStringLiteral("när en kontopost har valts och en"),
                 QStringLiteral("klickning har utförts i transak-"),
                 QStringLiteral("tionslistan för att byta transak-"), QStringLiteral("tion")},
                {QStringLiteral("vid klickad transaktion i TransCombo_Enkel för"),
                 QStringLiteral("att ändra transaktion: [") + oldName + QLatin1Char(']'),
                 QStringLiteral("i markerad kontopost, till [") + name + QLatin1Char(']')});
        },
        QStringLiteral("Fel nr 2 i rutinen ") + routine);
}

void HeadForm::swapAsked(bool budget, const QString& name, const QString& sign) {
    // A swap changes only the postings its own one/all question named; a
    // list reached without that question asks it now.
    if (SwapScope != QLatin1String("one") && SwapScope != QLatin1String("all")) {
        SwapScope.clear();
        swapDialogue(budget);
        if (SwapScope.isEmpty()) {
            (budget ? TransCombo_Budget : TransCombo_Enkel)->setCurrentIndex(-1);
            return;
        }
    }
    QLineEdit* text = budget ? TransText_Budget : TransText_Enkel;
    text->setEnabled(true);
    text->setText(name);
    Module1.TransTecken = sign;
    const QString nl = budget ? QStringLiteral("\n") : QStringLiteral("\n\n");
    const QString question =
        (budget ? QStringLiteral("Vill du verkligen byta transaktionen\ntill den föreslagna:")
                : QStringLiteral("Vill du verkligen byta transaktionen till den föreslagna:")) +
        nl + name + signText(sign) + nl + QStringLiteral("som ersättning för:") + nl +
        Module1.HuvudTrans + signText(MarkSign) + QStringLiteral("  ? ?") + nl +
        (budget ? QStringLiteral("OBS att beloppet ej ändras i\ndenna operation ! (Ev. tecken-\n"
                                 "ändring medför dock omräkning !)")
                : QStringLiteral("OBS att beloppet ej ändras i denna operation !\n(Ev. "
                                 "teckenändring medför dock omräkning !)"));
    if (!yes(question, QStringLiteral("Ändrad transaktion"))) {
        Module1.CancelFlag = QStringLiteral("1");
        Command3_Click();
        return;
    }
    OldTransName = Module1.HuvudTrans;
    if (ChgAccountTrans()) {
        platform::messages().show(
            QStringLiteral("Transaktionen") + nl + OldTransName + nl +
                QStringLiteral("har nu bytts ut mot föreslagen") + nl + name + nl +
                (budget ? QStringLiteral("i en eller flera poster, enligt\nönskemål !") + nl +
                              QStringLiteral("Vid ev. teckenbyte har omräkning\noch efterföljande "
                                             "saldokontroll\nskett !")
                        : QStringLiteral("i en eller flera poster, enligt önskemål !") + nl +
                              QStringLiteral("Vid ev. teckenbyte har omräkning och efterföljande "
                                             "saldokontroll skett !")),
            Buttons::Ok, Icon::Information, QStringLiteral("Transaktionsbyte utfört"));
    }
    if (budget) {
        BudgBel_Budget->setReadOnly(false);
        VerklBel_Budget->setReadOnly(false);
    } else {
        Bel_Enkel->setReadOnly(false);
    }
    OldTransName.clear();
}

bool HeadForm::ChgAccountTrans() {
    const bool budget = isBudget();
    const bool one = SwapScope == QLatin1String("one");
    if (!one && SwapScope != QLatin1String("all")) {
        // No scope was answered for this swap: nothing is changed.
        Module1.CancelFlag = QStringLiteral("1");
        Command3_Click();
        return false;
    }
    ledger::TransactionEdit e;
    e.oldRef = MarkTransNr;
    e.onlyRecord = one ? MarkRecord : 0;
    e.newRef = Module1.TransNr;
    e.resign = MarkSign != Module1.TransTecken;
    e.newSign = Module1.TransTecken;
    e.confirmByDate = budget;
    e.today = Module1.DagensDatum;
    ledger::TransactionEditResult result;
    const bool ok = trap(
        [&] {
            result = ledger::changeTransaction(ledger::account().kontoData, Module1.AntalPoster, e,
                                               budget ? &ledger::account().bmall : nullptr);
            Module1.MallAntal = ledger::account().bmall.count();
        },
        [&] {
            QStringList dump = {
                QStringLiteral("vid försök att ändra transaktion i kontopost"),
                QStringLiteral("Tecken före ändring [") + MarkSign + QLatin1Char(']'),
                QStringLiteral("Tecken ändras till [") + Module1.TransTecken + QLatin1Char(']')};
            // The marked posting as it stands: the swap writes all or nothing,
            // so its fields are both the last read and the result.
            const ledger::PostingFile& data = ledger::account().kontoData;
            if (budget) {
                const BudgetKontoPost p = data.budget(MarkRecord);
                dump << QStringLiteral("Budgetbelopp för ändr ") + BudgBelOld
                     << QStringLiteral("Verkl.belopp för ändr ") + VerklBelOld
                     << QStringLiteral("Budg.saldo före ändr. ") + trimBlanks(p.BudgSaldo)
                     << QStringLiteral("Verkl.saldo före ändr ") + trimBlanks(p.VerklSaldo)
                     << QStringLiteral("Res Budgetbelopp efter ändr ") + trimBlanks(p.BudgBelopp)
                     << QStringLiteral("Res Verkl.belopp efter ändr ") + trimBlanks(p.VerklBelopp)
                     << QStringLiteral("Res Budg.saldo efter ändr. ") + trimBlanks(p.BudgSaldo)
                     << QStringLiteral("Res verkl.saldo efter ändr ") + trimBlanks(p.VerklSaldo);
            } else {
                const EnkelKontoPost p = data.enkel(MarkRecord);
                dump << QStringLiteral("Belopp för ändr ") + VerklBelOld
                     << QStringLiteral("Saldo för ändr. ") + trimBlanks(p.Saldo)
                     << QStringLiteral("Res Belopp efter ändr ") + trimBlanks(p.Belopp)
                     << QStringLiteral("Res Saldo efter ändr. ") + trimBlanks(p.Saldo);
            }
            dump << QStringLiteral("PostNr ") + QString::number(Module1.PostNr)
                 << QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn;
            return ErrorContext(
                QStringLiteral("ChgAccountTrans"),
                {QStringLiteral("vid försök att ändra transaktion i kontopost."), QString()}, dump);
        });
    bool done = ok && result.ok();
    if (ok && !result.ok())
        showRefusal(result.refusal);
    if (done && e.resign && result.postNr > 0) {
        Module1.PostNr = result.postNr;
        budget ? Saldokontroll_Budget() : SaldoKontroll_Enkel();
    }
    Module1.PostNr = MarkRecord;
    refreshWithoutCheck();
    Module1.CancelFlag = QStringLiteral("1");
    Command3_Click();
    Module1.CancelFlag = QStringLiteral("1");
    Command3_Click();
    return done;
}

} // namespace fyn
