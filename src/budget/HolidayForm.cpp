// The holiday register window. The register's rules are in RedDays; this
// window asks the user and keeps the file.
#include "budget/HolidayForm.h"

#include "budget/BudgAltForm.h"
#include "budget/BudgetErrors.h"
#include "budget/Period.h"
#include "core/DateText.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "mainwindow/DialogSupport.h"
#include "names/NameSupport.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QToolButton>

namespace fyn {

using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

const QString kQuote = QStringLiteral("\"");

int currentYear() {
    return Module1.DagensDatum.left(4).toInt();
}

int currentMonth() {
    return Module1.DagensDatum.mid(5, 2).toInt();
}

QToolButton* stepper(QWidget* parent, const char* name, Qt::ArrowType arrow, const QString& what,
                     int l, int t) {
    auto* b = makeControl<QToolButton>(parent, name);
    b->setArrowType(arrow);
    b->setAccessibleName(what);
    b->setFocusPolicy(Qt::StrongFocus);
    placeTwips(b, l, t, 360, 180);
    return b;
}

platform::ClickLabel* valueLabel(QWidget* parent, const char* name, int l, int t, int w) {
    auto* lab = makeControl<platform::ClickLabel>(parent, name);
    placeTwips(lab, l, t, w, 360);
    lab->setAlignment(Qt::AlignCenter);
    lab->setFrameShape(QFrame::Panel);
    lab->setFrameShadow(QFrame::Sunken);
    lab->setTextFormat(Qt::PlainText);
    lab->setCursor(Qt::PointingHandCursor);
    return lab;
}

constexpr int kBudgetingHelp = 60000;

} // namespace

HolidayForm::HolidayForm(BudgAltForm& caller) : QWidget(nullptr, Qt::Dialog), caller_(caller) {
    setObjectName(QStringLiteral("HolidayForm"));
    setWindowTitle(kQuote + QStringLiteral("Röda dagar") + kQuote);
    // F1: the help on budgeting, which tells what the red days do.
    platform::setHelpTopic(*this, kBudgetingHelp);
    setFont(uiFont(kArial, 9.75));
    setFixedSize(twips(5520), twips(5400));

    Label5 = makeControl<QLabel>(this, "Label5",
                                 QStringLiteral("Daterade helgdagar ") + kQuote +
                                     QStringLiteral("Röda dagar") + kQuote);
    placeTwips(Label5, 240, 120, 4920, 255);
    G4 = makeControl<QTableWidget>(this, "G4");
    placeTwips(G4, 240, 420, 5040, 1800);
    G4->setColumnCount(3);
    G4->horizontalHeader()->hide();
    G4->verticalHeader()->hide();
    G4->verticalHeader()->setMinimumSectionSize(twips(240));
    G4->verticalHeader()->setDefaultSectionSize(twips(300));
    G4->setEditTriggers(QAbstractItemView::NoEditTriggers);
    G4->setSelectionBehavior(QAbstractItemView::SelectRows);
    G4->setSelectionMode(QAbstractItemView::SingleSelection);
    G4->setAccessibleName(QStringLiteral("Registrerade röda dagar"));
    connect(G4, &QTableWidget::cellPressed, this, [this](int row, int) { G4_MouseDown(row); });

    Label1 = makeControl<QLabel>(this, "Label1", QStringLiteral("Ny / Mark. Röd dag"));
    placeTwips(Label1, 240, 2340, 3000, 255);
    Text1 = makeControl<QLineEdit>(this, "Text1");
    placeTwips(Text1, 240, 2640, 3000, 375);
    Text1->setMaxLength(25);
    Text1->setAccessibleName(Label1->text());
    Label1->setBuddy(Text1);
    Text1->installEventFilter(this);

    Label2 = makeControl<QLabel>(this, "Label2", QStringLiteral("Budg.år"));
    placeTwips(Label2, 240, 3120, 960, 255);
    Label3 = makeControl<QLabel>(this, "Label3", QStringLiteral("-mån."));
    placeTwips(Label3, 1320, 3120, 720, 255);
    Label4 = makeControl<QLabel>(this, "Label4", QStringLiteral("-dag"));
    placeTwips(Label4, 2160, 3120, 720, 255);
    YearLabel = valueLabel(this, "YearLabel", 240, 3420, 720);
    MonthLabel = valueLabel(this, "MonthLabel", 1320, 3420, 480);
    DayLabel = valueLabel(this, "DayLabel", 2160, 3420, 480);
    YearLabel->setToolTip(QStringLiteral("Klicka för att välja året"));
    MonthLabel->setToolTip(QStringLiteral("Klicka för att välja månaden"));
    DayLabel->setToolTip(QStringLiteral("Klicka för att välja dagen"));
    YearPos = stepper(this, "YearPos", Qt::UpArrow, QStringLiteral("Nästa år"), 960, 3420);
    YearNeg = stepper(this, "YearNeg", Qt::DownArrow, QStringLiteral("Föregående år"), 960, 3600);
    MonthPos = stepper(this, "MonthPos", Qt::UpArrow, QStringLiteral("Nästa månad"), 1800, 3420);
    MonthNeg =
        stepper(this, "MonthNeg", Qt::DownArrow, QStringLiteral("Föregående månad"), 1800, 3600);
    DayPos = stepper(this, "DayPos", Qt::UpArrow, QStringLiteral("Nästa dag"), 2640, 3420);
    DayNeg = stepper(this, "DayNeg", Qt::DownArrow, QStringLiteral("Föregående dag"), 2640, 3600);

    Label6 = makeControl<QLabel>(this, "Label6");
    placeTwips(Label6, 240, 3960, 3240, 1320);
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label6->setTextFormat(Qt::PlainText);

    Command1 = makeControl<QPushButton>(this, "Command1", QStringLiteral("OK"));
    placeTwips(Command1, 3600, 2640, 1680, 420);
    Command2 = makeControl<QPushButton>(this, "Command2", QStringLiteral("Avbryt"));
    placeTwips(Command2, 3600, 3120, 1680, 420);
    Command4 = makeControl<QPushButton>(this, "Command4", QStringLiteral("Ta bort"));
    placeTwips(Command4, 3600, 3600, 1680, 420);
    Command3 = makeControl<QPushButton>(this, "Command3", QStringLiteral("Avsluta"));
    placeTwips(Command3, 3600, 4800, 1680, 420);

    connect(YearLabel, &platform::ClickLabel::pressed, this, &HolidayForm::YearLabel_MouseDown);
    connect(MonthLabel, &platform::ClickLabel::pressed, this, &HolidayForm::MonthLabel_MouseDown);
    connect(DayLabel, &platform::ClickLabel::pressed, this, &HolidayForm::DayLabel_MouseDown);
    connect(YearPos, &QToolButton::pressed, this, &HolidayForm::YearPos_MouseDown);
    connect(YearNeg, &QToolButton::pressed, this, &HolidayForm::YearNeg_MouseDown);
    connect(MonthPos, &QToolButton::pressed, this, &HolidayForm::MonthPos_MouseDown);
    connect(MonthNeg, &QToolButton::pressed, this, &HolidayForm::MonthNeg_MouseDown);
    connect(DayPos, &QToolButton::pressed, this, &HolidayForm::DayPos_MouseDown);
    connect(DayNeg, &QToolButton::pressed, this, &HolidayForm::DayNeg_MouseDown);
    DayPos->installEventFilter(this);
    DayNeg->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &HolidayForm::Command1_MouseDown);
    connect(Command2, &QPushButton::clicked, this, &HolidayForm::Command2_MouseDown);
    connect(Command3, &QPushButton::clicked, this, &HolidayForm::Command3_MouseDown);
    connect(Command4, &QPushButton::clicked, this, &HolidayForm::Command4_MouseDown);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &HolidayForm::Command3_MouseDown);
}

QString HolidayForm::path() const {
    return redDayFilPath();
}

// ---- Opening and closing ------------------------------------------------------------------

void HolidayForm::Form_Load() {
    closing_ = false;
    const bool ok = budget::trapBudget(
        [&] {
            // A missing register is created empty as the window opens.
            ensureFileExists(path());
            reg_.records = budget::readRegister(path());
            reg_.used = budget::countUsed(reg_.records);
            Module1.RedDayNum = reg_.used;
        },
        QStringLiteral("Command4_Click (Uteslut datum)"),
        QStringLiteral(" vid öppning av registret för 'Röda dagar'"),
        [] { return QStringLiteral("Fel i rutinen Command4_Click vid öppning av RedDayFil."); },
        [] {
            return QStringList{QStringLiteral("Antal röda dagar: ") +
                               QString::number(Module1.RedDayNum)};
        });
    if (!ok)
        return;
    Close_Fields();
    Text1->setEnabled(true);
    RedDayRef = QStringLiteral("0");
    DayFlag.clear();
    G4->setColumnWidth(0, twips(10));
    G4->setColumnWidth(1, twips(3295));
    G4->setColumnWidth(2, twips(1400));
    G4->setEnabled(false);
    fillList();
    if (reg_.used >= 1) {
        G4->setEnabled(true);
        showOutdated();
    }
    setInstruction(true);
    showBeside(*this, caller_, WindowPos::HolidayForm);
    Text1->setFocus();
}

void HolidayForm::Command3_MouseDown() {
    if (closing_)
        return;
    closing_ = true;
    closeBeside(*this, caller_, WindowPos::HolidayForm);
    deleteLater();
}

void HolidayForm::closeEvent(QCloseEvent* e) {
    // The close box is "Avsluta": the budgeting dialog must not stay disabled.
    e->ignore();
    Command3_MouseDown();
}

bool HolidayForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Text1 && platform::isEnterPress(e)) {
        Text1_KeyPress(13);
        return true;
    }
    if (e->type() == QEvent::FocusIn && (watched == DayPos || watched == DayNeg))
        dayGotFocus();
    return QWidget::eventFilter(watched, e);
}

// ---- The list ----------------------------------------------------------------------------

void HolidayForm::fillList() {
    G4->clearContents();
    G4->setRowCount(std::max(5, reg_.used));
    for (int i = 1; i <= reg_.used; ++i) {
        const RedDayPost& r = reg_.records[size_t(i - 1)];
        G4->setItem(i - 1, 0, new QTableWidgetItem(QString::number(i)));
        G4->setItem(i - 1, 1, new QTableWidgetItem(trimBlanks(r.Namn)));
        G4->setItem(i - 1, 2, new QTableWidgetItem(r.Datum));
    }
    // A listed holiday can be fetched at once.
    if (reg_.used >= 1)
        G4->setEnabled(true);
}

void HolidayForm::showOutdated() {
    const std::vector<RedDayPost> old = budget::outdatedHolidays(reg_, currentYear());
    if (old.empty())
        return;
    QString text = QStringLiteral("Följande reg. 'Röd(a) dag(ar)' är utdaterad(e) och kan behöva "
                                  "datumjusteras:\n");
    for (const RedDayPost& r : old)
        text += trimBlanks(r.Namn) + QStringLiteral("  ") + trimBlanks(r.Datum) + QLatin1Char('\n');
    platform::messages().show(text, platform::Buttons::Ok, platform::Icon::Warning,
                              QStringLiteral("Utdaterade 'röda dagar'"));
}

void HolidayForm::setInstruction(bool atLoading) {
    const QString redDay = kQuote + QStringLiteral("Röd dag") + kQuote;
    if (reg_.used >= 1)
        Label6->setText(QStringLiteral("Skriv in en ny ") + redDay +
                        QStringLiteral(" i textfält nedan och tryck på Enter, eller klicka på "
                                       "befintlig i listan för  borttagning / ev. ändring !"));
    else if (atLoading)
        Label6->setText(QStringLiteral("Skriv in namnet på en ") + redDay +
                        QStringLiteral(" i nedanstående textfält och tryck på Enter !"));
}

// ---- Entering a holiday ----------------------------------------------------------------------

void HolidayForm::Close_Fields() {
    for (QLabel* l : {static_cast<QLabel*>(YearLabel), static_cast<QLabel*>(MonthLabel),
                      static_cast<QLabel*>(DayLabel)}) {
        l->clear();
        l->hide();
    }
    for (QLabel* l : {Label2, Label3, Label4})
        l->hide();
    for (QToolButton* b : {YearPos, YearNeg, MonthPos, MonthNeg, DayPos, DayNeg})
        b->setEnabled(false);
    for (QPushButton* b : {Command1, Command2, Command4})
        b->setEnabled(false);
    Text1->clear();
}

void HolidayForm::Open_Fields() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{YearLabel, MonthLabel, DayLabel, Label2, Label3, Label4})
        w->show();
    for (QToolButton* b : {YearPos, YearNeg, MonthPos, MonthNeg, DayPos, DayNeg})
        b->setEnabled(true);
}

int HolidayForm::DagMon() const {
    return daysInMonth(YearText.toInt(), MonthText.toInt());
}

void HolidayForm::Text1_KeyPress(int keyAscii) {
    if (keyAscii != 13)
        return;
    const QString name = trimBlanks(Text1->text());
    if (name.isEmpty() || name == QLatin1String("*")) {
        Label6->setText(budget::holidayProblem(name, QString()));
        return;
    }
    RedDayNamn = name;
    YearPos->setEnabled(true);
    YearNeg->setEnabled(true);
    YearLabel->show();
    Label2->show();
    year_.range = budget::newHolidayYears(Module1.DagensDatum);
    year_.value = currentYear();
    YearLabel->setText(QString::number(year_.value));
    DayLabel->setText(QStringLiteral("--"));
    if (currentMonth() > 6)
        Label6->setText(QStringLiteral("'Röda dagar' kan även (om)registreras för de första sex "
                                       "månaderna nästa år !\nStäll in och klicka på¨avsett "
                                       "årtal för att gå vidare !"));
    else
        Label6->setText(QStringLiteral("Endast innevarande budgetår visas !\n"
                                       "Klicka på årtalet för att gå vidare !"));
}

// The months the chosen year offers, starting at the first.
void HolidayForm::openMonths(int year) {
    month_.range = budget::holidayMonths(Module1.DagensDatum, year);
    month_.value = month_.range.least;
}

void HolidayForm::openDays() {
    day_.range = {1, DagMon()};
}

void HolidayForm::YearLabel_MouseDown() {
    if (YearLabel->text().isEmpty())
        return;
    YearText = YearLabel->text();
    MonthPos->setEnabled(true);
    MonthNeg->setEnabled(true);
    MonthLabel->show();
    Label3->show();
    const int year = YearText.toInt();
    openMonths(year);
    MonthLabel->setText(budget::twoDigits(month_.value));
    // A month already chosen (a fetched holiday's) starts again with its
    // label: what shows is what is saved, the day kept within the month.
    if (!MonthText.isEmpty()) {
        MonthText = MonthLabel->text();
        followMonth();
    }
    QString text;
    if (year > currentYear())
        text = QStringLiteral("Ställ in månad för 'Röd dag' under första halvåret nästa år");
    else if (currentMonth() > 6)
        text = QStringLiteral("Ställ in månad för 'Röd dag' under andra halvåret detta år");
    else
        text = QStringLiteral("Ställ in månad för 'Röd dag' under detta år,");
    Label6->setText(text + QStringLiteral(" och klicka sedan på månadssiffran !"));
}

void HolidayForm::MonthLabel_MouseDown() {
    if (MonthLabel->text().isEmpty())
        return;
    MonthText = MonthLabel->text();
    DayPos->setEnabled(true);
    DayNeg->setEnabled(true);
    DayLabel->show();
    Label4->show();
    openDays();
    day_.value = 1;
    DayLabel->setText(QStringLiteral("01"));
    if (!DayText.isEmpty())
        DayText = DayLabel->text();
    Label6->setText(QStringLiteral("Ställ in dagsdatumet för 'Röd dag' och klicka sedan på "
                                   "dagssiffran !\n"));
}

void HolidayForm::DayLabel_MouseDown() {
    bool ok = false;
    DayLabel->text().toInt(&ok);
    if (!ok)
        return;
    DayText = DayLabel->text();
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    Label6->setText(QStringLiteral("Klicka på 'OK' för att registrera inställningen, eller "
                                   "Klicka på 'Avbryt' om du behöver göra om inställningen !"));
    Command1->setFocus();
}

// One step within the range; a value outside it (an outdated holiday's) is
// first brought inside.
void HolidayForm::step(Stepper& s, int by) {
    if (s.value < s.range.least)
        s.value = s.range.least;
    else if (s.value > s.range.greatest)
        s.value = s.range.greatest;
    else if ((by > 0 && s.value < s.range.greatest) || (by < 0 && s.value > s.range.least))
        s.value += by;
}

// What the labels show is what is saved: a step moves the text with its
// label once that part of the date is chosen, and the parts after it follow
// (a shorter month takes the day along).
void HolidayForm::yearStep(int by) {
    step(year_, by);
    YearLabel->setText(QString::number(year_.value));
    if (YearText.isEmpty())
        return;
    YearText = YearLabel->text();
    if (MonthText.isEmpty())
        return;
    month_.range = budget::holidayMonths(Module1.DagensDatum, year_.value);
    month_.value = qBound(month_.range.least, month_.value, month_.range.greatest);
    MonthLabel->setText(budget::twoDigits(month_.value));
    MonthText = MonthLabel->text();
    followMonth();
}

void HolidayForm::monthStep(int by) {
    step(month_, by);
    MonthLabel->setText(budget::twoDigits(month_.value));
    if (RedDayRef != QLatin1String("0"))
        Command1->setEnabled(true);
    if (MonthText.isEmpty())
        return;
    MonthText = MonthLabel->text();
    followMonth();
}

void HolidayForm::followMonth() {
    openDays();
    if (DayText.isEmpty())
        return;
    day_.value = std::min(day_.value, day_.range.greatest);
    DayText = budget::twoDigits(day_.value);
    DayLabel->setText(DayText);
}

void HolidayForm::YearPos_MouseDown() {
    yearStep(1);
}

void HolidayForm::YearNeg_MouseDown() {
    yearStep(-1);
}

void HolidayForm::MonthPos_MouseDown() {
    monthStep(1);
}

void HolidayForm::MonthNeg_MouseDown() {
    monthStep(-1);
}

void HolidayForm::dayGotFocus() {
    DayFlag = QStringLiteral("1");
    bool ok = false;
    const int shown = DayLabel->text().toInt(&ok);
    day_.value = ok ? shown : 1;
}

void HolidayForm::DayPos_GotFocus() {
    dayGotFocus();
}

void HolidayForm::DayNeg_GotFocus() {
    dayGotFocus();
}

void HolidayForm::dayStep(int by) {
    // A press gives the stepper the focus first.
    if (DayFlag.isEmpty())
        dayGotFocus();
    step(day_, by);
    DayLabel->setText(budget::twoDigits(day_.value));
    DayText = DayLabel->text();
    Command1->setEnabled(true);
}

void HolidayForm::DayPos_MouseDown() {
    dayStep(1);
}

void HolidayForm::DayNeg_MouseDown() {
    dayStep(-1);
}

// ---- Fetching, saving, removing -----------------------------------------------------------------

void HolidayForm::G4_MouseDown(int row) {
    const QTableWidgetItem* ref = G4->item(row, 0);
    // An empty row holds no holiday to fetch.
    if (!ref || ref->text().isEmpty())
        return;
    const int n = ref->text().toInt();
    if (n < 1 || n > reg_.used)
        return;
    Open_Fields();
    G4->selectRow(row);
    G4->scrollToItem(ref);
    RedDayRef = ref->text();
    const RedDayPost& r = reg_.records[size_t(n - 1)];
    RedDayNamn = trimBlanks(r.Namn);
    Text1->setText(RedDayNamn);
    RedDayDatum = r.Datum;
    YearText = RedDayDatum.left(4);
    MonthText = RedDayDatum.mid(5, 2);
    DayText = RedDayDatum.mid(8, 2);
    YearLabel->setText(YearText);
    MonthLabel->setText(MonthText);
    DayLabel->setText(DayText);
    year_.value = YearText.toInt();
    month_.value = MonthText.toInt();
    day_.value = DayText.toInt();
    year_.range = budget::fetchedHolidayYears(Module1.DagensDatum, RedDayDatum);
    month_.range = budget::holidayMonths(Module1.DagensDatum, year_.value);
    openDays();
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    Command4->setEnabled(true);
    if (RedDayDatum > Module1.DagensDatum)
        platform::messages().show(
            QStringLiteral("Ej möjligt ändra datum till nästa år på hämtad post !"),
            platform::Buttons::Ok, platform::Icon::Warning, QStringLiteral("Ej passerat datum"));
    Label6->setText(
        QStringLiteral("Justera text och / eller datum + OK, alternativt Avbryt, eller Ta bort !"));
}

bool HolidayForm::save(const std::function<void(budget::Register&)>& edit, const QString& routine) {
    budget::Register next = reg_;
    edit(next);
    return budget::trapBudget(
        [&] {
            budget::writeChanges(path(), reg_.records, next.records);
            reg_ = next;
            Module1.RedDayNum = reg_.used;
        },
        routine, QStringLiteral(" vid registrering av 'Röd dag'"),
        [&] {
            return QStringLiteral("Fel i rutinen ") + routine + QStringLiteral(" (RedDayFil).");
        },
        [&] {
            return QStringList{QStringLiteral("Röd dag: ") + RedDayNamn,
                               QStringLiteral("Datum: ") + RedDayDatum,
                               QStringLiteral("Antal röda dagar: ") + QString::number(reg_.used)};
        });
}

void HolidayForm::Command1_MouseDown() {
    // What the window shows is what is saved: the name as it stands now.
    const QString name = trimBlanks(Text1->text());
    const QString date = YearText + QLatin1Char('-') + MonthText + QLatin1Char('-') + DayText;
    if (const QString problem = budget::holidayProblem(name, date); !problem.isEmpty()) {
        Label6->setText(problem);
        return;
    }
    Close_Fields();
    RedDayNamn = name;
    RedDayDatum = date;
    YearText.clear();
    MonthText.clear();
    DayText.clear();
    const RedDayPost holiday{RedDayNamn, RedDayDatum};
    const int ref = RedDayRef.toInt();
    if (ref < 1)
        save([&](budget::Register& r) { budget::insertHoliday(r, holiday); },
             QStringLiteral("Command1_MouseDown"));
    else
        save([&](budget::Register& r) { budget::changeHoliday(r, ref, holiday); },
             QStringLiteral("Command1_MouseDown"));
    RedDayNamn.clear();
    RedDayDatum.clear();
    RedDayRef = QStringLiteral("0");
    fillList();
}

void HolidayForm::Command4_MouseDown() {
    const int ref = RedDayRef.toInt();
    if (ref < 1 || ref > reg_.used)
        return;
    const QString title = reg_.used <= 1 ? QStringLiteral("Radera enda filposten ?")
                                         : QStringLiteral("Radera filposten ?");
    if (!ask(QStringLiteral("Vill du verkligen radera 'Röd dag': ") + RedDayNamn +
                 QStringLiteral(" med datumet: ") + RedDayDatum + QStringLiteral(" ?"),
             title))
        return;
    Close_Fields();
    save([&](budget::Register& r) { budget::removeHoliday(r, ref); },
         QStringLiteral("Command4_MouseDown"));
    RedDayRef = QStringLiteral("0");
    YearText.clear();
    MonthText.clear();
    DayText.clear();
    if (reg_.used < 1) {
        fillList();
        G4->setEnabled(false);
        const QString redDay = kQuote + QStringLiteral("Röd dag") + kQuote;
        Label6->setText(QStringLiteral("Sista registreringen av 'Röd dag' har raderats !\n"
                                       "Skriv in namnet på en ny ") +
                        redDay +
                        QStringLiteral(" i nedanstående textfält  och tryck på Enter, eller "
                                       "Avsluta !"));
        return;
    }
    fillList();
    showOutdated();
    setInstruction(false);
}

void HolidayForm::Command2_MouseDown() {
    Close_Fields();
    Text1->clear();
    if (reg_.used >= 1)
        G4->setEnabled(true);
    RedDayRef = QStringLiteral("0");
    YearText.clear();
    MonthText.clear();
    DayText.clear();
}

} // namespace fyn
