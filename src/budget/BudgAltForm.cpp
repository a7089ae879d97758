// The budgeting dialog's frame: building it, opening and closing, the help
// texts, the holiday register's button and the posting run.
#include "budget/BudgAltForm.h"

#include "budget/BudgetErrors.h"
#include "budget/Generator.h"
#include "budget/HelpText.h"
#include "budget/HolidayForm.h"
#include "budget/Period.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/HeadForm.h"
#include "names/NameSupport.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace fyn {

using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

constexpr int kHelpContext = 60000;
constexpr int kWidth = 8400;
constexpr int kHeight = 7920;
// The month rows: the first one's top and the step between them, in twips.
constexpr int kRowTop = 1800;
constexpr int kRowStep = 480;

const char* const kMonthCaptions[] = {"Jan.:", "Feb.:", "Mars:",  "April:", "Maj:", "Juni:",
                                      "Juli:", "Aug.:", "Sept.:", "Okt.:",  "Nov.", "Dec.:"};

QLabel* label(QWidget* parent, const char* name, const QString& text, int l, int t, int w, int h) {
    auto* lab = makeControl<QLabel>(parent, name, text);
    placeTwips(lab, l, t, w, h);
    lab->setTextFormat(Qt::PlainText);
    return lab;
}

platform::ClickLabel* clickLabel(QWidget* parent, const char* name, int l, int t, int w, int h,
                                 const QString& tip) {
    auto* lab = makeControl<platform::ClickLabel>(parent, name);
    placeTwips(lab, l, t, w, h);
    lab->setTextFormat(Qt::PlainText);
    lab->setAlignment(Qt::AlignCenter);
    lab->setFrameShape(QFrame::Panel);
    lab->setFrameShadow(QFrame::Sunken);
    lab->setToolTip(tip);
    lab->setCursor(Qt::PointingHandCursor);
    return lab;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int l, int t, int w,
                    int h, const QString& tip = {}) {
    auto* b = makeControl<QPushButton>(parent, name, text);
    placeTwips(b, l, t, w, h);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

QListWidget* popupList(QWidget* parent, const char* name, const QString& accessible) {
    auto* l = makeControl<QListWidget>(parent, name);
    l->setAccessibleName(accessible);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->hide();
    return l;
}

} // namespace

BudgAltForm::BudgAltForm(HeadForm& head) : QWidget(nullptr, Qt::Dialog), head_(head) {
    setObjectName(QStringLiteral("BudgAltForm"));
    setFont(uiFont(kArial, 9.75));
    body_ = dialogBody(*this, hlp_mn, kHelpContext, kWidth, kHeight, [this] { Command1_Click(); });
    body_->installEventFilter(this);
    buildPeriodRow(body_);
    buildRows(body_);
    buildTransactionSide(body_);
    // The pop-up lists stand over everything else.
    for (QListWidget* l : {List1, List2, List3, List4})
        l->raise();
    // Not a Qt child of the main window (disabling it would disable the dialog),
    // so it goes with it.
    connect(&head_, &QObject::destroyed, this, [this] { delete this; });
}

BudgAltForm::~BudgAltForm() {
    delete holidayForm_.data();
}

void BudgAltForm::buildPeriodRow(QWidget* body) {
    Label4 = label(body, "Label4", QStringLiteral("Period"), 240, 360, 720, 255);
    Label4->setFont(uiFont(kArial, 9.75, true));
    Label2 = label(body, "Label2", QStringLiteral("Fr o m"), 1000, 360, 600, 255);
    Label41 = label(body, "Label41", QStringLiteral("-"), 2960, 360, 160, 255);
    Label41->setAlignment(Qt::AlignCenter);
    Label3 = label(body, "Label3", QStringLiteral("T o m"), 3200, 360, 600, 255);
    // Each date: year, month and day, the dashes between them held behind.
    const auto date = [&](int left, const char* dashes, QLabel*& holder) {
        holder = label(body, dashes, QString(), left, 330, 1240, 315);
        for (int x : {480, 860}) {
            QLabel* dash = label(holder, "", QStringLiteral("-"), x, 30, 80, 255);
            dash->setAlignment(Qt::AlignCenter);
        }
    };
    date(1640, "Label33", Label33);
    date(3840, "Label37", Label37);
    Label34 = clickLabel(body, "Label34", 1640, 330, 480, 315, QStringLiteral("Ändra budgetår"));
    Label35 = clickLabel(body, "Label35", 2200, 330, 300, 315, QStringLiteral("Ändra startmånad"));
    Label36 = label(body, "Label36", QStringLiteral("01"), 2580, 330, 300, 315);
    Label38 = clickLabel(body, "Label38", 3840, 330, 480, 315, QStringLiteral("Ändra budgetår"));
    Label39 = clickLabel(body, "Label39", 4400, 330, 300, 315, QStringLiteral("Ändra slutmånad"));
    Label40 = label(body, "Label40", QString(), 4780, 330, 300, 315);
    for (QLabel* l : {Label36, Label40})
        l->setAlignment(Qt::AlignCenter);
    connect(Label34, &platform::ClickLabel::clicked, this, &BudgAltForm::Label34_Click);
    connect(Label35, &platform::ClickLabel::clicked, this, &BudgAltForm::Label35_Click);
    connect(Label38, &platform::ClickLabel::clicked, this, &BudgAltForm::Label38_Click);
    connect(Label39, &platform::ClickLabel::clicked, this, &BudgAltForm::Label39_Click);

    List2 = popupList(body, "List2", QStringLiteral("Budgetår"));
    List3 = popupList(body, "List3", QStringLiteral("Månad"));
    connect(List2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* i) { List2_MouseUp(List2->row(i)); });
    connect(List3, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* i) { List3_MouseUp(List3->row(i)); });
    List2->installEventFilter(this);
    List3->installEventFilter(this);
}

void BudgAltForm::buildRows(QWidget* body) {
    Label5 = label(body, "Label5", QStringLiteral("Mån"), 240, 1440, 780, 255);
    Label7 = label(body, "Label7", QStringLiteral("Dag"), 1080, 1440, 480, 255);
    Label6 = label(body, "Label6", QStringLiteral("belopp"), 1680, 1440, 1560, 255);
    for (QLabel* l : {Label5, Label7, Label6})
        l->setFont(uiFont(kArial, 9.75, true));
    Label7->setAlignment(Qt::AlignCenter);
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (int m = 1; m <= 12; ++m) {
        const int top = kRowTop + kRowStep * (m - 1);
        const QByteArray nameLabel = "Label" + QByteArray::number(6 + 2 * m);
        const QByteArray dayLabel = "Label" + QByteArray::number(7 + 2 * m);
        const QByteArray box = "Text" + QByteArray::number(3 + m);
        monthLabel[size_t(m)] = label(body, nameLabel.constData(),
                                      QString::fromUtf8(kMonthCaptions[m - 1]), 240, top, 780, 315);
        dateLabel[size_t(m)] = clickLabel(body, dayLabel.constData(), 1080, top, 480, 315,
                                          QStringLiteral("Sätt nytt datum"));
        dateLabel[size_t(m)]->setAccessibleDescription(QStringLiteral("Dag för ") +
                                                       budget::monthName(m).toLower());
        connect(dateLabel[size_t(m)], &platform::ClickLabel::clicked, this,
                [this, m] { dateLabel_Click(m); });
        QLineEdit* b = makeControl<QLineEdit>(body, box.constData());
        placeTwips(b, 1680, top - 30, 1560, 375);
        b->setAlignment(Qt::AlignRight);
        b->setAccessibleName(QStringLiteral("Belopp för ") + budget::monthName(m).toLower());
        b->setToolTip(QStringLiteral("Sätt budgetbelopp"));
        b->installEventFilter(this);
        connect(b, &QLineEdit::textEdited, this, [this] {
            // What the last scan took is no longer what the box holds.
            Command2->setEnabled(false);
        });
        amountBox[size_t(m)] = b;
        setBoxColour(m, QColor(0xFF, 0xC0, 0xC0));
    }
    List1 = popupList(body, "List1", QStringLiteral("Dagar"));
    connect(List1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* i) { List1_MouseUp(List1->row(i)); });
    List1->installEventFilter(this);
}

void BudgAltForm::buildTransactionSide(QWidget* body) {
    Text3 = makeControl<QLineEdit>(body, "Text3");
    placeTwips(Text3, 3600, 1080, 3840, 375);
    Text3->setReadOnly(true);
    Text3->setToolTip(QStringLiteral("Lägg till transaktion"));
    Text3->setAccessibleName(QStringLiteral("Transaktion"));
    Text3->setText(QStringLiteral("Skapa ny transaktion"));
    Text3->setCursor(Qt::PointingHandCursor);
    Text3->installEventFilter(this);
    Command7 = button(body, "Command7", QString(), 7500, 1080, 600, 375);
    Command7->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    Command7->setAccessibleName(QStringLiteral("Visa transaktionslistan"));
    Label43 = label(body, "Label43", QString(), 3600, 1500, 1200, 255);

    Option1 = makeControl<QRadioButton>(body, "Option1", QStringLiteral("Alla reg."));
    placeTwips(Option1, 3600, 1860, 1440, 300);
    Option1->setToolTip(QStringLiteral("Lista samtliga transaktioner"));
    Option2 = makeControl<QRadioButton>(body, "Option2", QStringLiteral("Budg.bara"));
    placeTwips(Option2, 5100, 1860, 1440, 300);
    Option2->setToolTip(QStringLiteral("Lista utvalda transaktioner"));
    Option3 = makeControl<QRadioButton>(body, "Option3", QStringLiteral("Uteslutna"));
    placeTwips(Option3, 6600, 1860, 1500, 300);
    Option3->setToolTip(QStringLiteral("Lista bortvalda transaktioner"));
    optionGroup({Option1, Option2, Option3});

    Command3 = button(body, "Command3", QString(), 3600, 2280, 2640, 420);
    Command4 = button(body, "Command4", QStringLiteral("Uteslut datum"), 6360, 2280, 1740, 420);
    Text1 = makeControl<QPlainTextEdit>(body, "Text1");
    placeTwips(Text1, 3600, 2880, 4500, 3120);
    Text1->setReadOnly(true);
    Text1->setAccessibleName(QStringLiteral("Hjälptext"));
    Command5 = button(body, "Command5", QStringLiteral("Avbryt datum"), 3600, 6120, 2160, 420,
                      QStringLiteral("Ta bort datumlistan"));
    Command6 = button(body, "Command6", QStringLiteral("Rensa"), 5940, 6120, 2160, 420);
    Command2 = button(body, "Command2", QStringLiteral("Budgetera ovanstående"), 3600, 6660, 4500,
                      480, QStringLiteral("Lägg ut budgeteringarna"));
    Command1 = button(body, "Command1", QStringLiteral("Avsluta budgetering"), 3600, 7260, 4500,
                      480, QStringLiteral("Återgå till huvudformuläret"));
    for (QPushButton* b : {Command2, Command5, Command6})
        b->setEnabled(false);
    setCommand3(Command3Mode::None, QString());

    List4 = popupList(body, "List4", QStringLiteral("Transaktioner"));
    placeTwips(List4, 3600, 1500, 4500, 3600);
    List4->setToolTip(QStringLiteral("Välj transaktion för budgetering"));
    List4->installEventFilter(this);
    connect(List4, &QListWidget::itemPressed, this,
            [this](QListWidgetItem* i) { List4_MouseDown(List4->row(i)); });

    connect(Option1, &QRadioButton::clicked, this, &BudgAltForm::Option1_MouseUp);
    connect(Option2, &QRadioButton::clicked, this, &BudgAltForm::Option2_MouseUp);
    connect(Option3, &QRadioButton::clicked, this, &BudgAltForm::Option3_MouseUp);
    connect(Command1, &QPushButton::clicked, this, &BudgAltForm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &BudgAltForm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &BudgAltForm::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &BudgAltForm::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &BudgAltForm::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &BudgAltForm::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &BudgAltForm::Command7_Click);
    disconnect(hlp_mn, nullptr, this, nullptr);
    connect(hlp_mn, &QAction::triggered, this, &BudgAltForm::hlp_mn_Click);
}

void BudgAltForm::setBoxColour(int month, const QColor& c) {
    QLineEdit* b = amountBox[size_t(month)];
    QPalette p = b->palette();
    p.setColor(QPalette::Base, c);
    b->setPalette(p);
}

void BudgAltForm::putAmount(int month, const QString& text) {
    // What the rows cannot take (a damaged template amount) leaves the box empty.
    const bool taken = budget::readBoxAmount(text).kind == budget::BoxAmount::Kind::Whole;
    amountBox[size_t(month)]->setText(taken ? text : QString());
}

void BudgAltForm::setCommand3(Command3Mode mode, const QString& caption, const QString& tip) {
    command3Mode_ = mode;
    Command3->setText(caption);
    Command3->setToolTip(tip);
    Command3->setAccessibleName(caption.isEmpty() ? QStringLiteral("Transaktionsval") : caption);
    if (mode == Command3Mode::None)
        Command3->setEnabled(false);
}

// ---- Opening and closing --------------------------------------------------------------

void BudgAltForm::Form_Load() {
    budget::trapBudget(
        [&] {
            showBeside(*this, head_, WindowPos::BudgAltForm);
            setWindowTitle(QStringLiteral("Budgetering av konto: ") + Module1.KontoNamn);
            // The holidays count from the start, not only once their register
            // has been opened in this run.
            Module1.RedDayNum = budget::countUsed(budget::readRegister(redDayFilPath()));
            PeriodSuggest();
            Close_Fields();
            Conditions();
        },
        QStringLiteral("Form_Load (FormulärUppStart)"),
        QStringLiteral(" vid stängning huvudformulär / öppning budgetformulär"),
        [] {
            return QStringLiteral("Fel i rutinen Form_Load vid formuläruppstart budgetformulär.");
        },
        [&] {
            return QStringList{
                QStringLiteral("Senaste sökrecord i filen BudgetInfo: ") + QString::number(ListPos),
                budget::accountLabel(),
                QStringLiteral("Valt utvalsnamn: ") + budget::filterKey(Utvalsnyckel)};
        });
}

void BudgAltForm::Command1_Click() {
    closeDialog(true);
}

void BudgAltForm::closeEvent(QCloseEvent* e) {
    e->ignore();
    // A window that is disabled over another dialog ignores the close box.
    if (isEnabled())
        closeDialog(false);
}

void BudgAltForm::closeDialog(bool storePosition) {
    if (closing_)
        return;
    closing_ = true;
    if (storePosition)
        positionQuietly([this] { storeWindowPosition(*this, WindowPos::BudgAltForm); });
    // The transaction under budgeting ends with the dialog.
    Module1.HuvudTrans.clear();
    Module1.TransTecken.clear();
    head_.setEnabled(true);
    head_.Command3_Click();
    hide();
    head_.activateWindow();
    deleteLater();
}

void BudgAltForm::hlp_mn_Click() {
    platform::help().showContext(kHelpContext);
}

void BudgAltForm::InfoBox(int n) {
    Text1->clear();
    Text1->setPlainText(
        budget::readHelpSection(Module1.StartFolder, QCoreApplication::applicationDirPath(), n));
}

void BudgAltForm::Command4_Click() {
    if (!holidayForm_)
        holidayForm_ = new HolidayForm(*this);
    holidayForm_->Form_Load();
}

bool BudgAltForm::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (watched == body_ && type == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::LeftButton && !body_->childAt(me->position().toPoint()))
            Form_Click();
        return false;
    }
    if (watched == Text3 && type == QEvent::MouseButtonRelease) {
        Text3_Click();
        return true;
    }
    if (watched == List1 && type == QEvent::FocusOut) {
        List1_LostFocus();
        return false;
    }
    if (!platform::isEnterPress(e))
        return QWidget::eventFilter(watched, e);
    for (int m = 1; m <= 12; ++m)
        if (watched == amountBox[size_t(m)]) {
            amountBox_KeyPress(m, 13);
            return true;
        }
    auto* list = qobject_cast<QListWidget*>(watched);
    if (list && list->currentRow() >= 0) {
        if (list == List1)
            List1_MouseUp(List1->currentRow());
        else if (list == List2)
            List2_MouseUp(List2->currentRow());
        else if (list == List3)
            List3_MouseUp(List3->currentRow());
        else if (list == List4)
            List4_MouseDown(List4->currentRow());
        return true;
    }
    if (watched == Text3) {
        Text3_Click();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

// ---- The posting run -------------------------------------------------------------------

// A run over months that already hold the transaction asks before it posts it again.
bool BudgAltForm::postTwiceAsked(const budget::Plan& plan) {
    const std::vector<int> months =
        budget::monthsAlreadyPosted(ledger::account().kontoData, Module1.AntalPoster, plan);
    if (months.empty())
        return true;
    QString named;
    for (size_t i = 0; i < months.size(); ++i) {
        if (i > 0)
            named += i + 1 == months.size() ? QStringLiteral(" och ") : QStringLiteral(", ");
        named += budget::monthName(months[i]).toLower();
    }
    return ask(QStringLiteral("Transaktionen ") + Module1.HuvudTrans +
                   QStringLiteral(" har redan poster i ") + named + QLatin1Char(' ') + Budgetar +
                   QStringLiteral(".\n\nVill du ändå lägga in ovanstående poster, också i dessa "
                                  "månader ?"),
               QStringLiteral("Redan budgeterade månader"));
}

void BudgAltForm::Command2_Click() {
    // Only a transaction picked here is posted: the shared name may be left
    // over from the main window.
    if (!underBudgeting())
        return;
    int stage = 1;
    budget::Plan plan;
    ledger::EditResult result;
    // What the dump tells of the first month of the run, the one a failure
    // of the run as a whole names.
    QString date, amount, prevBudget, prevActual;
    long insertAt = 0;
    const QString heads[] = {
        QStringLiteral("Fel i rutinen Command2 (Budgetera...) vid sökning av insättningspunkt "
                       "(Nivå 1)"),
        QStringLiteral("Fel i rutinen Command2 (Budgetera...) vid kontroll översaldo.(Nivå 2)"),
        QStringLiteral("Fel i rutinen Command2 (Budgetera...) vid saldoökn. ovan I-pkt med nya "
                       "belopp.(Nivå 3)"),
        QStringLiteral("Fel i rutinen Command2 (Budgetera...) nya uppgifter på "
                       "insättningspunkt.(Nivå 4)"),
        QStringLiteral("Fel i rutinen Command2 (Budgetera...) operationer i huvudformulär / "
                       "avslut.(Nivå 5)")};
    bool done = false;      // the run ended as a run should
    bool committed = false; // its postings are on disk
    const auto body = [&] {
        const int year = Budgetar.toInt();
        plan = budget::planFrom(MonthList, year, ValdTransRef, Module1.DagensDatum);
        if (plan.badMonth > 0) {
            platform::messages().show(
                QStringLiteral("Dagen ") + MonthList[size_t(plan.badMonth)][1] +
                    QStringLiteral(" i ") + budget::monthName(plan.badMonth).toLower() +
                    QStringLiteral(" ") + Budgetar +
                    QStringLiteral(" finns inte i kalendern.\n\nVälj en ny dag för månaden. "
                                   "Ingenting har bokförts !"),
                platform::Buttons::Ok, platform::Icon::Warning, QStringLiteral("Ogiltigt datum"));
            return;
        }
        if (!plan.postings.empty() && !postTwiceAsked(plan))
            return;
        if (!plan.postings.empty()) {
            const ledger::PostingFile& data = ledger::account().kontoData;
            date = plan.postings.front().datum;
            amount = MonthList[size_t(plan.months.front())][2];
            insertAt = ledger::insertPoint(data, Module1.AntalPoster, date);
            if (insertAt >= 2) {
                const BudgetKontoPost prev = data.budget(insertAt - 1);
                prevBudget = trimBlanks(prev.BudgSaldo);
                prevActual = trimBlanks(prev.VerklSaldo);
            }
            // Every month is checked before any is written, and all are written
            // as one: a refusal leaves the files as they were. A posting that
            // cannot be read fails the check; anything else fails the writing.
            stage = 2;
            try {
                result = budget::postPlan(ledger::account().kontoData, Module1.AntalPoster, plan);
            } catch (const RuntimeError& e) {
                if (e.where().isEmpty())
                    stage = 4;
                throw;
            }
            if (!result.ok()) {
                showRefusal(result.refusal);
                return;
            }
            committed = true;
            Module1.AntalPoster = result.antalPoster;
            Module1.PostNr = result.postNr;
            stage = 5;
            head_.refreshWithCheck();
        }
        done = true;
    };
    budget::trapBudget(
        body, QStringLiteral("Command2 (Budgetera...)"),
        QStringLiteral(" vid budgeteringsförsök av transaktionen"),
        [] { return QStringList{Module1.HuvudTrans}; }, [&] { return heads[stage - 1]; },
        [&] {
            QStringList labels;
            switch (stage) {
            case 1:
                labels << QStringLiteral("Senaste datum i listan: ") + date
                       << QStringLiteral("Senaste belopp i listan: = ") + amount
                       << QStringLiteral("Funnen insättningspunkt: ") + QString::number(insertAt);
                break;
            case 2:
                labels << QStringLiteral("Antal record i filen: ") +
                              QString::number(Module1.AntalPoster);
                break;
            case 4:
                labels << QStringLiteral("Hämtat budgetsaldo: ") + prevBudget
                       << QStringLiteral("Hämtat verkl.saldo: ") + prevActual
                       << QStringLiteral("Insättningspunkt: ") + QString::number(insertAt);
                break;
            case 5:
                labels << QStringLiteral("PostNr för saldokontroll: ") +
                              QString::number(Module1.PostNr);
                break;
            default:
                break;
            }
            const int month = plan.months.empty() ? 0 : plan.months.front();
            labels << QStringLiteral("Loop-punkt i MonthList: ") + QString::number(month)
                   << QStringLiteral("Aktuellt belopp: = ") + amount
                   << QStringLiteral("Antal record i filen 'KontoData': ") +
                          QString::number(Module1.AntalPoster)
                   << QStringLiteral("Senaste sökrecord i filen 'KontoData': ") +
                          QString::number(std::max(0L, insertAt - 1))
                   << budget::accountLabel();
            return labels;
        });
    // Once the postings are on disk the run is over, whatever failed after:
    // what was posted cannot be posted again.
    if (!done && !committed)
        return;
    List1->clearSelection();
    List1->hide();
    if (ListPos > 0 && ListPos < List4->count())
        List4->setCurrentRow(ListPos);
    ForstaBelopp.clear();
    DagPos = 0;
    MonthList = {};
    Command2->setEnabled(false);
    Command7->setEnabled(true);
    BudgetPeriod();
    Conditions();
}

bool BudgAltForm::underBudgeting() const {
    return ValdTransRef >= 1 && !Module1.HuvudTrans.isEmpty();
}

} // namespace fyn
