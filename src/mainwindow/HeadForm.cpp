#include "mainwindow/HeadForm.h"

#include "core/Errors.h"
#include "core/FolderLock.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/DropDownCombo.h"
#include "mainwindow/MsgForm.h"
#include "mainwindow/NyKontoForm.h"
#include "platform/ClickLabel.h"
#include "platform/Ui.h"
#include "platform/WebPane.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>

namespace fyn {

using platform::ClickLabel;
using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

const std::vector<int> kG1Widths = {1427, 4811, 1529, 1529, 461};
const std::vector<int> kG2Widths = {1428, 4811, 1585, 1585, 1585, 1585, 1585, 461};

constexpr int kClientHeight = 8500;
constexpr int kFrameTop = 1400;
constexpr int kFrameHeight = 4800;
constexpr int kGridTop = 900;
constexpr int kEntryTop = 3780;

int sum(const std::vector<int>& v) {
    int s = 0;
    for (int x : v)
        s += x;
    return s;
}

// A heading label above a grid column.
QLabel* heading(QWidget* parent, const char* name, const QString& text, int left, int width) {
    auto* l = makeControl<QLabel>(parent, name, text);
    placeTwips(l, left, 600, width, 285);
    l->setFont(uiFont(kArial, 9, true));
    return l;
}

} // namespace

HeadForm::HeadForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("HeadForm"));
    setWindowTitle(QStringLiteral("Moxels Fynlar 5"));
    buildMenus();
    buildControls();
    wireEntry();
    wireCommands();
    wireMenus();
    refreshEntries();
    placeForKind(false);
}

std::function<void(HeadForm&)> HeadForm::openTransForm;
std::function<void(HeadForm&)> HeadForm::openSubTransForm;
std::function<long(const QString&, const QString&, QString*)> HeadForm::saveTransName;
std::function<void(HeadForm&)> HeadForm::openBudgAltForm;
std::function<void(HeadForm&)> HeadForm::openUtskrStatForm;
std::function<void(HeadForm&)> HeadForm::openBackUpForm;
std::function<void(HeadForm&)> HeadForm::openDonateForm;

HeadForm::~HeadForm() {
    // Whatever the journal holds is written home before the window goes; when
    // that fails the journal stays and the next start replays it.
    try {
        checkpoint();
    } catch (const std::exception&) {
        // Nothing may leave a destructor; the next start replays the journal.
    }
}

void HeadForm::buildMenus() {
    // Budgeting and the listings wait for an account; the rest is there at once.
    auto action = [this](QMenu* menu, const char* name, const QString& text, bool available) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        wanted_[a] = available;
        return a;
    };
    Ark_mn = menuBar()->addMenu(QStringLiteral("Arkiv"));
    Ark_mn->setObjectName(QStringLiteral("Ark_mn"));
    Nykonto_mn = action(Ark_mn, "Nykonto_mn", QStringLiteral("Nytt konto"), true);
    Radko_mn = action(Ark_mn, "Radko_mn", QStringLiteral("Radera inloggat Konto"), true);
    Ex_mn = action(Ark_mn, "Ex_mn", QStringLiteral("Avsluta"), true);
    bupl_mn = action(Ark_mn, "bupl_mn", QStringLiteral("Budgetplanering"), false);
    utskrstat_mn = action(Ark_mn, "utskrstat_mn", QStringLiteral("Utskrift o Statistik"), false);
    Bu_mn = action(Ark_mn, "Bu_mn", QStringLiteral("Back-up"), true);

    KB_InfAnv_mn = menuBar()->addMenu(QStringLiteral("Info/Hjälp (F1)"));
    KB_InfAnv_mn->setObjectName(QStringLiteral("KB_InfAnv_mn"));
    over_mn = action(KB_InfAnv_mn, "over_mn", QStringLiteral("Översikt"), true);
    trans_mn = action(KB_InfAnv_mn, "trans_mn", QStringLiteral("Transaktioner"), true);
    acc_mn = action(KB_InfAnv_mn, "acc_mn", QStringLiteral("Konton"), true);
    butts_mn = action(KB_InfAnv_mn, "butts_mn", QStringLiteral("Kommandoknappar"), true);
    bdg_mn = action(KB_InfAnv_mn, "bdg_mn", QStringLiteral("Budgetering"), true);
    // The ampersand doubled: a single one marks a shortcut letter, and would be
    // neither shown nor read out.
    utstat_mn = action(KB_InfAnv_mn, "utstat_mn", QStringLiteral("Statistik && Utskrift"), true);
    Update_mn = action(KB_InfAnv_mn, "Update_mn", QStringLiteral("Uppdaterat"), true);
    kritisk_mn = action(KB_InfAnv_mn, "kritisk_mn", QStringLiteral("Har du kritik ?"), true);
    Donera_mn = action(KB_InfAnv_mn, "Donera_mn", QStringLiteral("Donera"), true);

    connect(Nykonto_mn, &QAction::triggered, this, &HeadForm::Nykonto_mn_Click);
    connect(Ex_mn, &QAction::triggered, this, &HeadForm::Ex_mn_Click);
    connect(Radko_mn, &QAction::triggered, this, &HeadForm::Radko_mn_Click);
}

void HeadForm::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("HeadFormClient"));
    central->setMouseTracking(true);
    central->installEventFilter(this);
    setCentralWidget(central);

    Picture1 = makeControl<ClickLabel>(central, "Picture1", QStringLiteral("Fynlar"));
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setFont(uiFont(kArial, 16, true));
    Picture1->setStyleSheet(QStringLiteral("QLabel { color: #1a5e20; background: #e8f5e9; "
                                           "border: 1px solid #1a5e20; }"));

    Picture1->setAccessibleDescription(QStringLiteral("Öppnar Fynlars hemsida"));
    Picture1->setCursor(Qt::PointingHandCursor);

    WebBrowser1 = platform::makeWebPane(central);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    connect(WebBrowser1, &platform::WebPane::documentComplete, this,
            &HeadForm::WebBrowser1_DocumentComplete);

    Frame4 = makeControl<QGroupBox>(central, "Frame4", QStringLiteral("Konto"));
    Label22 = makeControl<QLabel>(Frame4, "Label22", QStringLiteral("Välj konto:"));
    placeTwips(Label22, 120, 300, 1100, 285);
    Combo3 = makeControl<QComboBox>(Frame4, "Combo3");
    placeTwips(Combo3, 1250, 260, 3130, 330);
    Combo3->setAccessibleName(QStringLiteral("Kontolista"));
    Label22->setBuddy(Combo3);
    Text10 = makeControl<QLineEdit>(Frame4, "Text10");
    placeTwips(Text10, 1250, 720, 3130, 330);
    Text10->setReadOnly(true);
    Text10->setAccessibleName(QStringLiteral("Konto"));
    Text10->setMouseTracking(true);
    Text10->installEventFilter(this);
    connect(Combo3, &QComboBox::activated, this, [this] { Combo3_Click(); });

    Label28 = makeControl<QLabel>(central, "Label28");
    Label28->setWordWrap(true);

    // Simple account: "Kassabokföring".
    Frame1 = makeControl<QGroupBox>(central, "Frame1", QStringLiteral("Kassabokföring"));
    Frame1->setMouseTracking(true);
    Frame1->installEventFilter(this);
    Label16 = makeControl<QLabel>(Frame1, "Label16");
    placeTwips(Label16, 120, 240, 4400, 300);
    Label16->setFont(uiFont(kArial, 10, true));
    Label17 = makeControl<QLabel>(Frame1, "Label17");
    placeTwips(Label17, 4600, 240, 3600, 300);
    Label1 = heading(Frame1, "Label1", QStringLiteral(" Datum"), 120, kG1Widths[0]);
    Label10 =
        heading(Frame1, "Label10", QStringLiteral("transaktion"), 120 + kG1Widths[0], kG1Widths[1]);
    Label11 = heading(Frame1, "Label11", QStringLiteral("Belopp"), 120 + 6238, kG1Widths[2]);
    Label11->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    Label12 = makeControl<ClickLabel>(Frame1, "Label12", QStringLiteral("Saldo"));
    placeTwips(Label12, 120 + 7767, 600, kG1Widths[3], 285);
    Label12->setFont(uiFont(kArial, 9, true));
    Label12->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    Label12->setAutoFillBackground(true);
    heading(Frame1, "HeadOk_Enkel", QStringLiteral("OK"), 120 + 9296, kG1Widths[4])
        ->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    G1 = makeControl<PostingGrid>(Frame1, "G1", kG1Widths);
    G1->setGeometry(twips(120), twips(kGridTop), twips(sum(kG1Widths)) + 2 * G1->frameWidth(),
                    G1->rowsHeight());
    G1->setAccessibleName(QStringLiteral("Kontoposter"));
    VScroll1 = makeControl<QScrollBar>(Frame1, "VScroll1", Qt::Vertical);
    VScroll1->setAccessibleName(QStringLiteral("Bläddra bland kontoposter"));
    VScroll1->setPageStep(10); // a page is the ten rows shown
    G1->setScrollBar(VScroll1);
    connect(G1, &QTableWidget::cellClicked, this, &HeadForm::G1_Click);
    connect(G1, &PostingGrid::hovered, this, &HeadForm::G1_MouseMove);
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });

    H_TransOptionEnk =
        makeControl<QRadioButton>(Frame1, "H_TransOptionEnk", QStringLiteral("Huvudtrans."));
    placeTwips(H_TransOptionEnk, 120, kEntryTop, 1400, 285);
    S_TransOptionEnk =
        makeControl<QRadioButton>(Frame1, "S_TransOptionEnk", QStringLiteral("Subtrans."));
    placeTwips(S_TransOptionEnk, 120, kEntryTop + 330, 1400, 285);
    optionGroup({H_TransOptionEnk, S_TransOptionEnk});
    TransCombo_Enkel = makeControl<DropDownCombo>(Frame1, "TransCombo_Enkel");
    placeTwips(TransCombo_Enkel, 1547, kEntryTop, kG1Widths[1], 330);
    TransCombo_Enkel->setAccessibleName(QStringLiteral("Transaktionslista"));
    TransLabel_Enkel = makeControl<QLabel>(Frame1, "TransLabel_Enkel", QStringLiteral("Vald:"));
    placeTwips(TransLabel_Enkel, 1547, kEntryTop + 420, 700, 300);
    TransText_Enkel = makeControl<QLineEdit>(Frame1, "TransText_Enkel");
    placeTwips(TransText_Enkel, 2247, kEntryTop + 400, kG1Widths[1] - 700, 330);
    TransText_Enkel->setReadOnly(true);
    TransText_Enkel->setAccessibleName(QStringLiteral("Vald transaktion"));
    TransText_Enkel->installEventFilter(this);
    TransText_Enkel->setMouseTracking(true);
    Bel_Enkel = makeControl<QLineEdit>(Frame1, "Bel_Enkel");
    placeTwips(Bel_Enkel, 120 + 6238, kEntryTop, kG1Widths[2], 330);
    Bel_Enkel->setAlignment(Qt::AlignRight);
    Bel_Enkel->setReadOnly(true);
    Bel_Enkel->setAccessibleName(QStringLiteral("Belopp"));

    // Budget account: "Budgetbokföring".
    Frame2 = makeControl<QGroupBox>(central, "Frame2", QStringLiteral("Budgetbokföring"));
    Frame2->setMouseTracking(true);
    Frame2->installEventFilter(this);
    Label20 = makeControl<QLabel>(Frame2, "Label20");
    placeTwips(Label20, 120, 240, 4400, 300);
    Label20->setFont(uiFont(kArial, 10, true));
    Label21 = makeControl<QLabel>(Frame2, "Label21");
    placeTwips(Label21, 4600, 240, 3600, 300);
    {
        int x = 120;
        const char* names[] = {"HeadDatum_Budget", "Label2",        "Label3",
                               "Label4",           "HeadBudgSaldo", "HeadVerklSaldo",
                               "HeadSaldoDiff",    "HeadOk_Budget"};
        const QString texts[] = {QStringLiteral(" Datum"),      QStringLiteral(" transaktion"),
                                 QStringLiteral("Budg.belopp"), QStringLiteral("Verkl.belopp"),
                                 QStringLiteral("Budg.saldo"),  QStringLiteral("Verkl.saldo"),
                                 QStringLiteral("Saldodiff"),   QStringLiteral("OK")};
        for (int c = 0; c < 8; ++c) {
            QLabel* l = heading(Frame2, names[c], texts[c], x, kG2Widths[c]);
            if (c >= 2 && c <= 6)
                l->setAlignment(Qt::AlignRight | Qt::AlignBottom);
            else if (c == 7)
                l->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            if (c == 1)
                Label2 = l;
            else if (c == 2)
                Label3 = l;
            else if (c == 3)
                Label4 = l;
            x += kG2Widths[c];
        }
    }
    G2 = makeControl<PostingGrid>(Frame2, "G2", kG2Widths);
    G2->setGeometry(twips(120), twips(kGridTop), twips(sum(kG2Widths)) + 2 * G2->frameWidth(),
                    G2->rowsHeight());
    G2->setAccessibleName(QStringLiteral("Kontoposter"));
    VScroll2 = makeControl<QScrollBar>(Frame2, "VScroll2", Qt::Vertical);
    VScroll2->setAccessibleName(QStringLiteral("Bläddra bland kontoposter"));
    VScroll2->setPageStep(10); // a page is the ten rows shown
    G2->setScrollBar(VScroll2);
    connect(G2, &QTableWidget::cellClicked, this, &HeadForm::G2_Click);
    connect(G2, &PostingGrid::hovered, this, &HeadForm::G2_MouseMove);
    connect(VScroll2, &QScrollBar::valueChanged, this, [this] { VScroll2_Change(); });

    H_TransOptionBudg =
        makeControl<QRadioButton>(Frame2, "H_TransOptionBudg", QStringLiteral("Huvudtrans."));
    placeTwips(H_TransOptionBudg, 120, kEntryTop, 1400, 285);
    S_TransOptionBudg =
        makeControl<QRadioButton>(Frame2, "S_TransOptionBudg", QStringLiteral("Subtrans."));
    placeTwips(S_TransOptionBudg, 120, kEntryTop + 330, 1400, 285);
    optionGroup({H_TransOptionBudg, S_TransOptionBudg});
    TransCombo_Budget = makeControl<DropDownCombo>(Frame2, "TransCombo_Budget");
    placeTwips(TransCombo_Budget, 1548, kEntryTop, kG2Widths[1], 330);
    TransCombo_Budget->setAccessibleName(QStringLiteral("Transaktionslista"));
    TransLabel_Budg = makeControl<QLabel>(Frame2, "TransLabel_Budg", QStringLiteral("Vald:"));
    placeTwips(TransLabel_Budg, 1548, kEntryTop + 420, 700, 300);
    TransText_Budget = makeControl<QLineEdit>(Frame2, "TransText_Budget");
    placeTwips(TransText_Budget, 2248, kEntryTop + 400, kG2Widths[1] - 700, 330);
    TransText_Budget->setReadOnly(true);
    TransText_Budget->setAccessibleName(QStringLiteral("Vald transaktion"));
    TransText_Budget->installEventFilter(this);
    TransText_Budget->setMouseTracking(true);
    BudgBel_Budget = makeControl<QLineEdit>(Frame2, "BudgBel_Budget");
    placeTwips(BudgBel_Budget, 120 + 6239, kEntryTop, kG2Widths[2], 330);
    BudgBel_Budget->setAccessibleName(QStringLiteral("Budgetbelopp"));
    TransCombo_Budget->setAccessibleDescription(QStringLiteral("Huvud- eller subtransaktioner"));
    VerklBel_Budget = makeControl<QLineEdit>(Frame2, "VerklBel_Budget");
    placeTwips(VerklBel_Budget, 120 + 7824, kEntryTop, kG2Widths[3], 330);
    VerklBel_Budget->setAccessibleName(QStringLiteral("Verkligt belopp"));
    for (QLineEdit* e : {BudgBel_Budget, VerklBel_Budget}) {
        e->setAlignment(Qt::AlignRight);
        e->setReadOnly(true);
    }

    // The working date: a column each for year, month and day, "+" above, "-" below.
    Frame3 = makeControl<QGroupBox>(central, "Frame3", QStringLiteral("Datum"));
    auto stepper = [this](const char* name, const QString& text, const QString& tip) {
        auto* l = makeControl<ClickLabel>(Frame3, name, text);
        l->setAlignment(Qt::AlignCenter);
        l->setFont(uiFont(kArial, 11, true));
        l->setToolTip(tip);
        l->setCursor(Qt::PointingHandCursor);
        // Read out by its text ("+", the year), the tooltip as its description.
        return l;
    };
    YearPlus = stepper("YearPlus", QStringLiteral("+"), QStringLiteral("Öka datum med ett år"));
    YearMinus =
        stepper("YearMinus", QStringLiteral("-"), QStringLiteral("Minska datum med ett år"));
    MonthPlus = stepper("MonthPlus", QStringLiteral("+"), QStringLiteral("Öka datum med en månad"));
    MonthMinus =
        stepper("MonthMinus", QStringLiteral("-"), QStringLiteral("Minska datum med en månad"));
    DayPlus = stepper("DayPlus", QStringLiteral("+"), QStringLiteral("Öka datum med en dag"));
    DayMinus = stepper("DayMinus", QStringLiteral("-"), QStringLiteral("Minska datum med en dag"));
    const QString searchTip = QStringLiteral("Klicka för sökning på inställt datum !");
    YearShow = stepper("YearShow", QString(), searchTip);
    MonthShow = stepper("MonthShow", QString(), searchTip);
    DayShow = stepper("DayShow", QString(), searchTip);
    connect(YearMinus, &ClickLabel::pressed, this, &HeadForm::YearMinus_MouseDown);
    connect(YearPlus, &ClickLabel::pressed, this, &HeadForm::YearPlus_MouseDown);
    connect(MonthMinus, &ClickLabel::pressed, this, &HeadForm::MonthMinus_MouseDown);
    connect(MonthPlus, &ClickLabel::pressed, this, &HeadForm::MonthPlus_MouseDown);
    connect(DayMinus, &ClickLabel::pressed, this, &HeadForm::DayMinus_MouseDown);
    connect(DayPlus, &ClickLabel::pressed, this, &HeadForm::DayPlus_MouseDown);
    for (ClickLabel* l : {YearShow, MonthShow, DayShow}) {
        connect(l, &ClickLabel::pressed, this, &HeadForm::Finder);
        connect(l, &ClickLabel::hovered, this, &HeadForm::dateLabel_MouseMove);
    }

    Label29 = makeControl<QLabel>(central, "Label29");
    Label29->setFont(uiFont(kArial, 10, true));
    Label30 = makeControl<QLabel>(central, "Label30");
    Label30->setWordWrap(true);
    Label30->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label30->setTextFormat(Qt::PlainText);
    Label29->setTextFormat(Qt::PlainText);

    Command3 = makeControl<QPushButton>(central, "Command3", QStringLiteral("Avbryt"));
    Command1 = makeControl<QPushButton>(central, "Command1", QStringLiteral("Bekräfta"));
    Command2 = makeControl<QPushButton>(central, "Command2", QStringLiteral("Flytta"));
    Command14 = makeControl<QPushButton>(central, "Command14", QStringLiteral("Donera"));
    Command4 = makeControl<QPushButton>(central, "Command4", QStringLiteral("Avsluta"));
    for (QPushButton* b : {Command1, Command2, Command3, Command14, Command4})
        b->setFont(uiFont(kArial, 10, true));
    Command1->hide(); // shown for budget accounts
    // Esc is the cancel button's click. Not the button's own shortcut: every
    // new caption would drop it.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), Command3);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &HeadForm::Command3_Click);
    Command3->installEventFilter(this);
    connect(Command2, &QPushButton::clicked, this, &HeadForm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &HeadForm::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &HeadForm::Command4_Click);

    UnitList = makeControl<QListWidget>(central, "UnitList");
    UnitList->setAccessibleName(QStringLiteral("Enheter"));
    UnitList->hide();
}

// Sizes and left edges by the account's kind; tops are common.
void HeadForm::placeForKind(bool budget) {
    const int width = budget ? 16320 : 12480;
    const int frame4Left = budget ? 6360 : 4000;
    placeTwips(Picture1, 356, 120, 1200, 1100);
    placeTwips(WebBrowser1, 1700, 120, frame4Left - 1900, 1100);
    placeTwips(Frame4, frame4Left, 60, 4500, 1200);
    placeTwips(Label28, frame4Left + 4700, 160, width - frame4Left - 5056, 1000);

    QGroupBox* frame = budget ? Frame2 : Frame1;
    placeTwips(frame, 356, kFrameTop, width - 712, kFrameHeight);
    PostingGrid* g = budget ? G2 : G1;
    QScrollBar* sb = budget ? VScroll2 : VScroll1;
    sb->setGeometry(g->x() + g->width(), g->y(), twips(255), g->height());
    Frame1->setVisible(!budget);
    Frame2->setVisible(budget);

    // The date frame: three columns of "+", the value and "-".
    const int frame3Left = budget ? 600 : 1140;
    const int frame3Width = budget ? 2700 : 1800;
    placeTwips(Frame3, frame3Left, 6350, frame3Width, 1300);
    const int col = (frame3Width - 120) / 3;
    const int colWidths[] = {col, col, col};
    platform::ClickLabel* plus[] = {YearPlus, MonthPlus, DayPlus};
    platform::ClickLabel* show[] = {YearShow, MonthShow, DayShow};
    platform::ClickLabel* minus[] = {YearMinus, MonthMinus, DayMinus};
    for (int i = 0; i < 3; ++i) {
        const int left = 60 + i * col;
        placeTwips(plus[i], left, 240, colWidths[i], 300);
        placeTwips(show[i], left, 560, colWidths[i], 330);
        placeTwips(minus[i], left, 910, colWidths[i], 300);
    }

    placeTwips(Label29, budget ? 3500 : 3000, 6450, 2000, 330);
    const int label30Left = budget ? 6250 : 5080;
    placeTwips(Label30, label30Left, 6450, width - label30Left - 356, 1100);

    const int buttonTop = 7800;
    placeTwips(Command3, 360, buttonTop, 2600, 500);
    placeTwips(Command1, 3686, buttonTop, 2600, 500);
    placeTwips(Command2, budget ? 7012 : 3517, buttonTop, 2600, 500);
    placeTwips(Command14, budget ? 10338 : 6674, buttonTop, 2600, 500);
    placeTwips(Command4, budget ? 13680 : 9831, buttonTop, 2600, 500);

    centralWidget()->setFixedSize(twips(width), twips(kClientHeight));
    setFixedSize(twips(width), twips(kClientHeight) + menuBar()->sizeHint().height());
}

void HeadForm::setAvailable(QAction* a, bool on) {
    wanted_[a] = on;
    a->setEnabled(on && runnable(a));
    if (a == Donera_mn)
        Command14->setEnabled(a->isEnabled()); // the button and its item agree
}

bool HeadForm::hasEntry(QAction* a) const {
    if (a == bupl_mn)
        return bool(openBudgAltForm);
    if (a == utskrstat_mn)
        return bool(openUtskrStatForm);
    if (a == Bu_mn)
        return bool(openBackUpForm);
    if (a == Donera_mn)
        return bool(openDonateForm);
    return true;
}

// A disabled window greys its menus but not their items, and an item that is
// not greyed runs when a screen reader presses it or code triggers it: so the
// items are disabled with the window, and with their locked menu.
bool HeadForm::runnable(QAction* a) const {
    if (!isEnabled())
        return false;
    if (menusLocked_ && a->parent() == Ark_mn)
        return false;
    return hasEntry(a);
}

// The windows are installed before the main window loads.
void HeadForm::refreshEntries() {
    Ark_mn->menuAction()->setEnabled(isEnabled() && !menusLocked_);
    KB_InfAnv_mn->menuAction()->setEnabled(isEnabled());
    for (const auto& [a, on] : wanted_)
        a->setEnabled(on && runnable(a));
    Command14->setEnabled(Donera_mn->isEnabled());
}

void HeadForm::setHelp(const QString& heading, const QString& text) {
    Label29->setText(heading);
    Label30->setText(text);
}

bool HeadForm::isBudget() const {
    return Module1.KontoSlag == QLatin1String("Bg");
}
PostingGrid* HeadForm::grid() const {
    return isBudget() ? G2 : G1;
}
QScrollBar* HeadForm::scrollBar() const {
    return isBudget() ? VScroll2 : VScroll1;
}

NyKontoForm& HeadForm::nyKontoForm() {
    if (!nyKontoForm_)
        nyKontoForm_ = new NyKontoForm(*this);
    return *nyKontoForm_;
}

bool HeadForm::eventFilter(QObject* watched, QEvent* e) {
    if (transTextEvent(watched, e))
        return true;
    if (entryEvent(watched, e))
        return true;
    if (helpPanelEvent(watched, e))
        return false;
    if (watched == Text10) {
        if (e->type() == QEvent::MouseButtonPress) {
            Text10_Click();
            return true;
        }
        if (e->type() == QEvent::MouseMove || e->type() == QEvent::Enter)
            Text10_MouseMove();
    } else if (watched == Command3 && e->type() == QEvent::MouseButtonPress) {
        if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton && Command3->isEnabled())
            Command3_MouseDown();
    }
    return QMainWindow::eventFilter(watched, e);
}

// Whatever disables the window (a dialog beside it) disables its menu items too.
void HeadForm::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange)
        refreshEntries();
    QMainWindow::changeEvent(e);
}

void HeadForm::closeEvent(QCloseEvent* e) {
    e->ignore();
    // A dialog that disabled the window is still open: its work must end first.
    if (!isEnabled())
        return;
    // The close box ends the program only through the exit routine.
    if (!exiting_)
        Exit_Konto();
}

} // namespace fyn
