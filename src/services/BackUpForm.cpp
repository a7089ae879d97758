#include "services/BackUpForm.h"

#include "core/ErrorRoutine.h"
#include "core/Errors.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/HeadForm.h"
#include "mainwindow/NyKontoForm.h"
#include "platform/Platform.h"
#include "platform/Ui.h"
#include "services/BackupOps.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace fyn {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

// What a backup cut short left: nothing, or a partial copy (left) to remove.
QString partialCopyLine(const QString& left) {
    return left.isEmpty() ? QStringLiteral("Den ofullständiga kopian är borttagen, så ingen "
                                           "BackUp har skapats.")
                          : QStringLiteral("En ofullständig kopia ligger kvar som ") + left +
                                QStringLiteral(" och kan tas bort.");
}

QPointer<BackUpForm> backUpForm_;

// The drive's whole path, beside the text the list shows for it.
constexpr int kRootRole = Qt::UserRole + 1;

// A mount path as it fits in room pixels: whole when it does; else its last
// part whole, the stick's label, after as much of the start as fits, the rest
// left out at "…". A label that is wider than the list itself is shortened in
// its middle.
QString shownDrivePath(const QString& root, const QFontMetrics& fm, int room) {
    if (fm.horizontalAdvance(root) <= room)
        return root;
    const QString trimmed = root.endsWith(QLatin1Char('/')) ? root.chopped(1) : root;
    const qsizetype cut = trimmed.lastIndexOf(QLatin1Char('/'));
    const QString last = root.mid(cut + 1); // the label, with the closing "/"
    const QString head = root.left(cut + 1);
    const QString ellipsis(QChar(0x2026));
    const int left =
        room - fm.horizontalAdvance(QStringLiteral("/") + ellipsis + QLatin1Char('/') + last);
    if (cut <= 0 || left < 0)
        return fm.elidedText(root, Qt::ElideMiddle, room);
    // As much of the start as fits, cut back to a whole folder where it can be.
    QString start = head.chopped(1);
    while (!start.isEmpty() && fm.horizontalAdvance(start) > left)
        start.chop(1);
    if (const qsizetype slash = start.lastIndexOf(QLatin1Char('/')); slash > 0)
        start = start.left(slash + 1);
    return start + ellipsis + QLatin1Char('/') + last;
}

const QString kBr = QStringLiteral("\r\n");
// The design's width, made wider on the right for the drive list: a mount
// path of 48 characters needs about 300 pixels where a drive letter needed
// none. What stands on the right moves along.
constexpr int kWider = 1605;
constexpr int kWidth = 5010 + kWider;
constexpr int kHeight = 4950;
// The drive list, beside the options of either mode.
constexpr int kDriveListWidth = 4725;

QString startText() {
    return QStringLiteral("Programmets arbetsfiler kan säkerhetskopieras och förvaras på annan"
                          " hårddisk eller på ett USB-minne !\r\n"
                          "Om USB-minne föredras, ska detta sättas in i avsedd port."
                          " Därefter klickas på kommandoknappen 'BackUp !\r\n\r\n"
                          "Har filerna tidigare säkerhetskopierats, kan de med några klick"
                          " återställas, i de fall någon eller några har skadats eller efter"
                          " en ominstallation av programmet.\r\n"
                          "Det är fördelaktigt om säkerhetskopiorna då är någorlunda aktuella !"
                          "\r\n\r\n"
                          "Med nedanstående kontrollknappar kan väljas 'BackUp' eller"
                          " 'Återställ' !");
}

QString cancelText() {
    return QStringLiteral("Det finns möjligheter att säkerhetskopiera de arbetsfiler som programmet"
                          " använder, och förvara dem på annan hårddisk, eller på ett USB-minne."
                          "\r\n"
                          "Föredrar du USB-minne, sätter du in detta i avsedd port !\r\n\r\n"
                          "Om du tidigare har säkerhetskopierat filerna, kan du med några klick"
                          " återställa dem, för den händelse att någon eller några blivit skadade,"
                          " eller efter ett byte av dator.\r\n"
                          "Viktigt är då att din backup är någorlunda aktuell !\r\n\r\n"
                          "Via nedanstående kontroller kan du välja 'BackUp' eller 'Återställ' !");
}

QString driveLine(int type, bool restore) {
    const QString unit = restore ? QStringLiteral("iskenheten") : QStringLiteral("riveenheten");
    switch (type) {
    case int(platform::DriveType::Removable):
        return QStringLiteral("Den valda d") + unit + QStringLiteral(" är flyttbar (ex. USB) !");
    case int(platform::DriveType::Network):
        return QStringLiteral("D") + unit +
               QStringLiteral(" är ansluten till annan dator i nätverket\r\n"
                              "och därmed kanske inte tillgänglig f n (?)");
    default:
        return QStringLiteral("D") + unit +
               QStringLiteral(" är en hårddiskdrive (HDD) i denna dator.");
    }
}

// What failed: the system's text and, when known, the file or folder it
// refused, on the drive or in the data folder.
struct Failure {
    QString sysText;
    QString path;
};

// What kind of drive an entry of the drive list is, for a screen reader.
QString driveKind(platform::DriveType type) {
    switch (type) {
    case platform::DriveType::Removable:
        return QStringLiteral("flyttbar enhet (ex. USB)");
    case platform::DriveType::Network:
        return QStringLiteral("enhet i nätverket");
    default:
        return QStringLiteral("hårddisk i denna dator");
    }
}

// Fills the error texts as the routine's handler does and calls the general
// error routine, which names the refused place.
void report(const Failure& failure, const QStringList& message, const QString& lineEnd,
            int extraLineEnds, const QStringList& dump) {
    Module1.SysFel = failure.sysText;
    Module1.FelPath = failure.path;
    QString text;
    for (const QString& line : message)
        text += line + lineEnd;
    for (int i = 0; i < extraLineEnds; ++i)
        text += lineEnd;
    Module1.FelText = text;
    Module1.FelSep = kFelSep;
    Module1.FelDump = dump.join(kFelSep);
    GeneralError();
}

// Runs body; a runtime failure goes to onFail with what failed. What the test
// doubles and a crash throw passes.
template <class Body, class Fail> bool guarded(Body&& body, Fail&& onFail) {
    try {
        body();
        return true;
    } catch (const std::exception&) {
        onFail(Failure{currentErrorText(), currentErrorPath()});
    }
    return false;
}

} // namespace

// The dialog and the main window take no presses while an operation runs, so
// that nothing closes the dialog under its handler, starts a second operation
// or switches the account in between.
class BackUpForm::Busy {
public:
    explicit Busy(BackUpForm& f) : f_(f), headWas_(f.head_.isEnabled()) {
        f_.busy_ = true;
        f_.setEnabled(false);
        f_.head_.setEnabled(false);
    }
    ~Busy() {
        f_.head_.setEnabled(headWas_);
        f_.setEnabled(true);
        f_.busy_ = false;
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    BackUpForm& f_;
    bool headWas_;
};

BackUpForm::BackUpForm(HeadForm& head) : QWidget(nullptr, Qt::Dialog), head_(head) {
    setObjectName(QStringLiteral("BackUpForm"));
    setWindowTitle(QStringLiteral("Backup / Äterställ"));
    setFont(uiFont(kArial, 8.25));

    Text1 = makeControl<QPlainTextEdit>(this, "Text1");
    placeTwips(Text1, 240, 240, 4455 + kWider, 1335);
    Text1->setReadOnly(true);
    Text1->setAccessibleName(QStringLiteral("Anvisningar"));

    Command3 = makeControl<QPushButton>(this, "Command3", QStringLiteral("BackUp"));
    placeTwips(Command3, 240, 1800, 1335, 495);
    Command4 = makeControl<QPushButton>(this, "Command4", QStringLiteral("Återställ"));
    placeTwips(Command4, 3360 + kWider, 1800, 1335, 495);

    Label1 = makeControl<QLabel>(this, "Label1", QStringLiteral("Drive-enheter"));
    placeTwips(Label1, 1920, 1560, 1215, 255);
    DrvList = makeControl<QListWidget>(this, "DrvList");
    placeTwips(DrvList, 1920, 1800, 1095, 570);
    DrvList->setAccessibleName(Label1->text());
    // Placed by the mode, wide enough for a whole mount path; a longer one is
    // shortened by showDrivePaths, its label kept, and is whole in the tool tip.
    DrvList->setTextElideMode(Qt::ElideNone);
    DrvList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Label1->setBuddy(DrvList);

    Option1 = makeControl<QRadioButton>(this, "Option1", QStringLiteral("Detta konto"));
    placeTwips(Option1, 1920, 2400, 1335, 255);
    Option2 = makeControl<QRadioButton>(this, "Option2", QStringLiteral("Alla konton"));
    placeTwips(Option2, 1920, 2760, 1335, 315);
    optionGroup({Option1, Option2});
    // Only a press chooses, and it asks first: the filter below takes the
    // mouse and the keys, so the buttons do not check themselves. They stay
    // one group of options, as a screen reader reads them.

    Dir1 = makeControl<QListWidget>(this, "Dir1");
    placeTwips(Dir1, 240, 3120, 4455 + kWider, 900);
    Dir1->setAccessibleName(QStringLiteral("BackUp-kataloger"));

    Label2 = makeControl<QLabel>(this, "Label2");
    placeTwips(Label2, 1680 + kWider / 2, 4080, 1695, 735);
    Label2->setFont(uiFont(kArial, 8.25, true));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setTextFormat(Qt::PlainText);

    Command1 = makeControl<QPushButton>(this, "Command1", QStringLiteral("Avbryt"));
    placeTwips(Command1, 240, 4320, 1335, 495);
    Command2 = makeControl<QPushButton>(this, "Command2", QStringLiteral("Avsluta"));
    placeTwips(Command2, 3480 + kWider, 4320, 1215, 495);

    for (QPushButton* b : {Command1, Command2, Command3, Command4})
        b->setAutoDefault(false);
    Label1->hide();
    DrvList->hide();
    Option1->hide();
    Option2->hide();
    Dir1->hide();
    Command1->setEnabled(false);

    connect(Command1, &QPushButton::clicked, this, &BackUpForm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &BackUpForm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &BackUpForm::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &BackUpForm::Command4_Click);
    // A choice made elsewhere (a screen reader toggles the option) is a press
    // too, and asks as one does.
    for (QRadioButton* o : {Option1, Option2})
        connect(o, &QRadioButton::toggled, this, [this, o](bool on) {
            if (on && !settingScope_)
                o == Option1 ? Option1_MouseDown() : Option2_MouseDown();
        });
    for (QObject* o : std::initializer_list<QObject*>{DrvList, DrvList->viewport(), Dir1,
                                                      Dir1->viewport(), Option1, Option2})
        o->installEventFilter(this);

    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &BackUpForm::Command2_Click);
    // Not a Qt child of the main window (an operation disables that), so it
    // goes with it.
    connect(&head_, &QObject::destroyed, this, [this] { delete this; });
}

// ---- Layout -------------------------------------------------------------------------

void BackUpForm::setFull(bool full) {
    // The short height is rounded as the original's assignment did: half to even.
    const int height = full ? FullHeight : int(std::nearbyint(FullHeight * 0.83));
    setFixedSize(twips(kWidth), twips(height));
    const int top = twips(full ? 4320 : 2880);
    Command1->move(Command1->x(), top);
    Command2->move(Command2->x(), top);
}

void BackUpForm::setScope(bool thisAccount, bool allAccounts) {
    const QScopedValueRollback<bool> setting(settingScope_, true);
    uncheck(Option1);
    uncheck(Option2);
    if (thisAccount || allAccounts)
        (thisAccount ? Option1 : Option2)->setChecked(true);
}

void BackUpForm::uncheckOptions() {
    setScope(false, false);
}

// A mount path is far longer than a drive letter: the drive list takes the
// side that the mode's options leave free, over the other mode's button, which
// has nothing to do until "Avbryt", and down to the folder list.
void BackUpForm::placeDriveList(bool restore) {
    (restore ? Command3 : Command4)->hide();
    const int left = restore ? 240 : 1650;
    placeTwips(Label1, left, 1560, 1215, 240);
    placeTwips(DrvList, left, 1800, kDriveListWidth, 1275);
    showDrivePaths();
}

// Each entry shows its drive's whole path where the list has room for it; a
// longer one keeps its last part, the stick's label, and loses the middle of
// what comes before. What is shown is the item's text, so it is what is
// painted; the path itself stays in the item for the choice.
void BackUpForm::showDrivePaths() {
    const QFontMetrics fm(DrvList->font());
    const int frame = 2 * DrvList->frameWidth();
    const int margins =
        2 * (DrvList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, DrvList) + 1);
    int room = DrvList->width() - frame - margins;
    const int rows = DrvList->count() * std::max(DrvList->sizeHintForRow(0), fm.height());
    if (rows > DrvList->height() - frame)
        room -= DrvList->verticalScrollBar()->sizeHint().width();
    for (int i = 0; i < DrvList->count(); ++i) {
        QListWidgetItem* item = DrvList->item(i);
        item->setText(shownDrivePath(item->data(kRootRole).toString(), fm, room));
    }
}

void BackUpForm::showModeButtons() {
    Command3->show();
    Command4->show();
}

// The start layout that "Avbryt" and a finished backup return to.
void BackUpForm::startLayout() {
    Command1->setEnabled(false);
    Command3->setEnabled(true);
    Command4->setEnabled(true);
    showModeButtons();
    Label1->hide();
    DrvList->hide();
    Dir1->hide();
    setFull(false);
    for (QRadioButton* o : {Option1, Option2}) {
        o->move(twips(1920), o->y());
        o->hide();
    }
}

// The choice of scope starts over: a restore list from another drive or scope
// must not stay pressable.
void BackUpForm::noScope() {
    Dir1->hide();
    Dir1->clear();
    RestoreScope.clear();
}

void BackUpForm::hideChoices() {
    Option1->hide();
    Option2->hide();
    uncheckOptions();
    noScope();
}

// ---- Opening and closing ----------------------------------------------------------

void BackUpForm::Form_Load() {
    FullHeight = kHeight;
    RestoreScope.clear();
    setFull(false);
    // A place that cannot be read or stored leaves the dialog where it opens.
    placeBeside(*this, head_, WindowPos::BackUpForm);
    show();
    activateWindow();
    Text1->setPlainText(startText());
    BackupMode.clear();
}

void BackUpForm::Command2_Click() {
    if (busy_ || closing_)
        return;
    closing_ = true;
    positionQuietly([this] { storeWindowPosition(*this, WindowPos::BackUpForm); });
    hide();
    deleteLater();
}

void BackUpForm::closeEvent(QCloseEvent* e) {
    // The close box is "Avsluta"; while an operation runs the dialog stays.
    e->ignore();
    Command2_Click();
}

// ---- Mode and drive ------------------------------------------------------------------

void BackUpForm::Command3_Click() {
    enterMode(QStringLiteral("BU"), 240, QStringLiteral("Vänta !\r\nSäkerhets-\r\nkopiering..."),
              QStringLiteral("Listan visar samtliga drive-enheter användbara"
                             " för kopiering, inklusive ev. USB-enhet.\r\n"
                             "Klicka i listan på den enhet som avses för "
                             "säkerhetskopieringen.\r\n\r\n"));
}

void BackUpForm::Command4_Click() {
    enterMode(
        QStringLiteral("RE"), 3360 + kWider, QStringLiteral("Vänta !\r\nÅterställning..."),
        QStringLiteral("Listan nedan visar möjliga drive-enheter för tidigare utförd BackUp,"
                       "  inkl. ev. USB-enhet.\r\n"
                       "Klicka i listan på antagen enhetsbeteckning !\r\n\r\n"
                       "En sammanställning visas av enhetens katalogstruktur, där någon"
                       " av de tidigare skapade BackUp-katalogerna bör återfinnas !\r\n\r\n"));
}

// Backup or restore: the options go under the mode's button, the drives are
// listed and the dialog opens to its full height.
void BackUpForm::enterMode(const QString& mode, int optionLeft, const QString& waitText,
                           const QString& guide) {
    BackupMode = mode;
    Label2->hide();
    for (QRadioButton* o : {Option1, Option2}) {
        o->move(twips(optionLeft), o->y());
        o->hide();
    }
    uncheckOptions();
    noScope();
    Label2->setText(waitText);
    Text1->setPlainText(guide);
    BackupDrive.clear();
    DrvList->clear();
    Enhetslista();
    Command1->setEnabled(true);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    setFull(true);
    placeDriveList(mode == QLatin1String("RE"));
    Label1->show();
    DrvList->show();
}

void BackUpForm::Command1_Click() {
    if (busy_)
        return;
    Command1->setEnabled(false);
    Command3->setEnabled(true);
    Command4->setEnabled(true);
    showModeButtons();
    Label1->hide();
    DrvList->hide();
    Dir1->hide();
    Command1->move(Command1->x(), twips(2880));
    Command2->move(Command2->x(), twips(2880));
    for (QRadioButton* o : {Option1, Option2}) {
        o->move(twips(1920), o->y());
        o->hide();
    }
    RestoreScope.clear();
    setFull(false);
    Text1->setPlainText(cancelText());
}

void BackUpForm::DriveCount(qint16& count) {
    count = qint16(platform::drives().list(Module1.BaseFolder).size());
}

void BackUpForm::Enhetslista() {
    guarded(
        [&] {
            qint16 count = 0;
            DriveCount(count);
            for (const platform::DriveInfo& d : platform::drives().list(Module1.BaseFolder)) {
                if (d.type == platform::DriveType::CdRom || d.root.isEmpty() || !d.ready)
                    continue;
                auto* item = new QListWidgetItem(d.root, DrvList);
                item->setData(Qt::UserRole, int(d.type));
                item->setData(kRootRole, d.root);
                item->setToolTip(d.root);
                // A screen reader reads the whole path and the kind of drive.
                item->setData(Qt::AccessibleTextRole, d.root);
                item->setData(Qt::AccessibleDescriptionRole, driveKind(d.type));
            }
            DrvList->setCurrentRow(-1);
            DrvList->clearSelection();
            showDrivePaths();
        },
        [](const Failure& sys) {
            report(sys,
                   {QStringLiteral("Ett fel har uppstått i subrutinen Enhetslista"),
                    QStringLiteral("vid försök att skapa drive-listan.")},
                   kBr, 1,
                   {QStringLiteral("Fel i rutinen Enhetslista"),
                    QStringLiteral("vid försök skapa drive-listan.")});
        });
}

void BackUpForm::DrvList_MouseDown(QListWidgetItem* item) {
    if (busy_ || !item)
        return;
    guarded(
        [&] {
            const bool restore = BackupMode == QLatin1String("RE");
            const int type = item->data(Qt::UserRole).toInt();
            const QString root = item->data(kRootRole).toString();
            const QString question =
                restore ? QStringLiteral("Använd denna diskenhet för Återställning ?")
                        : QStringLiteral("Använd denna diskenhet för BackUp ?");
            const Answer answer =
                platform::messages().show(driveLine(type, restore) + kBr + kBr + question,
                                          restore ? Buttons::YesNoCancel : Buttons::YesNo,
                                          Icon::None, QStringLiteral("Vald diskenhet ?"));
            // Cancel refuses as No does; the mode stays what the user chose.
            if (answer == Answer::No || answer == Answer::Cancel) {
                hideChoices();
                return;
            }
            BackupDrive = root;
            BackupDriveType = type;
            uncheckOptions();
            noScope();
            Option1->show();
            Option2->show();
            platform::messages().show(
                QStringLiteral("Markera ett av alternativen 'Detta konto' eller 'Alla konton' !"),
                Buttons::Ok, Icon::None,
                restore ? QStringLiteral("Välj återställningens omfattning !")
                        : QStringLiteral("Välj BackUp-omfattning"));
        },
        [](const Failure& sys) {
            report(sys,
                   {QStringLiteral("Ett fel har uppstått i subrutinen 'DrvList_MouseDown'"),
                    QStringLiteral("vid försök klicka på drive-listan."),
                    QStringLiteral("Felet är svårbedömt, men kan bero på att klickad drive-enhet"
                                   " inte existerar eller har kopplats bort !")},
                   kBr, 1,
                   {QStringLiteral("Fel i rutinen 'DrvList_MouseDown'"),
                    QStringLiteral("vid försök klicka på drive-listan.")});
        });
}

// ---- Scope ------------------------------------------------------------------------------

BackUpForm::Account BackUpForm::currentAccount() {
    return {Module1.KontoNum, Module1.KontoNamn, Module1.KontoSlag};
}

// "Detta konto" needs an open account whose name can name a folder.
bool BackUpForm::accountUsable() {
    const bool restore = BackupMode == QLatin1String("RE");
    if (Module1.KontoNum <= 0 || Module1.KontoNamn.isEmpty() ||
        !ledger::account().kontoData.isOpen()) {
        platform::messages().show(
            QStringLiteral(
                "Inget konto är inloggat i huvudfönstret, så det finns inget konto att ") +
                (restore ? QStringLiteral("återställa") : QStringLiteral("säkerhetskopiera")) +
                QStringLiteral(" !\r\n\r\nVälj 'Alla konton', eller välj först ett konto i "
                               "huvudfönstret."),
            Buttons::Ok, Icon::Information, QStringLiteral("Inget inloggat konto"));
        return false;
    }
    if (const QString problem = backup::accountKeyProblem(Module1.KontoNamn); !problem.isEmpty()) {
        platform::messages().show(
            QStringLiteral("Kontot '") + Module1.KontoNamn + QStringLiteral("' kan inte ") +
                (restore ? QStringLiteral("återställas") : QStringLiteral("säkerhetskopieras")) +
                QStringLiteral(", eftersom namnet inte kan ingå i ett katalognamn:\r\n\r\n") +
                problem,
            Buttons::Ok, Icon::Warning, QStringLiteral("Ogiltigt kontonamn"));
        return false;
    }
    return true;
}

bool BackUpForm::namesFit(bool thisAccount) {
    if (BackupDriveType != int(platform::DriveType::Removable) &&
        !backup::windowsNamesOnly(BackupDrive))
        return true;
    QString problem;
    const bool read = guarded(
        [&] {
            problem = thisAccount ? backup::stickProblem(accountFolder(Module1.KontoNamn),
                                                         Module1.KontoNamn)
                                  : backup::stickProblem(dataFolder(), QString());
        },
        [&](const Failure& sys) {
            const QString routine = thisAccount ? QStringLiteral("Option1_MouseDown")
                                                : QStringLiteral("Option2_MouseDown");
            report(sys,
                   {QStringLiteral("Ett fel har uppstått i subrutinen ") + routine,
                    QStringLiteral("vid försök läsa de filer som ska säkerhetskopieras.")},
                   kBr, 1,
                   {QStringLiteral("Fel i rutinen ") + routine,
                    QStringLiteral("vid försök läsa de filer som ska säkerhetskopieras."),
                    QStringLiteral("Drive-enhet = ") + BackupDrive});
        });
    if (!read)
        return false;
    if (problem.isEmpty())
        return true;
    platform::messages().show(
        QStringLiteral("Drive-enheten ") + BackupDrive +
            QStringLiteral(" är ett USB-minne eller en enhet för Windows, som inte kan ta alla "
                           "namn.\r\n\r\n") +
            problem + QStringLiteral("\r\n\r\nIngenting har kopierats."),
        Buttons::Ok, Icon::Warning, QStringLiteral("Namn som drive-enheten inte rymmer"));
    return false;
}

// The account is still the one the user said yes to; if not, nothing is done
// and the scope is to be chosen again.
bool BackUpForm::accountUnchanged() {
    if (currentAccount() == chosen_)
        return true;
    platform::messages().show(
        QStringLiteral("Kontot i huvudfönstret är inte längre '") + chosen_.name +
            QStringLiteral("', som omfattningen gällde !\r\n\r\nIngenting har ") +
            (BackupMode == QLatin1String("RE") ? QStringLiteral("återställts")
                                               : QStringLiteral("kopierats")) +
            QStringLiteral(". Välj omfattningen på nytt."),
        Buttons::Ok, Icon::Warning, QStringLiteral("Kontot har bytts"));
    uncheckOptions();
    noScope();
    return false;
}

void BackUpForm::Option1_MouseDown() {
    scopePressed(true);
}

void BackUpForm::Option2_MouseDown() {
    scopePressed(false);
}

void BackUpForm::scopePressed(bool thisAccount) {
    if (busy_)
        return;
    const bool restore = BackupMode == QLatin1String("RE");
    if ((thisAccount && !accountUsable()) || (!restore && !namesFit(thisAccount))) {
        uncheckOptions();
        return;
    }
    setScope(thisAccount, !thisAccount);
    QString question;
    if (!restore)
        question = thisAccount ? QStringLiteral("Är diskenhet") + BackupDrive +
                                     QStringLiteral(" för säkerhetskopieringen av kontot '") +
                                     Module1.KontoNamn + QStringLiteral("' OK ?")
                               : QStringLiteral("Är diskenhet ") + BackupDrive +
                                     QStringLiteral(" för säkerhetskopieringen av samtliga konton "
                                                    "OK ?");
    else
        question = kBr + kBr +
                   (thisAccount ? QStringLiteral("Är diskenhet ") + BackupDrive +
                                      QStringLiteral(" för återställning av kontot '") +
                                      Module1.KontoNamn + QStringLiteral("'  OK ?")
                                : QStringLiteral("Är diskenhet ") + BackupDrive +
                                      QStringLiteral(" för återställning av säkerhetskopierade "
                                                     "konton  OK ?"));
    const Answer answer = platform::messages().show(question, Buttons::YesNo, Icon::None,
                                                    QStringLiteral("Lagringsenhet"));
    if (answer == Answer::No) {
        if (!restore)
            uncheckOptions();
        return;
    }
    chosen_ = currentAccount();
    if (restore) {
        listBackups(thisAccount);
        return;
    }
    {
        Busy busy(*this);
        Label2->show();
        Pause(2);
        if (thisAccount && !accountUnchanged()) {
            Label2->hide();
            return;
        }
        thisAccount ? KontoBackUp() : AllBackUp();
    }
}

// The drive's folders, and whether a backup of the scope is among them.
void BackUpForm::listBackups(bool thisAccount) {
    noScope();
    std::vector<backup::Folder> folders;
    if (!guarded([&] { folders = backup::listFolders(BackupDrive); },
                 [&](const Failure& sys) {
                     const QString routine = thisAccount ? QStringLiteral("Option1_MouseDown")
                                                         : QStringLiteral("Option2_MouseDown");
                     report(sys,
                            {QStringLiteral("Ett fel har uppstått i subrutinen ") + routine,
                             QStringLiteral("vid försök läsa katalogerna på vald drive-enhet."),
                             QStringLiteral("Felet kan bero på att drive-enheten har kopplats "
                                            "bort !")},
                            kBr, 1,
                            {QStringLiteral("Fel i rutinen ") + routine,
                             QStringLiteral("vid försök läsa katalogerna på vald drive-enhet."),
                             QStringLiteral("Drive-enhet = ") + BackupDrive});
                 }))
        return;
    const QString key = thisAccount ? Module1.KontoNamn : backup::kAllStem;
    const bool found = std::any_of(folders.begin(), folders.end(), [&](const backup::Folder& f) {
        return backup::isBackupName(f.name, key);
    });
    if (!found) {
        platform::messages().show(
            thisAccount
                ? QStringLiteral(
                      "Vald diskenhet innehåller tyvärr ingen användbar BackUp för återställn. !")
                : QStringLiteral(
                      "Vald enhet innehåller tyvärr ingen användbar BackUp för återställn. !"),
            Buttons::Ok, Icon::Information, QStringLiteral("Felvald drive-enhet"));
        return;
    }
    for (const backup::Folder& f : folders) {
        auto* item = new QListWidgetItem(f.name, Dir1);
        item->setData(Qt::UserRole, f.path);
        item->setToolTip(f.path);
    }
    Dir1->setCurrentRow(-1);
    Dir1->show();
    RestoreScope = thisAccount ? QStringLiteral("1") : QStringLiteral("0");
    platform::messages().show(QStringLiteral("Klicka på den avsedda BackUp-katalogen !"),
                              Buttons::Ok, Icon::None, QStringLiteral("Välj ut BackUp !"));
}

// ---- Restore -----------------------------------------------------------------------------

void BackUpForm::Dir1_MouseDown(QListWidgetItem* item) {
    if (busy_ || !item)
        return;
    const QString source = item->data(Qt::UserRole).toString();
    const bool thisAccount = RestoreScope == QLatin1String("1");
    if (!RestoreScope.isEmpty()) {
        // Another window of the program works on the data; it must go first.
        if (!head_.isEnabled()) {
            platform::messages().show(
                QStringLiteral("Återställningen kan inte göras medan ett annat fönster i "
                               "programmet är öppet !\r\n\r\n"
                               "Stäng det fönstret och klicka sedan på BackUp-katalogen igen."),
                Buttons::Ok, Icon::Warning, QStringLiteral("Återställning"));
            return;
        }
        if (thisAccount && !accountUnchanged())
            return;
        // One press would replace everything entered since the backup: the
        // user says yes to the folder first, and no leaves the choice open.
        if (!confirmRestore(source, thisAccount))
            return;
    }
    bool copied = false;
    bool ok = false;
    {
        Busy busy(*this);
        Label2->show();
        ok = guarded(
            [&] {
                Pause(2);
                if (RestoreScope == QLatin1String("1"))
                    copied = KontoRecover(source);
                else if (RestoreScope == QLatin1String("0"))
                    copied = AllRecover(source);
                QDir::setCurrent(Module1.StartFolder);
                Label2->setText(QString());
            },
            [&](const Failure& sys) {
                report(
                    sys,
                    {QStringLiteral("Ett fel har uppstått i subrutinen Dir1_MouseDown"),
                     QStringLiteral("vid försök återställa säkerhetskopierade filer.")},
                    kBr, 0,
                    {QStringLiteral("Felet inträffade i subrutinen 'Dir1_MouseDown',"),
                     QStringLiteral(" och kan bero på att backup-media (ex USB) ej är ansluten !"),
                     QStringLiteral("Label2 visar ") + Label2->text()});
            });
    }
    if (!ok)
        return; // the dialog stays open
    if (copied) {
        // The restore stands once its commit returned; the files themselves
        // are synced here. When that fails the user is told just that.
        QString unsynced;
        try {
            checkpoint();
        } catch (const RuntimeError& e) {
            unsynced = e.text();
        }
        const QString left = RestoreScope == QLatin1String("0") ? leftInPlace() : QString();
        // Held only in memory, the restore is lost if the program ends first:
        // the exit asks before that.
        if (!unsynced.isEmpty() && changeOnlyInMemory())
            platform::messages().show(
                QStringLiteral("Säkerhetskopierade arbetsfiler från BackUp kunde inte sparas i "
                               "registerkatalogen, eftersom disken inte tog emot dem (%1).\r\n\r\n"
                               "Återställningen finns bara i programmets minne och går förlorad "
                               "om programmet avslutas innan den är sparad.\r\n\r\n"
                               "Kontrollera disken (ledigt utrymme, anslutning) och avsluta sedan "
                               "programmet: det försöker då spara återställningen igen, och "
                               "frågar innan den går förlorad. Starta därefter om programmet för "
                               "att läsa in alla filer !")
                        .arg(unsynced) +
                    left,
                Buttons::Ok, Icon::Warning, QStringLiteral("Återställningen är inte sparad"));
        else if (unsynced.isEmpty())
            platform::messages().show(
                QStringLiteral("Säkerhetskopierade arbetsfiler från BackUp,"
                               " är nu återställda till registerkatalogen !\r\n\r\n"
                               "Starta om programmet  för att läsa in alla filer ! !") +
                    left,
                Buttons::Ok, Icon::Information, QStringLiteral("Återställning utförd"));
        else
            platform::messages().show(
                QStringLiteral("Säkerhetskopierade arbetsfiler från BackUp,"
                               " är nu återställda till registerkatalogen, men de kunde inte "
                               "skrivas färdigt till disken (%1).\r\n\r\n"
                               "Återställningen står kvar i programmets logg över pågående "
                               "ändringar och skrivs färdigt innan något mer sparas eller "
                               "läses, senast när programmet startar.\r\n\r\n"
                               "Kontrollera disken (ledigt utrymme, anslutning), avsluta sedan "
                               "programmet och starta om det för att läsa in alla filer !")
                        .arg(unsynced) +
                    left,
                Buttons::Ok, Icon::Warning, QStringLiteral("Återställning utförd"));
    }
    Command2_Click();
}

// The account folders a restore of every account left as they were because
// the restored register does not list them, said for the closing message.
QString BackUpForm::leftInPlace() {
    QStringList left;
    try {
        left = backup::unlistedAccountFolders();
    } catch (const RuntimeError&) {
        return {}; // the restore stands; only the list is not told
    }
    if (left.isEmpty())
        return {};
    return kBr + kBr +
           QStringLiteral("Dessa kontokataloger finns kvar i datamappen men inte i det "
                          "återställda kontoregistret, och har lämnats orörda:") +
           kBr + kBr + left.join(kBr) + kBr + kBr +
           QStringLiteral("Ett sådant konto tas upp igen med 'Nytt konto' och kontots namn.");
}

void BackUpForm::refuse(const QString& refusal, bool thisAccount) {
    platform::messages().show(
        (thisAccount ? QStringLiteral("Vald katalog är ingen BackUp av kontot '") + chosen_.name +
                           QStringLiteral("' !")
                     : QStringLiteral("Vald katalog är ingen BackUp av samtliga konton !")) +
            kBr + kBr + refusal + kBr + kBr + QStringLiteral("Ingenting har återställts."),
        Buttons::Ok, Icon::Warning, QStringLiteral("Felvald BackUp-katalog"));
}

bool BackUpForm::confirmRestore(const QString& source, bool thisAccount) {
    const QString name = QFileInfo(QDir::cleanPath(source)).fileName();
    QString made;
    if (backup::isBackupName(name, thisAccount ? chosen_.name : backup::kAllStem)) {
        const QDateTime when =
            QDateTime::fromString(name.right(12), QStringLiteral("yyyyMMddHHmm"));
        if (when.isValid())
            made = kBr + QStringLiteral("som gjordes ") +
                   when.toString(QStringLiteral("yyyy-MM-dd 'kl.' HH:mm"));
    }
    const QString text =
        (thisAccount ? QStringLiteral("Vill du återställa kontot '") + chosen_.name +
                           QStringLiteral("' från BackUp-katalogen")
                     : QStringLiteral("Vill du återställa alla konton från BackUp-katalogen")) +
        kBr + QDir::toNativeSeparators(source) + made + QStringLiteral(" ?") + kBr + kBr +
        (thisAccount ? QStringLiteral("Kontots nuvarande filer")
                     : QStringLiteral("Datamappens nuvarande filer, för alla konton,")) +
        QStringLiteral(" ersätts då med säkerhetskopians. Det som har lagts in eller ändrats "
                       "sedan säkerhetskopian gjordes går förlorat.");
    return platform::messages().show(text, Buttons::YesNo, Icon::Warning,
                                     QStringLiteral("Återställ från BackUp ?")) == Answer::Yes;
}

// A folder that does not carry a backup's name may still be one a user
// renamed; the user says.
bool BackUpForm::confirmName(const QString& source, bool thisAccount) {
    const QString name = QFileInfo(QDir::cleanPath(source)).fileName();
    const QString text =
        QStringLiteral("Katalogen ") + name +
        (thisAccount ? QStringLiteral(" har inte namnet på en BackUp av kontot '") + chosen_.name +
                           QStringLiteral("', som är kontonamnet följt av datum och klockslag "
                                          "(tolv siffror).\r\n\r\n"
                                          "Vill du ändå återställa kontot från denna katalog ?")
                     : QStringLiteral(" har inte namnet på en BackUp av samtliga konton, som är "
                                      "'FynlarBU' följt av datum och klockslag (tolv siffror)."
                                      "\r\n\r\nVill du ändå återställa samtliga konton från denna "
                                      "katalog ?"));
    return platform::messages().show(text, Buttons::YesNo, Icon::None,
                                     QStringLiteral("Kontrollera BackUp-katalog")) != Answer::No;
}

// What the restore cannot bring back is named, and the user says whether the
// rest is to be restored.
bool BackUpForm::confirmLeftOut(const std::vector<backup::LeftOut>& leftOut) {
    QString list;
    for (const backup::LeftOut& l : leftOut)
        list += QStringLiteral("'") + l.name + QStringLiteral("': ") + l.why + kBr;
    return platform::messages().show(
               QStringLiteral("Vald BackUp-mapp har konton som inte kan återställas, eftersom "
                              "deras namn inte kan vara en katalog i datamappen:") +
                   kBr + kBr + list + kBr +
                   QStringLiteral("Vill du ändå återställa de övriga kontona från denna "
                                  "BackUp-mapp ?"),
               Buttons::YesNo, Icon::Warning,
               QStringLiteral("Konton som inte återställs")) != Answer::No;
}

bool BackUpForm::KontoRecover(const QString& source) {
    bool copied = false;
    bool closed = false;
    guarded(
        [&] {
            const backup::AccountBackup b =
                backup::readAccountBackup(source, chosen_.name, chosen_.slag);
            if (!b.refusal.isEmpty()) {
                refuse(b.refusal, true);
                return;
            }
            if (!b.named && !confirmName(source, true))
                return;
            // The main window leaves what it was doing by its own cancel, so
            // that every lock comes off; then every edit on disk and the
            // account's files closed: nothing old is written after the restore.
            head_.endWorkMode();
            ledger::account().closeAll();
            closed = true;
            checkpoint();
            backup::restoreAccount(b.tree, chosen_.name);
            copied = true;
        },
        [](const Failure& sys) {
            report(sys,
                   {QStringLiteral("Ett fel har uppstått i subrutinen KontoRecover"),
                    QStringLiteral("vid försök göra återställning inloggat konto.")},
                   kBr, 0,
                   {QStringLiteral("Fel i rutinen KontoRecover"),
                    QStringLiteral("vid försök göra återställning inloggat konto.")});
        });
    if (closed)
        head_.Konto_Konfig();
    return copied;
}

bool BackUpForm::AllRecover(const QString& source) {
    bool copied = false;
    bool closed = false;
    long count = 0;
    long reached = 0;
    QString name;
    guarded(
        [&] {
            const backup::AllBackup b = backup::readAllBackup(source);
            count = b.registerCount;
            if (!b.refusal.isEmpty()) {
                refuse(b.refusal, false);
                return;
            }
            if (!b.named && !confirmName(source, false))
                return;
            for (const backup::RegisterName& m : b.missing) {
                reached = m.record;
                name = m.name;
                if (platform::messages().show(
                        QStringLiteral("Vald BackUp-mapp saknar kontokatalogen ") + m.name +
                            QStringLiteral(" !") + kBr +
                            QStringLiteral("Anledning: Fel BackUp-mapp kan vara vald ?") + kBr +
                            kBr +
                            QStringLiteral(
                                "Vill du fortsätta återställning från denna BackUp-mapp ?"),
                        Buttons::YesNo, Icon::None,
                        QStringLiteral("Saknad kontokatalog i BackUp")) == Answer::No)
                    return;
            }
            if (!b.leftOut.empty() && !confirmLeftOut(b.leftOut))
                return;
            reached = count;
            head_.endWorkMode();
            ledger::account().closeAll();
            closed = true;
            checkpoint();
            backup::restoreAll(b.tree);
            copied = true;
        },
        [&](const Failure& sys) {
            const QStringList lines = {
                QStringLiteral("Antal kontoposter KontoFil = ") + QString::number(count),
                QStringLiteral("Loopat i kontofilen t o m = ") + QString::number(reached),
                QStringLiteral("Kontonamn = ") + name,
                QStringLiteral("BackUp-media = ") + BackupTarget};
            report(sys,
                   QStringList{QStringLiteral("Ett fel har uppstått i subrutinen AllRecover"
                                              " vid försök göra återställning alla konton.")} +
                       lines,
                   kBr, 1,
                   QStringList{QStringLiteral("Fel i rutinen AllRecover"),
                               QStringLiteral(" vid försök göra återställning alla konton.")} +
                       lines);
        });
    // The register may be another now: the start-up reading opens the account
    // that the restored settings name.
    if (closed)
        head_.Inläs_Kontofil();
    return copied;
}

// ---- Backup ---------------------------------------------------------------------------------

void BackUpForm::KontoBackUp() {
    bool copying = false;
    QString left;
    guarded(
        [&] {
            const QString name = chosen_.name + backup::stamp(platform::clock().now());
            BackupTarget = BackupDrive + name;
            // Every edit on disk before its files are read.
            checkpoint();
            copying = true;
            backup::makeBackup(accountFolder(chosen_.name), BackupDrive, name, &left);
            copying = false;
            Label2->setText(QString());
            Label2->hide();
            Text1->setPlainText(QStringLiteral("En säkerhetskopia av ") + chosen_.name +
                                QStringLiteral(", försedd med datum och klockslag,  har nu skapats"
                                               " på den angivna drive-enheten, (") +
                                BackupDrive + QStringLiteral(")"));
            startLayout();
        },
        [&](const Failure& sys) {
            QStringList lines = {QStringLiteral("Ett fel har uppstått i subrutinen KontoBackUp"),
                                 QStringLiteral("vid försök göra backup inloggat konto."),
                                 QStringLiteral("KontoNum = ") + QString::number(chosen_.num),
                                 QStringLiteral("BackUp-media = ") + BackupTarget};
            if (copying)
                lines << partialCopyLine(left);
            report(sys, lines, QStringLiteral("\n"), 1,
                   {QStringLiteral("Fel i rutinen KontoBackUp"),
                    QStringLiteral("vid försök göra backup på inloggat konto."),
                    QStringLiteral("Kontonum = ") + QString::number(chosen_.num),
                    QStringLiteral("BackUp-media = ") + BackupTarget});
        });
}

void BackUpForm::AllBackUp() {
    bool copying = false;
    QString left;
    guarded(
        [&] {
            const QString name = backup::kAllStem + backup::stamp(platform::clock().now());
            BackupTarget = BackupDrive + name;
            checkpoint();
            copying = true;
            backup::makeBackup(dataFolder(), BackupDrive, name, &left);
            copying = false;
            Label2->setText(QString());
            Label2->hide();
            // The folder's name without the drive.
            Text1->setPlainText(QStringLiteral("En säkerhetskopia av samtliga konton,") + kBr +
                                BackupTarget.mid(BackupDrive.size()) + kBr +
                                QStringLiteral("försedd med datum och klockslag,"
                                               "  har nu skapats på den angivna drive-enheten,"
                                               " (") +
                                BackupDrive + QStringLiteral(")"));
            startLayout();
        },
        [&](const Failure& sys) {
            QStringList lines = {QStringLiteral("Ett fel har uppstått i subrutinen AllBackUp"),
                                 QStringLiteral("vid försök göra backup på alla konton."),
                                 QStringLiteral("BackUp-media = ") + BackupTarget};
            if (copying)
                lines << partialCopyLine(left);
            report(sys, lines, kBr, 1,
                   {QStringLiteral("Fel i rutinen AllBackUp"),
                    QStringLiteral("vid försök göra backup på alla konton."),
                    QStringLiteral("BackUp-media = ") + BackupTarget});
        });
}

// ---- Presses ----------------------------------------------------------------------------------

// The lists and the options act on the press itself, as the user's mouse button
// goes down (any button), or on Enter or the space bar for the keyboard.
bool BackUpForm::eventFilter(QObject* watched, QEvent* e) {
    if (optionArrow(watched, e))
        return true;
    const QEvent::Type type = e->type();
    // A double click's second press comes as a double click, which starts
    // nothing (as on the original) and picks no entry behind the handler's back.
    if (type == QEvent::MouseButtonDblClick &&
        (watched == DrvList->viewport() || watched == Dir1->viewport() || watched == Option1 ||
         watched == Option2))
        return true;
    const bool press = type == QEvent::MouseButtonPress;
    bool key = false;
    if (type == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent*>(e)->key();
        key = k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space;
    }
    if (!press && !key)
        return QWidget::eventFilter(watched, e);
    for (QListWidget* list : {DrvList, Dir1}) {
        if (watched != list && watched != list->viewport())
            continue;
        if (press && watched != list->viewport())
            return false;
        if (key && watched != list)
            return false;
        QListWidgetItem* item =
            press ? list->itemAt(static_cast<QMouseEvent*>(e)->position().toPoint())
                  : list->currentItem();
        if (!item)
            return press; // beside the entries: nothing
        list->setCurrentItem(item);
        list == DrvList ? DrvList_MouseDown(item) : Dir1_MouseDown(item);
        return true;
    }
    if (watched == Option1 || watched == Option2) {
        watched == Option1 ? Option1_MouseDown() : Option2_MouseDown();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

// The arrows move between the options without choosing, as the choice asks
// a question.
bool BackUpForm::optionArrow(QObject* watched, QEvent* e) {
    if ((watched != Option1 && watched != Option2) || e->type() != QEvent::KeyPress)
        return false;
    switch (static_cast<QKeyEvent*>(e)->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        (watched == Option1 ? Option2 : Option1)->setFocus(Qt::TabFocusReason);
        return true;
    default:
        return false;
    }
}

void showBackUpForm(HeadForm& head) {
    if (backUpForm_ && &backUpForm_->head() == &head && backUpForm_->isVisible()) {
        backUpForm_->raise();
        backUpForm_->activateWindow();
        return;
    }
    if (backUpForm_)
        delete backUpForm_.data(); // another main window's, or one that is closing
    backUpForm_ = new BackUpForm(head);
    backUpForm_->Form_Load();
}

void installBackUpForm() {
    HeadForm::openBackUpForm = showBackUpForm;
    // "Nytt konto" with the name of a folder a restore left unlisted takes it
    // up again, checked as a restore checks an account.
    NyKontoForm::readLeftFolder = [](const QString& name, const QString& chosen) {
        const backup::LeftAccount left = backup::readLeftAccount(name, chosen);
        return NyKontoForm::LeftFolder{left.refusal, left.slag, left.postings};
    };
}

} // namespace fyn
