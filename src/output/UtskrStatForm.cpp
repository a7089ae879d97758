// The output dialog's frame: its controls, opening and closing, the account
// choice, the destinations and the cancel button's states.
#include "output/UtskrStatForm.h"

#include "core/AccountName.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/RecordFile.h"
#include "core/Records.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/DropDownCombo.h"
#include "mainwindow/HeadForm.h"
#include "output/HandlerTrap.h"
#include "platform/ClickLabel.h"
#include "platform/DrawingArea.h"
#include "platform/Platform.h"
#include "platform/SysError.h"
#include "platform/Ui.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTableWidget>

namespace fyn {

using platform::Buttons;
using platform::Icon;
using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

constexpr int kWidth = 14920;
constexpr int kShortHeight = 3525;
// The window manager draws the caption that the stated heights include.
constexpr int kCaption = 405;
// The listings' help topic: the help label and F1 open it.
constexpr int kHelpTopic = 70000;

const QString kClickForTrans = QStringLiteral("Klicka för transaktioner !");
const QString kListAccount = QStringLiteral("Skriv ut Kontofil till:");

QPointer<UtskrStatForm> form_;

QString num(long n) {
    return QString::number(n);
}

// Why an account name from the register cannot be read as a folder of the
// data folder; empty when it can.
QString accountRefusal(const QString& name) {
    if (const QString problem = accountNameProblem(name); !problem.isEmpty())
        return problem;
    if (QFileInfo(accountFolder(name)).isSymLink())
        return QStringLiteral("Kontots mapp i datamappen är en symbolisk länk, som kan leda till "
                              "filer utanför datamappen !");
    return {};
}

bool knownKind(const QString& slag, output::Kind& kind) {
    return ledger::kindOf(slag, kind);
}

} // namespace

UtskrStatForm::UtskrStatForm(HeadForm& head) : QWidget(nullptr, Qt::Dialog), head_(head) {
    setObjectName(QStringLiteral("UtskrStatForm"));
    setWindowTitle(QStringLiteral("Utskrift KontoData och Statistik"));
    setFont(uiFont(kArial, 9.75));
    buildControls();
    buildPeriod();
    buildScreen();
    buildStatistics();
    wire();
    setFormHeight(kShortHeight);
    // Not a Qt child of the main window (disabling it would disable this
    // window too), so it goes with it.
    connect(&head_, &QObject::destroyed, this, [this] { delete this; });
}

void UtskrStatForm::setFormHeight(int h) {
    formHeight_ = h;
    setFixedSize(twips(kWidth), twips(h - kCaption));
}

void UtskrStatForm::buildControls() {
    Label1 = makeControl<QLabel>(this, "Label1", QStringLiteral("Konto"));
    placeTwips(Label1, 240, 120, 3600, 255);
    Combo1 = makeControl<DropDownCombo>(this, "Combo1");
    placeTwips(Combo1, 240, 390, 3600, 330);
    Label1->setBuddy(Combo1);
    Combo1->setAccessibleName(QStringLiteral("Konto"));
    Text1 = makeControl<QLineEdit>(this, "Text1");
    placeTwips(Text1, 240, 780, 3600, 330);
    Text1->setReadOnly(true);
    Text1->setAccessibleName(QStringLiteral("Valt konto"));

    Check1 = makeControl<QCheckBox>(this, "Check1", QStringLiteral("Inkl. Subtransaktion"));
    placeTwips(Check1, 240, 1380, 3600, 285);
    Check2 = makeControl<QCheckBox>(this, "Check2", QStringLiteral("Inkl.Budgetbel. / -saldo"));
    placeTwips(Check2, 240, 1710, 3600, 285);
    Check3 = makeControl<QCheckBox>(this, "Check3", QStringLiteral("Inkl. Saldodifferens"));
    placeTwips(Check3, 240, 2040, 3600, 285);
    for (QCheckBox* c : {Check1, Check2, Check3})
        c->setEnabled(false);

    Label13 = makeControl<QLabel>(this, "Label13", kListAccount);
    placeTwips(Label13, 5385, 1380, 3600, 255);
    Option1 = makeControl<QRadioButton>(this, "Option1", QStringLiteral("Skärm"));
    placeTwips(Option1, 5385, 1710, 1200, 285);
    Option2 = makeControl<QRadioButton>(this, "Option2", QStringLiteral("Textfil"));
    placeTwips(Option2, 6700, 1710, 1200, 285);
    Option3 = makeControl<QRadioButton>(this, "Option3", QStringLiteral("Printer"));
    placeTwips(Option3, 8015, 1710, 1200, 285);
    optionGroup({Option1, Option2, Option3});

    Command1 = makeControl<QPushButton>(this, "Command1", QStringLiteral("Utskrift"));
    placeTwips(Command1, 5385, 2160, 1400, 420);
    Command1->setEnabled(false);
    Command2 = makeControl<QPushButton>(this, "Command2", QStringLiteral("Avbryt Konto"));
    placeTwips(Command2, 6900, 2160, 2500, 420);
    Command3 = makeControl<QPushButton>(this, "Command3", QStringLiteral("Avsluta"));
    placeTwips(Command3, 9520, 2160, 1400, 420);
    for (QPushButton* b : {Command1, Command2, Command3})
        b->setAutoDefault(false);

    Label2 = makeControl<QLabel>(this, "Label2", QStringLiteral("Statistik per transaktion:"));
    placeTwips(Label2, 9840, 120, 3600, 255);
    // The transaction list lies under the text box and opens downward.
    List4 = makeControl<QListWidget>(this, "List4");
    placeTwips(List4, 9840, 390, 3600, 315);
    List4->setAccessibleName(QStringLiteral("Transaktioner"));
    List4->setEnabled(false);
    Text2 = makeControl<QLineEdit>(this, "Text2", kClickForTrans);
    placeTwips(Text2, 9840, 390, 3600, 330);
    Text2->setReadOnly(true);
    Text2->setAccessibleName(Label2->text());
    Text2->installEventFilter(this);

    Label28 = makeControl<platform::ClickLabel>(this, "Label28", QStringLiteral("Hjälp"));
    placeTwips(Label28, 14040, 120, 700, 255);
    Label28->setForegroundRole(QPalette::Link);
    Label28->setCursor(Qt::PointingHandCursor);
}

void UtskrStatForm::wire() {
    Combo1->dropDown = [this] { Combo1_DropDown(); };
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    // Clicks come from the mouse and from the keyboard alike, so a check box
    // cannot change without its rules running.
    connect(Check1, &QCheckBox::clicked, this, &UtskrStatForm::Check1_MouseUp);
    connect(Check2, &QCheckBox::clicked, this, &UtskrStatForm::Check2_MouseUp);
    connect(Check3, &QCheckBox::clicked, this, &UtskrStatForm::Check3_MouseUp);
    connect(Option1, &QRadioButton::clicked, this, &UtskrStatForm::Option1_MouseUp);
    connect(Option2, &QRadioButton::clicked, this, &UtskrStatForm::Option2_MouseUp);
    connect(Option3, &QRadioButton::clicked, this, &UtskrStatForm::Option3_MouseUp);
    connect(Command1, &QPushButton::clicked, this, &UtskrStatForm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &UtskrStatForm::Command2_MouseUp);
    connect(Command3, &QPushButton::clicked, this, &UtskrStatForm::Command3_Click);
    connect(List4, &QListWidget::itemClicked, this, &UtskrStatForm::List4_MouseUp);
    connect(List4, &QListWidget::itemActivated, this, &UtskrStatForm::List4_MouseUp);
    connect(Label28, &platform::ClickLabel::clicked, this, &UtskrStatForm::Label28_MouseUp);
    connect(Command4, &QPushButton::clicked, this, &UtskrStatForm::Command4_MouseUp);
    connect(Command5, &QPushButton::clicked, this, &UtskrStatForm::Command5_MouseUp);
    connect(Command6, &QPushButton::clicked, this, &UtskrStatForm::Command6_MouseUp);
    connect(Command7, &QPushButton::clicked, this, &UtskrStatForm::Command7_MouseUp);

    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, [this] {
        if (List1->isVisible() || List2->isVisible() || List3->isVisible())
            hideLists();
        else if (!Picture1->isHidden())
            Command10_Click();
        // An output or a statistics run under way is cancelled; with nothing
        // under way the dialog closes, as every other window does on Esc.
        else if (!CancelState.isEmpty() && CancelState != QLatin1String("kto"))
            Command2_MouseUp();
        else
            Command3_Click();
    });
    // F1 opens what the help label opens.
    platform::setHelpTopic(*this, kHelpTopic);
}

bool UtskrStatForm::eventFilter(QObject* watched, QEvent* e) {
    const bool release = e->type() == QEvent::MouseButtonRelease &&
                         static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton;
    const bool key =
        e->type() == QEvent::KeyPress &&
        (platform::isEnterPress(e) || static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space);
    if (watched == Text2 && (release || key) && Text2->isEnabled()) {
        Text2_MouseUp();
        return key;
    }
    // The date labels answer the keyboard as a click.
    if (key)
        for (platform::ClickLabel* l : {Label7, Label8, Label9, Label10, Label11, Label12})
            if (watched == l) {
                emit l->clicked();
                return true;
            }
    return QWidget::eventFilter(watched, e);
}

void UtskrStatForm::mouseReleaseEvent(QMouseEvent* e) {
    Form_MouseUp();
    QWidget::mouseReleaseEvent(e);
}

// ---- Opening and closing -------------------------------------------------------

void UtskrStatForm::Form_Load() {
    closing_ = false;
    setFormHeight(kShortHeight);
    showBeside(*this, head_, WindowPos::UtskrStatForm);

    OutKontoSlag = Module1.KontoSlag;
    OutKontoNum = Module1.KontoNum;
    OutDataFolder = dataFolder();
    OutKontoNamn = Module1.KontoNamn;

    StatMode = 0;
    Text2->setText(kClickForTrans);
    Text2->show();
    enableStatisticsEntry(true);
    Command2->setText(QStringLiteral("Avbryt Konto"));
    Command2->setEnabled(true);
    CancelState = QStringLiteral("kto");
    enableDestinations(true);

    // Without a readable current account the dialog opens with none chosen.
    output::Kind kind;
    const bool usable = OutKontoNum > 0 && knownKind(OutKontoSlag, kind) &&
                        accountRefusal(OutKontoNamn).isEmpty() &&
                        QFileInfo(accountFolder(OutKontoNamn)).isDir();
    if (!usable) {
        Inläs_Konton();
        Avbr_Konto();
        return;
    }
    // A posting file that cannot be read is no empty account: it is reported
    // and the dialog opens with none chosen.
    if (!InitDatum()) {
        Inläs_Konton();
        Avbr_Konto();
        return;
    }
    Inläs_Konton();
    const bool ok = output::trapHandler(
        [&] { Inläs_Transakt(); },
        [&] {
            return ErrorContext(
                QStringLiteral("Form_Load"),
                {QStringLiteral("i Utskriftsformulär vid hämtning av kontots transaktioner.")},
                {QStringLiteral("Kontonummer: ") + num(OutKontoNum),
                 QStringLiteral("Kontonamn: ") + OutKontoNamn,
                 QStringLiteral("Bokföringsval: ") + OutKontoSlag});
        },
        QStringLiteral("Fel i rutinen Form_Load (UtskriftsForm)"));
    if (!ok)
        Avbr_Konto();
}

void UtskrStatForm::closeDialog() {
    if (closing_)
        return;
    closing_ = true;
    Data.clear();
    closeBeside(*this, head_, WindowPos::UtskrStatForm);
    deleteLater();
}

void UtskrStatForm::Command3_Click() {
    closeDialog();
}

void UtskrStatForm::closeEvent(QCloseEvent* e) {
    // The close box ends the dialog as "Avsluta" does, the place stored too.
    e->ignore();
    closeDialog();
}

void UtskrStatForm::Label28_MouseUp() {
    platform::help().showContext(kHelpTopic);
}

// ---- The account choice ----------------------------------------------------------

void UtskrStatForm::Inläs_Konton() {
    long count = 0, n = 0;
    QString field;
    output::trapHandler(
        [&] {
            Combo1->clear();
            const RecordFile kontoFil = openExistingRecordFile<KontoFilPost>(kontoFilPath());
            count = kontoFil.count();
            for (n = 1; n <= count; ++n) {
                field = kontoFil.get<KontoFilPost>(n).KontoNamn;
                const QString name = accountNameOf(field);
                if (!name.isEmpty())
                    Combo1->addItem(name, int(n));
            }
            const int row = Combo1->findData(OutKontoNum);
            if (row >= 0) {
                OutKontoNamn = trimBlanks(Combo1->itemText(row));
                Text1->setText(OutKontoNamn);
            }
            Combo1->setCurrentIndex(-1);
            clearChecks();
            Check1->setEnabled(true);
            Check2->setEnabled(OutKontoSlag == QLatin1String("Bg"));
        },
        [&] {
            ErrorContext c(QStringLiteral("Inläs_Konton"), {},
                           {QStringLiteral("Antal record i Kontofilen: ") + num(count),
                            QStringLiteral("Senaste sökrecord i filen: ") + num(n),
                            QStringLiteral("Erhållet kontonamn: ") + field,
                            QStringLiteral("Aktuellt Bokföringsval: ") + OutKontoSlag});
            c.messageSuffix = QStringLiteral(" (UtskriftsForm).");
            return c;
        },
        QStringLiteral("Fel i rutinen Inläs_Konton (UtskriftsForm)"));
}

void UtskrStatForm::Inläs_Transakt() {
    Data.loadNames(accountFolder(OutKontoNamn));
}

void UtskrStatForm::Combo1_DropDown() {
    Avbr_Konto();
    hideTable();
}

void UtskrStatForm::Combo1_Click() {
    if (Combo1->currentIndex() < 0)
        return;
    QString refusal;
    bool unread = false;
    const bool ok = output::trapHandler(
        [&] {
            OutKontoNum = Combo1->currentData().toInt();
            OutKontoNamn = trimBlanks(Combo1->currentText());
            Text1->setText(OutKontoNamn);
            const KontoFilPost rec =
                openExistingRecordFile<KontoFilPost>(kontoFilPath()).get<KontoFilPost>(OutKontoNum);
            // The account's folder lies in the data folder, whatever the
            // register's folder field says.
            OutDataFolder = dataFolder();
            OutKontoSlag = trimBlanks(rec.KontoSlag);
            Data.clear();
            StatMode = 0;
            StatTransNr = 0;
            StatTransNamn.clear();
            Text2->show();
            Text2->setText(kClickForTrans);
            enableStatisticsEntry(true);
            refusal = accountRefusal(OutKontoNamn);
            if (!refusal.isEmpty())
                return;
            if (!QFileInfo(accountFolder(OutKontoNamn)).isDir())
                raiseError(platform::kPathNotFound);
            // InitDatum reports a posting file it cannot read itself.
            unread = !InitDatum();
            if (unread)
                return;
            Inläs_Transakt();
            Label1->setEnabled(true);
            // Nothing of the account before stays chosen or on the screen.
            clearDestination();
            Command1->setEnabled(false);
            hideTable();
            clearChecks();
            Check1->setEnabled(true);
            Check2->setEnabled(OutKontoSlag == QLatin1String("Bg"));
            Check3->setEnabled(false);
            enableDestinations(true);
            Command2->setEnabled(true);
            Command2->setText(QStringLiteral("Avbryt Konto"));
            CancelState = QStringLiteral("kto");
        },
        [&] {
            ErrorContext c(QStringLiteral("Combo1_Click"), {},
                           {QStringLiteral(" vid försök välja konto"),
                            QStringLiteral("Erhållet kontonummer: ") + num(OutKontoNum),
                            QStringLiteral("Erhållet kontonamn: ") + OutKontoNamn,
                            QStringLiteral("Framtagen sökväg: ") + OutDataFolder,
                            QStringLiteral("Erhållet Bokföringsval: ") + OutKontoSlag,
                            QStringLiteral("Växelläge CH5: ") + num(StatMode),
                            QStringLiteral("Växelläge Command2: ") + CancelState});
            c.messageSuffix = QStringLiteral(" i UtskriftsForm vid försök att välja konto");
            return c;
        },
        QStringLiteral("Fel i rutinen Combo1_Click i UtskriftsForm"));
    if (ok && refusal.isEmpty() && !unread)
        return;
    if (!refusal.isEmpty())
        platform::messages().show(
            QStringLiteral("Kontot [%1] på plats %2 i kontoregistret (KontoFil) kan inte "
                           "öppnas !\n\n%3")
                .arg(OutKontoNamn, num(OutKontoNum), refusal),
            Buttons::Ok, Icon::Warning, QStringLiteral("Ogiltigt kontonamn"));
    // Nothing is listed from an account that could not be read.
    Avbr_Konto();
}

// ---- Check boxes and destinations -----------------------------------------------

QString UtskrStatForm::checkValue(QCheckBox* c) const {
    return c->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

output::Variant UtskrStatForm::chosenVariant() const {
    output::Kind kind;
    if (!knownKind(OutKontoSlag, kind))
        return output::Variant::None;
    return output::chooseVariant(Check1->isChecked(), Check2->isChecked(), Check3->isChecked(),
                                 kind);
}

void UtskrStatForm::clearChecks() {
    for (QCheckBox* c : {Check1, Check2, Check3})
        c->setChecked(false);
}

void UtskrStatForm::clearDestination() {
    for (QRadioButton* o : {Option1, Option2, Option3})
        uncheck(o);
}

void UtskrStatForm::enableDestinations(bool on) {
    Option1->setEnabled(on);
    Option2->setEnabled(on);
    Option3->setEnabled(on);
}

void UtskrStatForm::enableStatisticsEntry(bool on) {
    Text2->setEnabled(on);
    Label2->setEnabled(on);
}

void UtskrStatForm::hideTable() {
    Frame1->hide();
    Label26->hide();
    Label27->hide();
    Label26->clear();
    Label27->clear();
    setFormHeight(kShortHeight);
}

void UtskrStatForm::checkReleased() {
    clearDestination();
    // "Utskrift" waits for a destination again.
    Command1->setEnabled(false);
    hideTable();
}

void UtskrStatForm::Check1_MouseUp() {
    checkReleased();
}

void UtskrStatForm::Check2_MouseUp() {
    if (Check2->isChecked()) {
        Check3->setEnabled(true);
    } else {
        Check3->setChecked(false);
        Check3->setEnabled(false);
    }
    checkReleased();
}

void UtskrStatForm::Check3_MouseUp() {
    checkReleased();
}

void UtskrStatForm::Option1_MouseUp() {
    if (StatMode == 0) {
        Command2->setText(QStringLiteral("Avbryt Skärmutskr."));
        CancelState = QStringLiteral("sku");
    }
    // A screen listing closes the way into statistics until it is cancelled.
    if (StatTransNamn.isEmpty()) {
        StatMode = 0;
        Text2->show();
        Text2->setText(kClickForTrans);
        enableStatisticsEntry(false);
    }
    Command1->setEnabled(true);
    Command1->setFocus();
}

void UtskrStatForm::Option2_MouseUp() {
    if (StatMode == 0) {
        Command2->setText(QStringLiteral("Avbryt Filutskr."));
        CancelState = QStringLiteral("fusk");
    }
    Command1->setEnabled(true);
    Command1->setFocus();
}

void UtskrStatForm::Option3_MouseUp() {
    if (StatMode == 0) {
        Command2->setText(QStringLiteral("Avbryt Printerutskr."));
        CancelState = QStringLiteral("prusk");
    }
    Command1->setEnabled(true);
    Command1->setFocus();
}

// ---- Statistics mode -------------------------------------------------------------

void UtskrStatForm::Text2_MouseUp() {
    long count = 0, n = 0;
    QString name;
    output::trapHandler(
        [&] {
            Text2->hide();
            StatMode = 1;
            enableDestinations(false);
            // A destination chosen before waits for the transaction.
            Command1->setEnabled(false);
            Label1->setEnabled(false);
            Combo1->setEnabled(false);
            Text1->setEnabled(false);
            clearChecks();
            for (QCheckBox* c : {Check1, Check2, Check3})
                c->setEnabled(false);
            List4->clear();
            const auto names = Data.mainNames();
            count = long(names.size());
            for (const auto& [text, record] : names) {
                n = record;
                name = text;
                auto* item = new QListWidgetItem(text, List4);
                item->setData(Qt::UserRole, record);
            }
            List4->setEnabled(true);
            List4->setFixedHeight(twips(1575));
            List4->raise();
            List4->setFocus();
            Command2->setText(QStringLiteral("Avbryt Statistik"));
            CancelState = QStringLiteral("stk");
        },
        [&] {
            ErrorContext c(
                QStringLiteral("Text2_MouseUp"), {},
                {QStringLiteral(" vid försök visa transaktlistan i StatistikFormuläret."),
                 QStringLiteral("Transakt antal filposter: ") + num(count),
                 QStringLiteral("Senast hämtade filpost: ") + num(n),
                 QStringLiteral("Senast post i List4: ") + name,
                 QStringLiteral("Inställd list höjd List4: ") + num(List4->height() * 15),
                 QStringLiteral("Växel Command2: ") + CancelState});
            c.messageSuffix = QStringLiteral(" ('Klicka för transaktion') vid försök att visa "
                                             "transaktionslistan i StatistikFormuläret");
            return c;
        },
        QStringLiteral("Fel i rutinen i subrutinen Text2_MouseUp ('Klicka för transaktion')"));
}

void UtskrStatForm::List4_MouseUp() {
    if (List4->currentRow() < 0 || StatMode != 1)
        return;
    output::trapHandler(
        [&] {
            QListWidgetItem* item = List4->currentItem();
            StatTransNr = item->data(Qt::UserRole).toInt();
            StatTransNamn = item->text();
            Text2->setText(StatTransNamn);
            Text2->show();
            Text2->raise(); // over the list, which closes under it
            Text2->setEnabled(false);
            Label2->setEnabled(false);
            // The sign stays the dialog's own; the main window's is not touched.
            StatTransTecken = Data.mainSign(StatTransNr);
            List4->setFixedHeight(twips(315));
            enableDestinations(true);
            Label13->setText(QStringLiteral("Skriv ut statistik till:"));
        },
        [&] {
            ErrorContext c(QStringLiteral("List4_Click"), {},
                           {QStringLiteral("Erhållet referensnummer: ") + num(StatTransNr),
                            QStringLiteral("Erhållet transaktionsnamn: ") + StatTransNamn,
                            QStringLiteral("Erhållet tecken från fil: ") + StatTransTecken,
                            QStringLiteral("Text i Label13: ") + Label13->text()});
            c.messageSuffix = QStringLiteral(
                " Utskriftsformulär vid försök att välja transaktion för statistik.");
            return c;
        },
        QStringLiteral("Fel i rutinen List4_Click vid försök välja transaktion för statistik."));
}

// ---- "Utskrift" and the cancel button -------------------------------------------

void UtskrStatForm::Command1_Click() {
    Command1->setEnabled(false);
    if (StatMode != 1) {
        if (Option1->isChecked()) {
            setFormHeight(8280);
            OutputLevel.clear();
            ScreenPrint();
        } else if (Option2->isChecked()) {
            FilePrint();
        } else if (Option3->isChecked()) {
            PrPrint();
            Avbr_PrUtskr();
        }
        return;
    }
    Text2->setEnabled(false);
    Label2->setEnabled(false);
    Trans_Stat();
}

void UtskrStatForm::Command2_MouseUp() {
    if (CancelState == QLatin1String("kto"))
        Avbr_Konto();
    else if (CancelState == QLatin1String("stk"))
        Avbr_Statistik();
    else if (CancelState == QLatin1String("sku"))
        Avbryt_Skarmutskr();
    else if (CancelState == QLatin1String("fusk"))
        Avbr_FilUtskr();
    else if (CancelState == QLatin1String("prusk"))
        Avbr_PrUtskr();
}

void UtskrStatForm::Avbr_Konto() {
    Data.clear();
    RecCount = 0;
    StartRec = 1;
    TopRec = 1;
    StopRec = 0;
    Combo1->setCurrentIndex(-1);
    OutKontoNamn.clear();
    Text1->clear();
    clearChecks();
    for (QCheckBox* c : {Check1, Check2, Check3})
        c->setEnabled(false);
    clearDestination();
    enableDestinations(false);
    Command1->setEnabled(false);
    for (QLabel* l :
         std::initializer_list<QLabel*>{Label7, Label8, Label9, Label10, Label11, Label12, Label14})
        l->clear();
    hideLists();
    Label1->setEnabled(false);
    Combo1->setEnabled(true);
    Text1->setEnabled(true);
    List4->setFixedHeight(twips(315));
    List4->setCurrentRow(-1);
    List4->setEnabled(false);
    StatMode = 0;
    StatTransNr = 0;
    StatTransNamn.clear();
    Text2->setText(kClickForTrans);
    Text2->show();
    Text2->setEnabled(false);
    Label2->setEnabled(false);
    Label13->setText(kListAccount);
    CancelState.clear();
    Command2->setText(QStringLiteral("Avbryt"));
    Command2->setEnabled(false);
}

void UtskrStatForm::Avbr_Statistik() {
    closeDiagram();
    Command8->hide();
    Label1->setEnabled(true);
    Combo1->setEnabled(true);
    Text1->setEnabled(true);
    Check1->setEnabled(true);
    Check2->setEnabled(OutKontoSlag == QLatin1String("Bg"));
    StatCount = 0;
    Stat = {};
    StatSummary.clear();
    StatMode = 0;
    StatOnScreen = false;
    Text2->setText(kClickForTrans);
    Text2->show();
    enableStatisticsEntry(true);
    Label13->setText(kListAccount);
    List4->setFixedHeight(twips(315));
    List4->setCurrentRow(-1);
    List4->setEnabled(false);
    List4->clear();
    // Whatever the destination, no statistics table stays on the screen.
    if (!Frame1->isHidden() || formHeight_ != kShortHeight) {
        Grid1->clearContents();
        hideTable();
    }
    clearDestination();
    enableDestinations(true);
    Command1->setEnabled(false);
    StatTransNamn.clear();
    StatTransNr = 0;
    Command2->setText(QStringLiteral("Avbryt Konto"));
    CancelState = QStringLiteral("kto");
    Command2->setFocus();
}

void UtskrStatForm::Avbryt_Skarmutskr() {
    uncheck(Option1);
    Command1->setEnabled(false);
    hideTable();
    clearChecks();
    Check3->setEnabled(false);
    StatMode = 0;
    Text2->show();
    Text2->setText(kClickForTrans);
    enableStatisticsEntry(true);
    Command2->setText(QStringLiteral("Avbryt Konto"));
    CancelState = QStringLiteral("kto");
    Command2->setFocus();
}

void UtskrStatForm::Avbr_FilUtskr() {
    uncheck(Option2);
    Command1->setEnabled(false);
    clearChecks();
    Check3->setEnabled(false);
    Command2->setText(QStringLiteral("Avbryt Konto"));
    CancelState = QStringLiteral("kto");
    Command2->setFocus();
}

void UtskrStatForm::Avbr_PrUtskr() {
    uncheck(Option3);
    Command1->setEnabled(false);
    clearChecks();
    Check3->setEnabled(false);
    Command2->setText(QStringLiteral("Avbryt Konto"));
    CancelState = QStringLiteral("kto");
    Command2->setFocus();
}

// ---- The one dialog ----------------------------------------------------------------

UtskrStatForm* utskrStatForm() {
    return form_.data();
}

void showUtskrStatForm(HeadForm& head) {
    if (form_ && (&form_->head() != &head || !form_->isVisible()))
        delete form_.data(); // another main window's, or one that is closing
    if (!form_)
        form_ = new UtskrStatForm(head);
    form_->Form_Load();
}

void installOutputDialog() {
    HeadForm::openUtskrStatForm = showUtskrStatForm;
}

} // namespace fyn
