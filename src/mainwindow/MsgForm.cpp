#include "mainwindow/MsgForm.h"

#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/HeadForm.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

namespace fyn {

using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

constexpr int kNameBytes = 35; // KontoNamn of the register

QRect globalRect(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

// Where the window first opens: clear of the heading it tells the user to
// click and of the entry row the balance is typed in. Beside the main window
// where the screen has room, else above or below it, else below the entry
// row; on a screen too small for any, where it covers least of them.
QPoint clearPlace(const QWidget& window, const HeadForm& head) {
    QRect entry = globalRect(head.H_TransOptionEnk);
    for (const QWidget* w : std::initializer_list<const QWidget*>{
             head.S_TransOptionEnk, head.TransCombo_Enkel, head.TransLabel_Enkel,
             head.TransText_Enkel, head.Bel_Enkel})
        entry |= globalRect(w);
    const QRect heading = globalRect(head.Label12);
    const QRect main = head.frameGeometry();
    const QSize size = window.frameGeometry().size();
    constexpr int gap = 8;
    const QPoint candidates[] = {
        {main.right() + 1 + gap, main.top()},
        {main.left() - gap - size.width(), main.top()},
        {main.left(), main.top() - gap - size.height()},
        {main.left(), main.bottom() + 1 + gap},
        {main.left() + gap, entry.bottom() + 1 + gap},
        {main.right() - size.width(), main.top()},
        {main.left(), main.top()},
    };
    const QScreen* screen = head.screen() ? head.screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect();
    QPoint best = candidates[0];
    qint64 bestCover = -1;
    for (QPoint p : candidates) {
        if (avail.isValid()) {
            p.setX(
                qBound(avail.left(), p.x(), qMax(avail.left(), avail.right() - size.width() + 1)));
            p.setY(
                qBound(avail.top(), p.y(), qMax(avail.top(), avail.bottom() - size.height() + 1)));
        }
        const QRect at(p, size);
        // The heading weighs most: it is what the text tells the user to click.
        const QRect onHeading = at & heading;
        const QRect onEntry = at & entry;
        const qint64 cover = 4 * qint64(onHeading.width()) * onHeading.height() +
                             qint64(onEntry.width()) * onEntry.height();
        if (bestCover < 0 || cover < bestCover) {
            best = p;
            bestCover = cover;
        }
        if (cover == 0)
            break;
    }
    return best;
}

} // namespace

MsgForm::MsgForm(HeadForm& head) : QWidget(nullptr, Qt::Dialog), head_(head) {
    setObjectName(QStringLiteral("MsgForm"));
    setFixedSize(twips(6600), twips(3960));
    setFont(uiFont(kArial, 9.75));
    // Shown on hovering: the main window keeps the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating);

    Text1 = makeControl<QPlainTextEdit>(this, "Text1");
    placeTwips(Text1, 120, 120, 6360, 2880);
    Text1->setReadOnly(true);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setAccessibleName(QStringLiteral("Information om fondkonto"));

    Check1 = makeControl<QCheckBox>(this, "Check1", QStringLiteral("Visa inte igen"));
    placeTwips(Check1, 120, 3240, 2640, 330);

    Command3 = makeControl<QPushButton>(this, "Command3", QStringLiteral("Avbryt"));
    placeTwips(Command3, 4800, 3180, 1680, 480);
    Command3->hide(); // shown with the text it confirms
    // Two spare buttons of the window's design, never shown.
    Command1 = makeControl<QPushButton>(this, "Command1");
    Command2 = makeControl<QPushButton>(this, "Command2");
    Command1->hide();
    Command2->hide();

    connect(Command3, &QPushButton::clicked, this, &MsgForm::Command3_Click);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &MsgForm::Command3_Click);
    // Not a Qt child of the main window, so it goes with it.
    connect(&head_, &QObject::destroyed, this, [this] { delete this; });
}

void MsgForm::offerFor(int kontoNum, const QString& kontoNamn) {
    kontoNum_ = kontoNum;
    kontoNamn_ = kontoNamn;
}

void MsgForm::Form_Load() {
    load();
    show();
    raise();
}

void MsgForm::load() {
    if (loaded_)
        return;
    loaded_ = true;
    // Kept above the main window; made first, so that the place below is the
    // frame's.
    if (QWindow* owner = head_.windowHandle()) {
        winId();
        windowHandle()->setTransientParent(owner);
    }
    // With no stored place, the clear one is stored as the window's place.
    move(clearPlace(*this, head_));
    positionQuietly([this] { restoreWindowPosition(*this, WindowPos::MsgForm); });
}

void MsgForm::Command3_Click() {
    if (loaded_)
        positionQuietly([this] { storeWindowPosition(*this, WindowPos::MsgForm); });
    Text1->clear();
    Command3->setText(QStringLiteral("Avbryt"));
    hide();
    if (!Check1->isChecked())
        return;
    // Applied once, to the account it was shown for: a later OK or a click on
    // the heading must not mark another account.
    Check1->setChecked(false);
    markAccount();
}

void MsgForm::markAccount() {
    if (kontoNum_ < 1 || kontoNamn_.isEmpty())
        return;
    if (kontoNum_ == Module1.KontoNum)
        Module1.FondInfoFlag = QStringLiteral("0");
    bool tooLong = false;
    trap(
        [&] {
            const RecordFile kontoFil = openRecordFile<KontoFilPost>(kontoFilPath());
            KontoFilPost rec = kontoFil.get<KontoFilPost>(kontoNum_);
            // The register must still name this account at its number.
            if (accountNameOf(rec.KontoNamn) != kontoNamn_ ||
                trimBlanks(rec.KontoNamn).endsWith(kFondInfoMark))
                return;
            // A full-length name has no room for the mark; cutting the name would
            // lose the account's folder.
            if (toCp1252(kontoNamn_).size() + 1 > kNameBytes) {
                tooLong = true;
                return;
            }
            rec.KontoNamn = kontoNamn_ + kFondInfoMark;
            kontoFil.put(kontoNum_, rec);
        },
        [&] {
            return ErrorContext(QStringLiteral("Command3_Click"),
                                {QStringLiteral("i informationsfönstret för fondkonto,"),
                                 QStringLiteral("vid markering av kontot i kontoregistret.")},
                                {QStringLiteral("vid markering 'Visa inte igen' i KontoFil"),
                                 QStringLiteral("KontoNum = ") + QString::number(kontoNum_),
                                 QStringLiteral("KontoNamn = ") + kontoNamn_});
        });
    if (tooLong)
        platform::messages().show(
            QStringLiteral("Kontonamnet '") + kontoNamn_ +
                QStringLiteral("' är så långt att markeringen 'Visa inte igen'\n"
                               "inte får plats i kontoregistret.\n\n"
                               "Informationen visas inte mer så länge programmet är igång,\n"
                               "men kommer tillbaka nästa gång det startas."),
            platform::Buttons::Ok, platform::Icon::Information, QStringLiteral("Visa inte igen"));
}

void MsgForm::closeEvent(QCloseEvent* e) {
    // The close box is the window's OK; the instance is kept.
    e->ignore();
    Command3_Click();
}

} // namespace fyn
