// The menus, the help panel's own handlers, the web pages and the drive list.
#include "mainwindow/HeadForm.h"

#include "core/State.h"
#include "platform/ClickLabel.h"
#include "platform/DesktopKeys.h"
#include "platform/Platform.h"
#include "platform/WebPane.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>

namespace fyn {

namespace {

// Help topics by context number.
constexpr int kOverview = 10000;
constexpr int kTransactions = 20000;
constexpr int kAccounts = 40000;
constexpr int kButtons = 50000;
constexpr int kBudgeting = 60000;
constexpr int kListings = 70000;

// Drive letters A to Y; Z is not counted.
constexpr std::size_t kCountedDrives = 25;

QString feedbackText() {
    return QStringLiteral("          Hej !\n\n"
                          "Om Du är missnöjd med programmet och inte vill fortsätta att använda "
                          "det, skriv då gärna så utförligt som möjligt vad Du saknar i "
                          "programmet,\n"
                          "vilka fel Du har stött på och vad som skulle kunna göras bättre.\n"
                          "Jag tar tacksamt emot Dina synpunkter och tackar för Din medverkan !\n\n"
                          "Skriv ett mail till:\n") +
           platform::authorServer().mail +
           QStringLiteral("\n\n"
                          "Är du helnöjd med programmet, så vet jag ett bra sätt som du kan visa "
                          "det på, och samtidigt skicka en uppmuntrande signal till undertecknad "
                          "!\n"
                          "Använd Donera-knappen !\n\n"
                          "Med vänlig hälsning\n"
                          "          /Moxel");
}

} // namespace

void HeadForm::wireMenus() {
    // F1, as the help menu's caption says: the window's own help, the overview.
    platform::setHelpTopic(*this, kOverview);
    connect(bupl_mn, &QAction::triggered, this, &HeadForm::bupl_mn_Click);
    connect(utskrstat_mn, &QAction::triggered, this, &HeadForm::utskrstat_mn_Click);
    connect(Bu_mn, &QAction::triggered, this, &HeadForm::Bu_mn_Click);
    connect(over_mn, &QAction::triggered, this, &HeadForm::over_mn_Click);
    connect(trans_mn, &QAction::triggered, this, &HeadForm::trans_mn_Click);
    connect(acc_mn, &QAction::triggered, this, &HeadForm::acc_mn_Click);
    connect(butts_mn, &QAction::triggered, this, &HeadForm::butts_mn_Click);
    connect(bdg_mn, &QAction::triggered, this, &HeadForm::bdg_mn_Click);
    connect(utstat_mn, &QAction::triggered, this, &HeadForm::utstat_mn_Click);
    connect(Update_mn, &QAction::triggered, this, &HeadForm::Update_mn_Click);
    connect(kritisk_mn, &QAction::triggered, this, &HeadForm::kritisk_mn_Click);
    connect(Donera_mn, &QAction::triggered, this, &HeadForm::Donera_mn_Click);
    connect(Command14, &QPushButton::clicked, this, &HeadForm::Command14_Click);
    connect(Picture1, &platform::ClickLabel::clicked, this, &HeadForm::Picture1_Click);
    connect(Label12, &platform::ClickLabel::clicked, this, &HeadForm::Label12_Click);
    for (QWidget* w : std::initializer_list<QWidget*>{Picture1, Label12, Frame3}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

// The panel's own handlers: the logo and the fund-account heading on any
// move over them, the window and the frames only over their bare surface (a
// control inside has help of its own, or none).
bool HeadForm::helpPanelEvent(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (watched == Picture1 || watched == Label12) {
        if (type != QEvent::MouseMove && type != QEvent::Enter)
            return false;
        watched == Picture1 ? Picture1_MouseMove() : Label12_MouseMove();
        return true;
    }
    if (type != QEvent::MouseMove)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->childAt(static_cast<QMouseEvent*>(e)->position().toPoint()))
        return false;
    if (watched == centralWidget())
        Form_MouseMove();
    else if (watched == Frame1)
        Frame1_MouseMove();
    else if (watched == Frame2)
        Frame2_MouseMove();
    else if (watched == Frame3)
        Frame3_MouseMove();
    else
        return false;
    return true;
}

// ---- Arkiv ------------------------------------------------------------------------

void HeadForm::bupl_mn_Click() {
    if (!openBudgAltForm)
        return;
    Module1.CancelFlag = QStringLiteral("1");
    Module1.Avb = QStringLiteral("budg");
    openBudgAltForm(*this);
}

void HeadForm::utskrstat_mn_Click() {
    if (openUtskrStatForm)
        openUtskrStatForm(*this);
}

void HeadForm::Bu_mn_Click() {
    if (openBackUpForm)
        openBackUpForm(*this);
}

// ---- Info/Hjälp -------------------------------------------------------------------

void HeadForm::over_mn_Click() {
    platform::help().showContext(kOverview);
}
void HeadForm::trans_mn_Click() {
    platform::help().showContext(kTransactions);
}
void HeadForm::acc_mn_Click() {
    platform::help().showContext(kAccounts);
}
void HeadForm::butts_mn_Click() {
    platform::help().showContext(kButtons);
}
void HeadForm::bdg_mn_Click() {
    platform::help().showContext(kBudgeting);
}
void HeadForm::utstat_mn_Click() {
    platform::help().showContext(kListings);
}

void HeadForm::Update_mn_Click() {
    platform::shell().openUrl(platform::authorServer().webBase +
                              QStringLiteral("Bugfix/BuggFix_Fynlar.php"));
}

void HeadForm::kritisk_mn_Click() {
    platform::messages().show(feedbackText(), platform::Buttons::Ok, platform::Icon::Information,
                              QStringLiteral("ProgramKritik"));
}

// The donation window shows itself beside this window and disables it until
// it closes.
void HeadForm::Donera_mn_Click() {
    if (openDonateForm)
        openDonateForm(*this);
}

void HeadForm::Command14_Click() {
    Donera_mn_Click();
}

// ---- The logo and the web pane ------------------------------------------------------

void HeadForm::Picture1_Click() {
    platform::shell().openUrl(platform::authorServer().webBase);
}

void HeadForm::Picture1_MouseMove() {
    setHelp(QStringLiteral("Logo"), QStringLiteral("Välkommen titta in på min hemsida !\n/Moxel"));
}

// The start page is fetched and then blanked; the blank page completes too,
// and must not blank itself again.
void HeadForm::WebBrowser1_DocumentComplete(const QString& url) {
    if (url != QLatin1String("about:blank"))
        WebBrowser1->navigate(QStringLiteral("about:blank"));
}

// ---- The help panel ---------------------------------------------------------------

void HeadForm::Form_MouseMove() {
    if (HelpHold < 1)
        setHelp(QString(), QString());
}
void HeadForm::Frame1_MouseMove() {
    Form_MouseMove();
}
void HeadForm::Frame2_MouseMove() {
    Form_MouseMove();
}

void HeadForm::Frame3_MouseMove() {
    if (HelpHold >= 1)
        return;
    FelSepMember = QChar(0xA6);
    const QString sep(FelSepMember);
    setHelp(QStringLiteral("Datumenhet"), QStringLiteral("Ändra valfritt  ") + sep +
                                              QStringLiteral("År") + sep + QStringLiteral(" - ") +
                                              sep + QStringLiteral("Månad") + sep +
                                              QStringLiteral(" - ") + sep + QStringLiteral("Dag") +
                                              sep + QStringLiteral("  var för sig !"));
}

// ---- Drives ---------------------------------------------------------------------------

void HeadForm::DriveCount(qint16& count) {
    const std::vector<platform::DriveInfo> drives = platform::drives().list(Module1.BaseFolder);
    count = qint16(std::min(drives.size(), kCountedDrives));
}

void HeadForm::DriveLista() {
    UnitList->clear();
    qint16 count = 0;
    DriveCount(count);
    for (const platform::DriveInfo& d : platform::drives().list(Module1.BaseFolder)) {
        if (d.type == platform::DriveType::CdRom || !d.ready)
            continue;
        auto* item = new QListWidgetItem(d.root, UnitList);
        item->setData(Qt::UserRole, int(d.type));
    }
}

} // namespace fyn
