// The posting edits as the window runs them: it asks the user, calls the
// posting engine, shows a refusal, and refreshes the grid with the balance check.
#include "mainwindow/HeadForm.h"

#include "mainwindow/DialogSupport.h"

#include "core/Amount.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "ledger/Engine.h"
#include "mainwindow/AmountTexts.h"
#include "mainwindow/HandlerTexts.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <optional>

namespace fyn {

using handler::accountLine;
using handler::kindLine;
using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

QString num(long n) {
    return QString::number(n);
}

ledger::BudgetTemplate* templateOf(bool budget) {
    return budget ? &ledger::account().bmall : nullptr;
}

// "### ###.0#": one or two decimals, the last group of three set apart.
QString shortPattern(Amount a) {
    const std::uint64_t cents = (std::uint64_t(a.abs().raw()) + 50) / 100;
    const QString digits = QString::number(cents / 100);
    QString whole = digits.size() > 3
                        ? digits.left(digits.size() - 3) + QLatin1Char(' ') + digits.right(3)
                        : QLatin1Char(' ') + digits;
    QString decimals = QString::number(cents % 100).rightJustified(2, QLatin1Char('0'));
    if (decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    return (a.isNegative() ? QStringLiteral("-") : QString()) + whole + QLatin1Char(',') + decimals;
}

// An amount in the change question: the sign of the transaction (a neutral
// one shows the amount's own), then the formatted absolute value without a
// leading blank; a million or more has none to spare.
QString changeText(const QString& field) {
    const Amount a = Amount::parse(field);
    const bool minus = Module1.TransTecken == QLatin1String("-") ||
                       (trimBlanks(Module1.TransTecken).isEmpty() && a.isNegative());
    QString shown = a.abs().pattern();
    if (shown.startsWith(QLatin1Char(' ')))
        shown.remove(0, 1);
    return (minus ? QStringLiteral("-") : QString()) + shown;
}

} // namespace

// ---- The refresh chain ----------------------------------------------------------------

void HeadForm::refreshWithCheck() {
    if (Module1.KontoSlag == QLatin1String("Ek")) {
        SaldoKontroll_Enkel();
        ScrollSet_Enkel();
        Inläs_G1();
        OmLista_Enkel();
    } else if (Module1.KontoSlag == QLatin1String("Bg")) {
        Saldokontroll_Budget();
        ScrollSet_Budget();
        Inläs_G2();
        OmLista_Budget();
    }
}

// ---- Insert -----------------------------------------------------------------------------

void HeadForm::Inpost_Enkel() {
    insertEntry(false);
}
void HeadForm::Inpost_Budget() {
    insertEntry(true);
}

void HeadForm::insertEntry(bool budget) {
    ledger::PostingFile& data = ledger::account().kontoData;
    if (!data.isOpen())
        return;
    const long n = Module1.AntalPoster;
    long point = 0;
    QString newAmount = VerklBelText;
    trap(
        [&] {
            ledger::NewPosting p;
            p.datum = Module1.WorkDate;
            p.transRef = Module1.TransNr;
            p.subRef = Module1.SubTransNr > 0 ? Module1.SubTransNr : 0;
            p.today = Module1.DagensDatum;
            p.budgText = BudgBelText;
            p.verklText = VerklBelText;
            if (!budget && SaldoInFlag == QLatin1String("1")) {
                SaldoInFlag = QStringLiteral("0");
                Amount balance;
                if (!balanceValue(NyttSaldoText, balance))
                    raiseError(platform::kTypeMismatch);
                const Amount a =
                    ledger::balanceEntryAmount(data, n, Module1.WorkDate, balance, point);
                newAmount = a.storage();
                if (point >= 2) {
                    Label11->setText(QStringLiteral("Belopp"));
                    Command2->setText(QString());
                    if (!Module1.TransTecken.isEmpty()) {
                        const std::int64_t kronor = (a.isNegative() ? -1 : 1) *
                                                    divRoundHalfEven(a.abs().raw(), Amount::kScale);
                        const bool expense = Module1.TransTecken == QLatin1String("-");
                        if (kronor >= 0 ? expense : !expense) {
                            const QString head =
                                QStringLiteral("Framräknat belopp ej överensstämmande m a p "
                                               "tecken !\nSäkra att rätt transaktion anges "
                                               "innan ett nytt saldo matas in ! ");
                            platform::messages().show(
                                head + (expense
                                            ? QStringLiteral("(Bör vara en inkomsttransaktion !)")
                                            : QStringLiteral("(Bör vara en utgiftstransaktion !)")),
                                Buttons::Ok, Icon::Warning,
                                expense
                                    ? QStringLiteral("Positivt belopp vid utgifts-transaktion")
                                    : QStringLiteral("Negativt belopp vid inkomst-transaktion"));
                            Module1.CancelFlag = QStringLiteral("1");
                            Command3_Click();
                            return;
                        }
                    }
                    platform::messages().show(
                        QStringLiteral("Framräknat belopp från nytt saldo den ") +
                            Module1.WorkDate + QStringLiteral(" blir\n\n") + shortPattern(a),
                        Buttons::Ok, Icon::None,
                        QStringLiteral("Belopp vid insättning av nytt saldo"));
                    Module1.CancelFlag = QStringLiteral("1");
                    Command3_Click();
                }
                p.verklText = newAmount;
            }
            const ledger::EditResult r = ledger::insertPosting(data, n, p, templateOf(budget));
            if (!r.ok()) {
                showRefusal(r.refusal);
                Module1.CancelFlag = QStringLiteral("1");
                Command3_Click();
                return;
            }
            point = r.postNr;
            Module1.AntalPoster = r.antalPoster;
            Module1.PostNr = r.postNr;
            if (budget)
                Module1.MallAntal = ledger::account().bmall.count();
            refreshWithCheck();
            Module1.CancelFlag = QStringLiteral("1");
            Command3_Click();
        },
        [&] {
            QStringList dump{QStringLiteral(" vid sparförsök"), QStringLiteral("av ny kontopost")};
            if (budget)
                dump << QStringLiteral("Nytt Budgetbelopp för inläggning ?  ") + BudgBelText
                     << QStringLiteral("Nytt Verkl. belopp för inläggning ?  ") + VerklBelText;
            else
                dump << QStringLiteral("Nytt belopp för inläggning ?  ") + newAmount;
            dump << QStringLiteral("Referenssiffra för transaktion ") + num(Module1.TransNr)
                 << QStringLiteral("Referenssiffra för subtrans. ") + num(Module1.SubTransNr)
                 << QStringLiteral("Insättningspunkt ny post  ") + num(point)
                 << QStringLiteral("Antal poster i kontot  ") + num(Module1.AntalPoster);
            if (budget) {
                const BudgetKontoPost r = data.budget(qMax(1L, point));
                dump << QStringLiteral("Nyinsatt post Datum  ") + r.Datum
                     << QStringLiteral("Nyinsatt post Trans.ref  ") + r.TransRef
                     << QStringLiteral("Nyinsatt post Budgetbelopp  ") + r.BudgBelopp
                     << QStringLiteral("Nyinsatt post Verkl. belopp  ") + r.VerklBelopp
                     << QStringLiteral("Nyinsatt post Budgetsaldo  ") + r.BudgSaldo
                     << QStringLiteral("Nyinsatt post Verkl. saldo  ") + r.VerklSaldo
                     << QStringLiteral("Nyinsatt post SaldoDiff  ") + r.SaldoDiff
                     << QStringLiteral("Nyinsatt post Subtr.ref  ") + r.SubRef
                     << QStringLiteral("Nyinsatt post status  ") + r.BStatus;
            } else {
                const EnkelKontoPost r = data.enkel(qMax(1L, point));
                dump << QStringLiteral("Nyinsatt post Datum  ") + r.Datum
                     << QStringLiteral("Nyinsatt post Trans.ref  ") + r.TransRef
                     << QStringLiteral("Nyinsatt post Belopp  ") + r.Belopp
                     << QStringLiteral("Nyinsatt post Saldo  ") + r.Saldo
                     << QStringLiteral("Nyinsatt post Subtr.ref  ") + r.SubRef;
            }
            dump << kindLine() << accountLine();
            return ErrorContext(budget ? QStringLiteral("Inpost_Budget")
                                       : QStringLiteral("Inpost_Enkel"),
                                {QStringLiteral("vid försök lägga in ny kontopost")}, dump);
        });
}

// ---- Removal ----------------------------------------------------------------------------

void HeadForm::UtPost_Enkel() {
    removeMarked(false);
}
void HeadForm::UtPost_Budget() {
    removeMarked(true);
}

void HeadForm::removeMarked(bool budget) {
    ledger::PostingFile& data = ledger::account().kontoData;
    const long r = MarkRecord;
    const long n = Module1.AntalPoster;
    if (!data.isOpen() || r < 1 || r > n)
        return;
    trap(
        [&] {
            QString amounts = budget ? formatted(BudgBelOld) + QStringLiteral(" kr.,  ") +
                                           formatted(VerklBelOld) + QStringLiteral(" kr.  ?")
                                     : formatted(VerklBelOld) + QStringLiteral(" kr.  ?");
            // The posting's own date: the steppers may have moved the working date.
            const Answer answer = platform::messages().show(
                QStringLiteral("Vill du radera posten med datum: ") + trimBlanks(data.datum(r)) +
                    QStringLiteral("\n\n") + Module1.HuvudTrans + QStringLiteral("\n\n") + amounts,
                Buttons::YesNo, Icon::None, QStringLiteral("Borttagning av post"));
            if (answer == Answer::No) {
                budget ? Rensa_Mark_G2() : Rensa_Mark_G1();
                if (!budget) {
                    FormDate = Module1.DagensDatum;
                    datumset();
                }
                return;
            }
            if (n < 2) {
                removeOnlyPosting(budget);
                return;
            }
            const ledger::EditResult res = ledger::removePosting(data, n, r);
            if (!res.ok()) {
                showRefusal(res.refusal);
                Module1.CancelFlag = QStringLiteral("1");
                Command3_Click();
                return;
            }
            Module1.AntalPoster = res.antalPoster;
            Module1.PostNr = res.postNr;
            refreshWithCheck();
            Module1.CancelFlag = QStringLiteral("1");
            Command3_Click();
        },
        [&] {
            QStringList dump{QStringLiteral("Markerad kontopost  ") + num(r),
                             QStringLiteral("Angivet PostNr ?  ") + num(Module1.PostNr),
                             QStringLiteral("Antal poster i kontot  ") + num(n),
                             QStringLiteral("Siffra för pågående post i loop ") + num(r)};
            if (budget)
                dump << QStringLiteral("Raderat Budgetbelopp  ") + BudgBelOld
                     << QStringLiteral("Raderat Verkl.belopp  ") + VerklBelOld
                     << QStringLiteral("Post Budgetsaldo innan radering ")
                     << QStringLiteral("Post Verkl.saldo innan radering ")
                     << QStringLiteral("Post SaldoDiff innan radering ")
                     << QStringLiteral("Post Budgetsaldo efter radering ")
                     << QStringLiteral("Post Verkl.saldo efter rafering ")
                     << QStringLiteral("Post Saldodiff. efter radering ");
            else
                dump << QStringLiteral("Raderat Belopp  ") + VerklBelOld
                     << QStringLiteral("Post Saldo innan radering ")
                     << QStringLiteral("Post Saldo efter radering ");
            dump << QStringLiteral("Högsta Post Saldo efter nollställning ") << kindLine()
                 << accountLine();
            return ErrorContext(budget ? QStringLiteral("UtPost_Budget")
                                       : QStringLiteral("UtPost_Enkel"),
                                {QStringLiteral("vid radering av post från datafilen.")}, dump);
        });
}

// ---- Change -----------------------------------------------------------------------------

void HeadForm::ChgPost_Enkel() {
    changeMarked(false);
}
void HeadForm::ChgPost_Budget() {
    changeMarked(true);
}

void HeadForm::changeMarked(bool budget) {
    ledger::PostingFile& data = ledger::account().kontoData;
    const long r = MarkRecord;
    const long n = Module1.AntalPoster;
    if (!data.isOpen() || r < 1 || r > n)
        return;
    const QString budgOld = BudgBelOld, verklOld = VerklBelOld;
    trap(
        [&] {
            QStringList lines;
            if (budget && BudgBelText != BudgBelOld)
                lines << QStringLiteral("Budgetbeloppet:  ") + changeText(BudgBelOld) +
                             QStringLiteral("  till  ") + changeText(BudgBelText) +
                             QStringLiteral("  ?");
            if (VerklBelText != VerklBelOld)
                lines << QStringLiteral("Verkl. beloppet:  ") + changeText(VerklBelOld) +
                             QStringLiteral("  till  ") + changeText(VerklBelText) +
                             QStringLiteral("  ?");
            if (lines.isEmpty()) {
                platform::messages().show(QStringLiteral("Ingen ändring utförd !"), Buttons::Ok,
                                          Icon::Information,
                                          QStringLiteral("Ändring av tidigare belopp"));
                Module1.CancelFlag = QStringLiteral("1");
                Command3_Click();
                return;
            }
            const Answer answer = platform::messages().show(
                QStringLiteral("Vill du ändra tidigare:\n") + lines.join(QLatin1Char('\n')),
                Buttons::YesNo, Icon::None, QStringLiteral("Ändring av tidigare belopp"));
            if (answer == Answer::No) {
                Module1.CancelFlag = QStringLiteral("1");
                Command3_Click();
                return;
            }
            ChangeDiffVerkl = Amount::parse(VerklBelText) - Amount::parse(VerklBelOld);
            ChangeDiffBudg =
                budget ? Amount::parse(BudgBelText) - Amount::parse(BudgBelOld) : Amount();
            // Confirmed or planned by the posting's own date, not by where the
            // steppers have since moved the working date.
            const ledger::EditResult res =
                ledger::changePosting(data, n, r, budget ? BudgBelText : QString(), VerklBelText,
                                      data.datum(r), Module1.DagensDatum, templateOf(budget));
            if (!res.ok()) {
                showRefusal(res.refusal);
                Module1.CancelFlag = QStringLiteral("1");
                Command3_Click();
                return;
            }
            Module1.PostNr = res.postNr;
            if (budget)
                Module1.MallAntal = ledger::account().bmall.count();
            refreshWithCheck();
            // Back to the marking, which the cancel button then clears.
            Module1.Avb = budget ? QStringLiteral("mkg2") : QStringLiteral("mkg1");
            Command3->setText(QStringLiteral("Avbryt mark."));
            Command2->setText(QStringLiteral("Ta bort"));
            Module1.EditMode = QStringLiteral("rem");
            Module1.CancelFlag = QStringLiteral("1");
            Command3_Click();
        },
        [&] {
            QStringList dump{QStringLiteral("Markerad kontopost  ") + num(r)};
            if (budget)
                dump << QStringLiteral("Budgetbelopp före ändring  ") + budgOld
                     << QStringLiteral("Verkl.belopp före ändring  ") + verklOld
                     << QStringLiteral("Budgetbelopp efter ändring  ") + BudgBelText
                     << QStringLiteral("Verkl.belopp efter ändring  ") + VerklBelText;
            else
                dump << QStringLiteral("Belopp före ändring  ") + verklOld
                     << QStringLiteral("Belopp efter ändring  ") + VerklBelText;
            dump << QStringLiteral("Tecken är (") + Module1.TransTecken + QLatin1Char(')')
                 << QStringLiteral("Antal poster i kontot  ") + num(n)
                 << QStringLiteral("Siffra för pågående post i loop ") + num(r);
            if (budget)
                dump << QStringLiteral("Post Budgetsaldo innan ändring ")
                     << QStringLiteral("Post Verkl.saldo innan ändring ")
                     << QStringLiteral("Post SaldoDiff innan ändring ")
                     << QStringLiteral("Post Budgetsaldo efter ändring ")
                     << QStringLiteral("Post Verkl.saldo efter ändring ")
                     << QStringLiteral("Post SaldoDiff efter ändring ");
            else
                dump << QStringLiteral("Post Saldo innan ändring ")
                     << QStringLiteral("Post Saldo efter ändring ");
            dump << QStringLiteral("Ändringsdifferens ") + ChangeDiffVerkl.storage() << kindLine()
                 << accountLine();
            return ErrorContext(budget ? QStringLiteral("ChgPost_Budget")
                                       : QStringLiteral("ChgPost_Enkel"),
                                {QStringLiteral("vid ändring av post i datafilen.")}, dump);
        });
}

// ---- Move ---------------------------------------------------------------------------------

void HeadForm::PostMover_Enkel() {
    moveRange(false);
}
void HeadForm::PostMover_Budget() {
    moveRange(true);
}

void HeadForm::moveRange(bool budget) {
    ledger::PostingFile& data = ledger::account().kontoData;
    if (!data.isOpen())
        return;
    const long n = Module1.AntalPoster;
    if (MoveState.isEmpty())
        labelsToWorkDate();
    trap(
        [&] {
            if (n < 2) {
                // One posting: only its date changes.
                const ledger::EditResult res = ledger::movePostings(
                    data, n, 1, 1, Module1.WorkDate, Module1.DagensDatum, templateOf(budget));
                if (!res.ok())
                    showRefusal(res.refusal);
                Module1.PostNr = 1;
                refreshWithCheck();
                Module1.CancelFlag = QStringLiteral("1");
                Command3_Click();
                return;
            }
            if (MoveState.isEmpty()) {
                HelpHold = 1;
                Lock_trans();
                Lock_Konto();
                Lock_menues();
                Picture1->setEnabled(false);
                if (budget) {
                    for (QWidget* w : std::initializer_list<QWidget*>{
                             BudgBel_Budget, Label3, VerklBel_Budget, Label4, Command1})
                        w->setEnabled(false);
                } else {
                    Bel_Enkel->setEnabled(false);
                    Label11->setEnabled(false);
                }
                Command3->setText(QStringLiteral("Avbryt Flytta"));
                Module1.Avb = QStringLiteral("Fl");
                Module1.CancelFlag = QStringLiteral("1"); // Esc ends the move too
                Command2->setEnabled(false);
                Module1.EditMode.clear();
                setHelp(QStringLiteral("Flytta"),
                        QStringLiteral("Klicka på första rad som ska flyttas !"));
                MoveState = QStringLiteral("First");
            } else if (MoveState == QLatin1String("First")) {
                Label30->setText(
                    QStringLiteral("Klicka på sista rad som ska flyttas (kan vara samma rad !)."));
                MoveState = QStringLiteral("Last");
            } else if (MoveState == QLatin1String("Last")) {
                Label30->setText(
                    QStringLiteral("Sätt nytt datum och klicka sedan på 'Nytt datum' !"));
                Command2->setEnabled(true);
                Command2->setText(QStringLiteral("Nytt datum"));
                Module1.EditMode = QStringLiteral("flt");
                MoveState = QStringLiteral("Markerat");
            } else if (MoveState == QLatin1String("Markerat")) {
                MoveState.clear();
                Command2->setEnabled(false);
                setHelp(QString(), QString());
                Module1.EditMode.clear();
                const long first = qMax(1L, MoveFirstRec);
                const long last = qMin(n, MoveLastRec);
                if (first <= last) {
                    const ledger::EditResult res =
                        ledger::movePostings(data, n, first, last, Module1.WorkDate,
                                             Module1.DagensDatum, templateOf(budget));
                    if (!res.ok()) {
                        showRefusal(res.refusal);
                        Module1.CancelFlag = QStringLiteral("1");
                        Command3_Click();
                        return;
                    }
                    Module1.AntalPoster = res.antalPoster;
                    if (budget)
                        Module1.MallAntal = ledger::account().bmall.count();
                    // The moved postings are the last ones dated the new date.
                    // Balances changed from the first record the move took
                    // from or put into; the grid goes to the last one put in.
                    const long lastPut = data.lastOnOrBefore(Module1.WorkDate, Module1.AntalPoster);
                    Module1.PostNr = qMax(1L, qMin(first, lastPut - (last - first)));
                    budget ? Saldokontroll_Budget() : SaldoKontroll_Enkel();
                    Module1.PostNr = qMax(1L, lastPut);
                    refreshWithoutCheck();
                }
                Module1.CancelFlag = QStringLiteral("1");
                Command3_Click();
                Command3->setFocus();
            }
        },
        [&] {
            QStringList dump{QStringLiteral("vid försök att flytta post(er) till nytt datum.."),
                             QStringLiteral("Spärr uppe för MouseMov (= 1 ?) ") + num(HelpHold),
                             QStringLiteral("Variabel 'Markerad' ") + MoveState,
                             QStringLiteral("Utlagt meddelande ") + Label30->text(),
                             QStringLiteral("Avbrytsvariabel ") + Module1.CancelFlag,
                             QStringLiteral("Första post att flytta ") + num(MoveFirstRec),
                             QStringLiteral("Sista post att flytta ") + num(MoveLastRec),
                             QStringLiteral("Antalet poster i konto ") + num(n),
                             QStringLiteral("Erhållet postnummer ") + num(Module1.PostNr),
                             QStringLiteral("Erhållen Insättn.Pkt ") + num(Module1.PostNr),
                             QStringLiteral("Antal flyttposter ") +
                                 num(MoveLastRec - MoveFirstRec + 1)};
            if (budget)
                dump << QStringLiteral("Totalsumma Budgetbelopp ")
                     << QStringLiteral("Totalsumma Verkl.belopp ");
            dump << kindLine() << accountLine();
            return ErrorContext(
                budget ? QStringLiteral("PostMover_Budget") : QStringLiteral("PostMover_Enkel"),
                {QStringLiteral("vid försök att flytta post(er) till nytt datum.")}, dump);
        });
}

// ---- Balance check and recount ----------------------------------------------------------

void HeadForm::SaldoKontroll_Enkel() {
    checkBalances(false);
}
void HeadForm::Saldokontroll_Budget() {
    checkBalances(true);
}

void HeadForm::checkBalances(bool budget) {
    const ledger::PostingFile& data = ledger::account().kontoData;
    if (!data.isOpen())
        return;
    const long from = qMax(1L, Module1.PostNr);
    const long n = Module1.AntalPoster;
    long at = 0;
    handler::trapWithHead(
        [&] {
            const std::optional<ledger::Mismatch> m = ledger::checkBalances(data, from, n);
            if (!m)
                return;
            at = m->record;
            QString datum, amounts;
            const int transNr = inRecord(data.path(), at, [&] {
                QString ref;
                if (budget) {
                    const BudgetKontoPost p = data.budget(at);
                    datum = p.Datum;
                    ref = p.TransRef;
                    amounts = QStringLiteral("Budgetbelopp: ") + formatted(p.BudgBelopp) +
                              QStringLiteral("\nVerkl.belopp: ") + formatted(p.VerklBelopp);
                } else {
                    const EnkelKontoPost p = data.enkel(at);
                    datum = p.Datum;
                    ref = p.TransRef;
                    amounts = QStringLiteral("Belopp: ") + formatted(p.Belopp);
                }
                return std::abs(toInt(ref));
            });
            Module1.HuvudTrans =
                trimBlanks(ledger::account().transakt.get<TransPost>(transNr).TransNamn);
            QString which;
            switch (m->which) {
            case ledger::Mismatch::Which::Saldo:
                which = QStringLiteral("Upptäckt saldoskillnad:");
                break;
            case ledger::Mismatch::Which::BudgSaldo:
                which = QStringLiteral("Upptäckt skillnad budgetsaldo:");
                break;
            case ledger::Mismatch::Which::VerklSaldo:
                which = QStringLiteral("Upptäckt skillnad verkl. saldo:");
                break;
            case ledger::Mismatch::Which::SaldoDiff:
                which = QStringLiteral("Upptäckt skillnad saldodiff:");
                break;
            }
            const QString text = QStringLiteral("Programmet har hittat ett summeringsfel i\n"
                                                "datafilen, vid kontrollräkning !\n"
                                                "Felet är lokaliserat till:\n\n"
                                                "Datum: ") +
                                 datum + QStringLiteral("\nTransaktion: ") + Module1.HuvudTrans +
                                 QLatin1Char('\n') + amounts + QStringLiteral("\n\n") + which +
                                 QLatin1Char('\n') + formatted(m->stored) +
                                 QStringLiteral(" till ") + formatted(m->expected) +
                                 QStringLiteral("\n\nFelet kan åtgärdas genom en om-\n"
                                                "räkningsprocedur av datafilen fr o m\n"
                                                "posten före den felaktiga !\n\n") +
                                 (budget ? QStringLiteral("Vill du att omräkningen sker ?")
                                         : QStringLiteral("Vill du att omräkningen utföres ?"));
            if (platform::messages().show(text, Buttons::YesNo, Icon::None,
                                          QStringLiteral("Saldo-kontroll")) != Answer::No)
                budget ? Recount_Budget() : ReCount_Enkel();
            platform::messages().show(
                QStringLiteral("Om felet upprepas, v g kontakta\nprogramleverantör !"), Buttons::Ok,
                Icon::Information, QStringLiteral("Servicemeddelande"));
        },
        [&] {
            QStringList dump{QStringLiteral(" vid kontrollräkning"),
                             QStringLiteral("från senaste kontopost"),
                             QStringLiteral("Angivet PostNr ?  ") + num(Module1.PostNr),
                             QStringLiteral("Antal poster i kontot  ") + num(n),
                             QStringLiteral("Siffra för pågående post ") + num(at)};
            const long cur = qMax(1L, at > 0 ? at : from);
            if (budget) {
                const BudgetKontoPost p = data.budget(cur);
                const BudgetKontoPost prev = data.budget(qMax(1L, cur - 1));
                dump << QStringLiteral("Aktuell post Budgetbelopp  ") + p.BudgBelopp
                     << QStringLiteral("Aktuell post Verkl.belopp  ") + p.VerklBelopp
                     << QStringLiteral("Föregående post Budgetsaldo  ") + prev.BudgSaldo
                     << QStringLiteral("Föregående post Verkl.saldo  ") + prev.VerklSaldo
                     << QStringLiteral("Aktuell post Budgetsaldo  ") + p.BudgSaldo
                     << QStringLiteral("Aktuell post Verkl.saldo  ") + p.VerklSaldo
                     << QStringLiteral("Aktuell post Saldodiff.  ") + p.SaldoDiff;
            } else {
                const EnkelKontoPost p = data.enkel(cur);
                const EnkelKontoPost prev = data.enkel(qMax(1L, cur - 1));
                dump << QStringLiteral("Aktuell post Belopp  ") + p.Belopp
                     << QStringLiteral("Föregående post Saldo  ") + prev.Saldo
                     << QStringLiteral("Aktuell post Saldo  ") + p.Saldo
                     << QStringLiteral("Nyinsatt post Saldo  ") + p.Saldo;
            }
            dump << kindLine() << accountLine();
            return ErrorContext(budget ? QStringLiteral("SaldoKontroll_Budget")
                                       : QStringLiteral("SaldoKontroll_Enkel"),
                                {QStringLiteral("vid kontrollräkning av kontoposter från")}, dump);
        },
        budget ? QStringLiteral("Fel i rutinen Saldokontroll_Budget")
               : QStringLiteral("Fel i rutinen Saldokontroll_Enkel"));
}

void HeadForm::ReCount_Enkel() {
    recountBalances(false);
}
void HeadForm::Recount_Budget() {
    recountBalances(true);
}

void HeadForm::recountBalances(bool budget) {
    ledger::PostingFile& data = ledger::account().kontoData;
    const long from = qMax(1L, Module1.PostNr);
    const long n = Module1.AntalPoster;
    trap(
        [&] {
            const ledger::EditResult res = ledger::recount(data, from, n);
            if (!res.ok()) {
                // The check would only find the same fault again.
                showRefusal(res.refusal);
                return;
            }
            checkBalances(budget);
        },
        [&] {
            QStringList dump;
            if (!budget)
                dump << QStringLiteral(" vid omräkning efter felaktighet");
            dump << (budget ? QStringLiteral("Angivet PostNr ?  ")
                            : QStringLiteral("Angivet PostNr ")) +
                        num(Module1.PostNr)
                 << QStringLiteral("Antal poster i kontot  ") + num(n)
                 << QStringLiteral("Siffra för pågående post ") + num(from);
            if (budget)
                dump << QStringLiteral("Aktuell post Budgetbelopp  ")
                     << QStringLiteral("Aktuell post Verkl.belopp  ")
                     << QStringLiteral("Föregående post Budgetsaldo  ")
                     << QStringLiteral("Föregående post Verkl.saldo  ")
                     << QStringLiteral("Aktuell post Budgetsaldo  ")
                     << QStringLiteral("Aktuell post Verkl.saldo  ")
                     << QStringLiteral("Aktuell post Saldodiff.  ");
            else
                dump << QStringLiteral("Aktuell post Belopp  ")
                     << QStringLiteral("Föregående post Saldo  ")
                     << QStringLiteral("Aktuell post Saldo  ");
            dump << kindLine() << accountLine();
            return ErrorContext(
                budget ? QStringLiteral("ReCount_Budget") : QStringLiteral("ReCount_Enkel"),
                {budget ? QStringLiteral("vid omräkning saldo efter felaktighet")
                        : QStringLiteral("vid omräkning av saldo efter felaktighet")},
                dump);
        });
}

// ---- The budget template at account opening -----------------------------------------------

void HeadForm::Skapa_BudgMall() {
    ledger::buildTemplate(ledger::account().kontoData, Module1.AntalPoster, Module1.DagensDatum,
                          ledger::account().bmall);
    Module1.MallAntal = ledger::account().bmall.count();
}

} // namespace fyn
