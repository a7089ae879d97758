// The budgeting dialog's transaction side: the list and its filters, the
// exclusion marks, a new transaction, and the template placed on the rows.
#include "budget/BudgAltForm.h"
#include "budget/BudgetErrors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "ledger/TemplateMarks.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/HeadForm.h"
#include "names/NameSupport.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace fyn {

namespace {

const QColor kPlaced(0xC0, 0xFF, 0xC0); // &HC0FFC0: placed from the template
const QString kNewTransaction = QStringLiteral("Skapa ny transaktion");

// A result with an OK button only.
void note(const QString& text) {
    platform::messages().show(text, platform::Buttons::Ok, platform::Icon::None,
                              QStringLiteral("Budgetering"));
}

} // namespace

std::vector<TransPost> BudgAltForm::transactions() const {
    const RecordFile& f = ledger::account().transakt;
    std::vector<TransPost> out;
    if (!f.isOpen())
        return out;
    const long count = f.count();
    if (count < 1)
        return out;
    const QByteArray bytes = f.readRange(1, count);
    out.reserve(size_t(count));
    for (long n = 0; n < count; ++n)
        out.push_back(decodeRecord<TransPost>(
            bytes.mid(qsizetype(n) * TransPost::Length, TransPost::Length)));
    return out;
}

std::vector<BudgMallPost> BudgAltForm::templateRows() const {
    return ledger::templateRecords(ledger::account().bmall);
}

budget::RedDays BudgAltForm::redDays() const {
    if (Module1.RedDayNum <= 0)
        return {};
    return budget::RedDays(budget::readRegister(redDayFilPath()), Module1.RedDayNum);
}

void BudgAltForm::setFilter(budget::Filter f) {
    Utvalsnyckel = f;
    Option1->setChecked(f == budget::Filter::Alla);
    Option2->setChecked(f == budget::Filter::BBara);
    Option3->setChecked(f == budget::Filter::Uteslutna);
}

void BudgAltForm::applyView(const budget::ConditionsView& v) {
    Option1->setVisible(v.showAlla);
    Option2->setVisible(v.showBBara);
    Option3->setVisible(v.showUteslutna);
    setFilter(v.filter);
    if (v.blankCommand3)
        setCommand3(Command3Mode::None, QString());
}

void BudgAltForm::MarkCheck() {
    UteslutRef = budget::excludedRefs(templateRows());
    AntalUteslutna = int(UteslutRef.size());
}

void BudgAltForm::ListUpDate() {
    List4->clear();
    for (const budget::ListedTransaction& t :
         budget::listTransactions(Utvalsnyckel, transactions(), Module1.MallAntal, UteslutRef)) {
        auto* item = new QListWidgetItem(t.name, List4);
        item->setData(Qt::UserRole, qlonglong(t.record));
    }
}

void BudgAltForm::Conditions() {
    Module1.MallAntal = ledger::account().bmall.count();
    const std::vector<TransPost> trans = transactions();
    const std::vector<BudgMallPost> tmpl = templateRows();
    if (!tmpl.empty())
        MarkCheck();
    const budget::ConditionsView v = budget::conditions(trans.empty(), tmpl, StartManad.toInt());
    if (!v.noTransactions) {
        applyView(v);
        ListUpDate();
        List4->setEnabled(true);
    }
    InfoBox(v.help);
    Command1->setFocus();
}

void BudgAltForm::filterUp(budget::Filter f) {
    Rensa();
    setFilter(f);
    ListUpDate();
}

void BudgAltForm::Option1_MouseUp() {
    filterUp(budget::Filter::Alla);
}

void BudgAltForm::Option2_MouseUp() {
    filterUp(budget::Filter::BBara);
}

void BudgAltForm::Option3_MouseUp() {
    filterUp(budget::Filter::Uteslutna);
}

void BudgAltForm::List4_MouseDown(int row) {
    if (row < 0 || row >= List4->count())
        return;
    int level = 1;
    // What the dump tells at each level.
    QString name, sign, mark, month, day, amount, record, heldDay, heldAmount;
    const auto guarded = [&](auto&& body) {
        return budget::trapBudget(
            body, QStringLiteral("List4 (Transaktionslista)"),
            QStringLiteral(" vid försök att hämta listad transaktion"),
            [] { return QStringList{Module1.HuvudTrans}; },
            [&] {
                switch (level) {
                case 1:
                    return QStringLiteral("Fel i rutinen List4 (Transaktionslista...) tar fram "
                                          "tr.ref. Hämtar transaktion.(Nivå 1)");
                case 2:
                    return QStringLiteral("Fel i rutinen List4 (Transaktionslista) Kollar tecken, "
                                          "uteslutning, periodbehörighet .(Nivå 2)");
                case 3:
                    return QStringLiteral("Fel i rutinen List4 (Transaktionslista) Placerar datum "
                                          "och belopp per månad .(Nivå 3)");
                default:
                    return QStringLiteral("Fel i rutinen List4 (Transaktionslista) Sättning av "
                                          "kommandoknappar, infotext.(Nivå 4)");
                }
            },
            [&] {
                QStringList labels;
                switch (level) {
                case 1:
                    labels << QStringLiteral("Startmånadsnr: ") + StartManad
                           << QStringLiteral("Stoppmånadsnr: ") + StoppManad
                           << QStringLiteral("Transaktion från List4: ") +
                                  QString::number(ValdTransRef)
                           << QStringLiteral("Transaktion från filen Transakt: ") + name
                           << QStringLiteral("Tecken från filen Transakt: = ") + sign;
                    break;
                case 2:
                    labels << QStringLiteral("Ref.nr för uteslutning: ") +
                                  QString::number(ValdTransRef)
                           << QStringLiteral("Uteslutningstext: ") + mark
                           << QStringLiteral("Startmånadsnr: ") + StartManad
                           << QStringLiteral("Stoppmånadsnr: ") + StoppManad
                           << QStringLiteral("Aktuell månadssiffra från B-mall: ") + month
                           << QStringLiteral("Aktuell månadssiffra G: ") +
                                  QString::number(month.toInt())
                           << QStringLiteral("Aktuell dagssiffra: ") + day
                           << QStringLiteral("Aktuellt belopp (formaterat): ") + amount;
                    break;
                case 3:
                    labels << QStringLiteral("Aktuell månadssiffra (G): ") + month
                           << QStringLiteral("Aktuell dagssiffra för placering: ") + day
                           << QStringLiteral("Aktuellt belopp (formaterat): ") + amount
                           << QStringLiteral("Aktuellt ref.nr B-mall: ") + record;
                    break;
                default:
                    labels << QStringLiteral("Befintligt belopp (formaterat): ") + heldAmount
                           << QStringLiteral("Befintligt datum för transaktion: ") + heldDay;
                    break;
                }
                return labels << budget::accountLabel();
            });
    };
    budget::Placement placed;
    const bool ok = guarded([&] {
        Command3->setEnabled(true);
        List4->setCurrentRow(row);
        ValdTransRef = long(List4->item(row)->data(Qt::UserRole).toLongLong());
        BudgetPeriod();
        Close_Period();
        const TransPost t = ledger::account().transakt.get<TransPost>(ValdTransRef);
        name = trimBlanks(t.TransNamn);
        sign = t.Tecken;
        Module1.TransTecken = t.Tecken;
        Module1.HuvudTrans = name;
        Text3->setText(Module1.HuvudTrans);
        List4->hide();
        ListPos = row;
        Label43->setText(t.Tecken == QLatin1String("-") ? QStringLiteral("Utgifts")
                                                        : QStringLiteral("Inkomst"));
        level = 2;
        const std::vector<BudgMallPost> tmpl = templateRows();
        Module1.MallAntal = long(tmpl.size());
        if (tmpl.empty()) {
            BudgFlagga = QStringLiteral("1");
            setCommand3(Command3Mode::CancelTransaction, QStringLiteral("Avbryt transaktion"));
            InfoBox(9);
            Text1->setFocus();
            return;
        }
        const bool excluded = budget::isExcluded(tmpl, ValdTransRef);
        mark = excluded ? QStringLiteral("*") : QString();
        if (excluded) {
            if (Utvalsnyckel == budget::Filter::Uteslutna) {
                setCommand3(Command3Mode::Restore, QStringLiteral("Anslut transaktion"),
                            QStringLiteral("Gör transaktionen budgeteringsbar"));
                InfoBox(20);
                Command3->setFocus();
                return;
            }
            // Nothing to do with an excluded transaction but to restore it.
            setCommand3(Command3Mode::None, QString());
            if (Utvalsnyckel == budget::Filter::Alla) {
                InfoBox(10);
                MarkCheck();
                Command1->setFocus();
            }
            return;
        }
        if (!ask(QStringLiteral("Vill du budgetera den utvalda transaktionen, klickar du "
                                "'Ja' !\n\nOm du avstår eller vill utesluta transaktionen "
                                "från budgeterbar, klickar du 'Nej' !"),
                 QStringLiteral("Budgetera transaktion"))) {
            setCommand3(Command3Mode::Exclude, QStringLiteral("Uteslut transaktion"),
                        QStringLiteral("Avlägsna transaktionen från budgeteringsbara"));
            InfoBox(19);
            Command1->setFocus();
            return;
        }
        BudgFlagga = QStringLiteral("1");
        setCommand3(Command3Mode::CancelTransaction, QStringLiteral("Avbryt transaktion"));
        level = 3;
        placed = budget::placeTemplate(tmpl, ValdTransRef, Budgetar.toInt(), StartManad.toInt(),
                                       StoppManad.toInt(), redDays());
        for (int m = 1; m <= 12; ++m) {
            const auto& placedRow = placed.rows[size_t(m)];
            if (!placedRow)
                continue;
            month = QString::number(m);
            day = heldDay = placedRow->day;
            amount = heldAmount = placedRow->amount;
            dateLabel[size_t(m)]->setText(placedRow->day);
            putAmount(m, placedRow->amount);
            amountBox[size_t(m)]->setEnabled(true);
            amountBox[size_t(m)]->setToolTip(QStringLiteral("Justera beloppet"));
            setBoxColour(m, kPlaced);
        }
        reportUnplaced(placed.unplaced, [&](const budget::UnplacedRecord& u) {
            // A damaged record, named as a damaged posting is; the other
            // rows stand.
            month = QString::number(u.month);
            day = u.day;
            amount = u.amount;
            record = QString::number(u.record);
            guarded([&] {
                throw RuntimeError(QStringLiteral("Type mismatch"),
                                   recordPlace(QStringLiteral("B-mall"), u.record));
            });
        });
        level = 4;
        if (placed.placedAny && BudgScanna()) {
            Command2->setEnabled(true);
            Command6->setEnabled(true);
            InfoBox(8);
            Text1->setFocus();
        }
    });
    if (!ok)
        Command1->setFocus();
}

// The template's records that left their rows empty: the first damaged one is
// reported through damaged(), the negative amounts in one note.
void BudgAltForm::reportUnplaced(
    const std::vector<budget::UnplacedRecord>& unplaced,
    const std::function<void(const budget::UnplacedRecord&)>& damaged) {
    QStringList negative;
    bool reported = false;
    for (const budget::UnplacedRecord& u : unplaced) {
        if (u.why == budget::UnplacedRecord::Why::Negative) {
            negative << budget::monthName(u.month) + QStringLiteral(": ") + u.amount;
        } else if (!reported) {
            reported = true;
            damaged(u);
        }
    }
    if (negative.isEmpty())
        return;
    platform::messages().show(
        QStringLiteral("Budgetmallen har negativa belopp, som beloppsfälten inte kan ta:\n\n") +
            negative.join(QLatin1Char('\n')) +
            QStringLiteral("\n\nDe månaderna lämnas tomma. Välj dag och skriv beloppet själv "
                           "om de ska budgeteras."),
        platform::Buttons::Ok, platform::Icon::Information, QStringLiteral("Negativt mallbelopp"));
}

// Nothing is picked any more: the dialog waits for a transaction.
void BudgAltForm::pickNothing() {
    Module1.HuvudTrans.clear();
    ValdTransRef = 0;
    Text3->setText(kNewTransaction);
}

void BudgAltForm::Command3_Click() {
    const Command3Mode mode = command3Mode_;
    setCommand3(Command3Mode::None, QString());
    if (mode == Command3Mode::CancelTransaction) {
        budget::trapBudget(
            [&] {
                BudgFlagga.clear();
                Command7->setEnabled(true);
                pickNothing();
                ListPos = 0;
                List4->hide();
                DagPos = 0;
                ForstaBelopp.clear();
                Rensa();
                Close_Fields();
                Open_Period();
                Conditions();
                Command1->setFocus();
            },
            QStringLiteral("Command3 (Avbryt transaktion)"),
            QStringLiteral(" vid försök att avbryta transaktionen"),
            [] { return QStringLiteral("Fel i rutinen Command3 vid försök avbryta transaktion."); },
            [] { return QStringList{}; });
    } else if (mode == Command3Mode::Exclude || mode == Command3Mode::Restore) {
        exclusion(mode == Command3Mode::Restore);
    }
}

void BudgAltForm::exclusion(bool restore) {
    const QString item = List4->currentItem() ? List4->currentItem()->text() : Module1.HuvudTrans;
    const QString question =
        restore ? QStringLiteral("Du försöker återställa den uteslutna transaktionen:\n\n")
                : QStringLiteral("Du försöker utesluta transaktionen:\n\n");
    if (!ask(question + item + QStringLiteral("!\n\nVill du fortsätta ?"),
             restore ? QStringLiteral("Återställ transaktion till budgeterbar")
                     : QStringLiteral("Uteslut transaktion från listan"))) {
        Command1->setFocus();
        return;
    }
    long found = 0;
    budget::trapBudget(
        [&] {
            const QString path = accountFile(Module1.KontoNamn, QStringLiteral("B-mall"));
            found = ledger::setExcluded(ledger::account().bmall, path, ValdTransRef, !restore);
            Module1.MallAntal = ledger::account().bmall.count();
            if (!restore && found == 0) {
                note(QStringLiteral("Transaktionen förekommer inte i budgetmallen !"));
                Conditions();
                return;
            }
            MarkCheck();
            const budget::ConditionsView v = budget::afterMarking(AntalUteslutna > 0, restore);
            applyView(v);
            InfoBox(v.help);
            ListUpDate();
            pickNothing();
            // The pick is over: the period and the filters are free again.
            Open_Period();
            note(restore
                     ? QStringLiteral("Transaktionen är återställd, kan hämtas och budgeteras !")
                     : QStringLiteral("Transaktionen är utesluten !"));
        },
        QStringLiteral("Command3 (Uteslut/Återanslut)"),
        QStringLiteral(" vid försök att återansluta transaktion"),
        [] {
            return QStringLiteral("Fel i rutinen Command3 vid försök återansluta "
                                  "transaktion.(Nivå 1)");
        },
        [&] {
            return QStringList{
                QStringLiteral("Utvalsnyckel: ") + budget::filterKey(Utvalsnyckel),
                QStringLiteral("Antal record i filen B-mall: ") +
                    QString::number(Module1.MallAntal),
                QStringLiteral("Senaste sökrecord i filen: ") + QString::number(found),
                QStringLiteral("Aktuellt PostNr: ") + QString::number(Module1.PostNr),
                QStringLiteral("Aktuell status i filpost (Bb): ") +
                    (restore ? QStringLiteral(" ") : QStringLiteral("*")),
                budget::accountLabel()};
        });
}

void BudgAltForm::Command7_Click() {
    if (List4->count() == 0)
        platform::messages().show(QStringLiteral("Listan för ") + budget::filterKey(Utvalsnyckel) +
                                      QStringLiteral(" transaktioner saknar f n innehåll !"),
                                  platform::Buttons::Ok, platform::Icon::Information,
                                  QStringLiteral("Tom transaktionslista"));
    Text3->clear();
    setCommand3(Command3Mode::None, QString());
    Rensa();
    InfoBox(Utvalsnyckel == budget::Filter::Uteslutna ? 10 : 7);
    List4->show();
    List4->raise();
    if (ListPos <= 0 && List4->count() > 0)
        List4->setCurrentRow(0);
    Command1->setFocus();
}

void BudgAltForm::Form_Click() {
    if (List4->isVisible()) {
        List4->hide();
        pickNothing();
        Conditions();
    }
    for (QListWidget* l : {List1, List3, List2}) {
        l->clearSelection();
        l->hide();
    }
    DatumLabelNr = 0;
    Open_Period();
}

void BudgAltForm::Text3_Click() {
    if (!Module1.HuvudTrans.isEmpty() && ValdTransRef >= 1) {
        Command1->setFocus();
        return;
    }
    if (List4->count() > 0) {
        InfoBox(5);
        if (!ask(QStringLiteral("Har du kontrollerat om den transaktion\nsom du tänker skriva in, "
                                "kanske\nredan finns i den här listan ?"),
                 QStringLiteral("Ny transaktion (?)"))) {
            Conditions();
            Command1->setFocus();
            return;
        }
    }
    InfoBox(6);
    Module1.trfo = QStringLiteral("ny");
    Module1.TransCaller = QStringLiteral("budg");
    Command1->setFocus();
    if (HeadForm::openTransForm)
        HeadForm::openTransForm(head_);
}

} // namespace fyn
