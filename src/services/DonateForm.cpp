#include "services/DonateForm.h"

#include "core/PosFil.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/HeadForm.h"
#include "platform/Platform.h"
#include "platform/Ui.h"
#include "platform/WebPane.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>

namespace fyn {

using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

const QColor kBackground(0xC0, 0xC0, 0xFF); // &H00FFC0C0

// Where a donation goes: an account number and its bank.
const QString kAccountLine = QStringLiteral("8327-9 934 615 482-7 (Fynbanken)");

QPointer<DonateForm> donateForm_;

} // namespace

QString donationText() {
    return QStringLiteral("\n\n"
                          "Detta är ett s k FreeWare-program, vilket innebär"
                          " att det är fritt för dig att använda under obegränsad tid.\n\n"
                          "Är du nöjd med programmet och vill visa din uppskattning får"
                          " du gärna överraska mig med en donation på valfritt belopp !\n\n"
                          "Det enklaste sättet att utföra en sådan är via din internetbank !\n"
                          "Då kan du föra över ett valfritt belopp till konto nr:\n") +
           kAccountLine +
           QStringLiteral("\n\n"
                          "           Med vänlig hälsning\n\n"
                          "                /Moxel");
}

DonateForm::DonateForm(HeadForm& head) : QWidget(nullptr, Qt::Dialog), head_(head) {
    setObjectName(QStringLiteral("DonateForm"));
    setWindowTitle(QStringLiteral("Donation"));
    setFixedSize(twips(9120), twips(5115));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, kBackground);
    setPalette(p);

    Label1 = makeControl<QLabel>(this, "Label1");
    placeTwips(Label1, 360, 0, 8295, 4095);
    Label1->setFont(uiFont(kArial, 9.75));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);

    WebBrowser1 = platform::makeWebPane(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setAccessibleName(QStringLiteral("Donationssida"));
    placeTwips(WebBrowser1, 120, 4560, 495, 375);
    connect(WebBrowser1, &platform::WebPane::documentComplete, this,
            &DonateForm::WebBrowser1_DocumentComplete);

    Command2 = makeControl<QPushButton>(this, "Command2", QStringLiteral("Avbryt"));
    placeTwips(Command2, 3840, 4560, 1215, 375);
    Command2->setFont(uiFont(kArial, 9.75));
    connect(Command2, &QPushButton::clicked, this, &DonateForm::Command2_Click);

    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &DonateForm::Command2_Click);
    // Not a Qt child of the main window (disabling it would disable this
    // window too), so it goes with it.
    connect(&head_, &QObject::destroyed, this, [this] { delete this; });
}

void DonateForm::Form_Load() {
    // A place that cannot be read or stored leaves the window where it opens.
    showBeside(*this, head_, WindowPos::DonateForm);
    WebBrowser1->navigate(platform::authorServer().webBase + QStringLiteral("FynDon_5.php"));
    Label1->setText(donationText());
}

// The page is shown only until it has loaded; the blank page completes too.
void DonateForm::WebBrowser1_DocumentComplete(const QString& url) {
    if (url != QLatin1String("about:blank"))
        WebBrowser1->navigate(QStringLiteral("about:blank"));
}

void DonateForm::Command2_Click() {
    if (closing_)
        return;
    closing_ = true;
    closeBeside(*this, head_, WindowPos::DonateForm);
    deleteLater();
}

void DonateForm::closeEvent(QCloseEvent* e) {
    // The close box is "Avbryt": the main window must not stay disabled.
    e->ignore();
    Command2_Click();
}

void showDonateForm(HeadForm& head) {
    if (donateForm_ && (&donateForm_->head() != &head || !donateForm_->isVisible()))
        delete donateForm_.data(); // another main window's, or one that is closing
    if (!donateForm_)
        donateForm_ = new DonateForm(head);
    donateForm_->Form_Load();
}

void installDonateForm() {
    HeadForm::openDonateForm = showDonateForm;
}

} // namespace fyn
