// The account dialog: checks a new account's name, number and kind, shows a
// summary and creates, registers and opens the account.
#include "mainwindow/NyKontoForm.h"

#include "core/AccountName.h"
#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/Register.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/HeadForm.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QWindow>

namespace fyn {

std::function<NyKontoForm::LeftFolder(const QString&, const QString&)> NyKontoForm::readLeftFolder;

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

const QColor kDarkBlue(0, 0, 128);

constexpr int kNumberBytes = 30; // KontoNummer of the register

const QString kOpeningText =
    QStringLiteral("Skriv in uppgifter om Kontonamn, Kontonummer, samt vilken kontotyp"
                   " (Budget eller Enkel) som du avser.\n\n"
                   "När du är klar klickar du på OK !");

// Empty when the trimmed number fits the register, else why not.
QString numberProblem(const QString& number) {
    if (!fitsCp1252(number))
        return QStringLiteral("Kontonumret innehåller tecken som programmet inte kan spara "
                              "(endast västeuropeiska bokstäver och tecken går att använda) !");
    if (toCp1252(number).size() > kNumberBytes)
        return QStringLiteral("Kontonumret är för långt: högst %1 tecken får plats !")
            .arg(kNumberBytes);
    return {};
}

// An account the register still lists has its folder reserved even when the
// folder itself is gone: a second record for it would share the folder.
bool registered(const QString& name) {
    try {
        const RecordFile kontoFil = openRecordFile<KontoFilPost>(kontoFilPath());
        for (const RegisterItem& item : registerItems(kontoFil))
            if (trimBlanks(item.text) == name)
                return true;
    } catch (const RuntimeError&) {
        // An unreadable register fails the creation itself, which reports it.
    }
    return false;
}

// The names a new account is told apart from: the register's and the folders
// the data folder already holds.
QStringList existingNames() {
    QStringList names;
    try {
        // Read only: before the first account there is no register to make.
        if (QFileInfo::exists(kontoFilPath())) {
            const RecordFile kontoFil = openExistingRecordFile<KontoFilPost>(kontoFilPath());
            for (const RegisterItem& item : registerItems(kontoFil))
                names << accountNameOf(kontoFil.get<KontoFilPost>(item.number).KontoNamn);
        }
    } catch (const RuntimeError&) {
        // An unreadable register fails the creation itself, which reports it.
    }
    return names +
           QDir(dataFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
}

constexpr int kAccountsHelp = 40000;

} // namespace

NyKontoForm::NyKontoForm(HeadForm& head) : QWidget(nullptr, Qt::Dialog), head_(head) {
    setObjectName(QStringLiteral("NyKontoForm"));
    setWindowTitle(QStringLiteral("Nytt konto"));
    // F1: the help on accounts, as the main window's "Konton".
    platform::setHelpTopic(*this, kAccountsHelp);
    setFixedSize(twips(6720), twips(4980));
    setFont(uiFont(kArial, 9.75));

    Label1 = makeControl<QLabel>(this, "Label1", QStringLiteral("Nytt Kontonamn"));
    placeTwips(Label1, 360, 240, 3600, 285);
    Text1 = makeControl<QLineEdit>(this, "Text1");
    placeTwips(Text1, 360, 540, 3600, 375);
    Label1->setBuddy(Text1);
    Text1->setAccessibleName(Label1->text());

    Label2 = makeControl<QLabel>(this, "Label2", QStringLiteral("Nytt Kontonummer"));
    placeTwips(Label2, 360, 1080, 3600, 285);
    Text2 = makeControl<QLineEdit>(this, "Text2");
    placeTwips(Text2, 360, 1380, 3600, 375);
    Label2->setBuddy(Text2);
    Text2->setAccessibleName(Label2->text());

    Option1 = makeControl<QRadioButton>(this, "Option1", QStringLiteral("Budgetbokföring"));
    placeTwips(Option1, 4320, 540, 2160, 375);
    Option1->setToolTip(QStringLiteral("Nytt konto för Budgetbokföring"));
    Option2 = makeControl<QRadioButton>(this, "Option2", QStringLiteral("Enkel bokföring"));
    placeTwips(Option2, 4320, 1380, 2160, 375);
    Option2->setToolTip(QStringLiteral("Nytt konto för enkel bokföring"));
    optionGroup({Option1, Option2});

    Label4 = makeControl<QLabel>(this, "Label4");
    placeTwips(Label4, 360, 1980, 6000, 2100);
    Label4->setWordWrap(true);
    Label4->setTextFormat(Qt::PlainText);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command1 = makeControl<QPushButton>(this, "Command1", QStringLiteral("OK"));
    placeTwips(Command1, 360, 4260, 1800, 480);
    Command1->setToolTip(QStringLiteral("Spara nytt konto"));
    Command2 = makeControl<QPushButton>(this, "Command2", QStringLiteral("Avbryt Nytt konto"));
    placeTwips(Command2, 3960, 4260, 2400, 480);

    // Checked by mouse or keyboard alike, so the kind always matches what shows.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_MouseUp();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_MouseUp();
    });
    connect(Command1, &QPushButton::clicked, this, &NyKontoForm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &NyKontoForm::Command2_Click);
    // Esc cancels, as the close box does.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &NyKontoForm::Command2_Click);
    // Not a Qt child of the main window (disabling it would disable the dialog),
    // so it goes with it.
    connect(&head_, &QObject::destroyed, this, [this] { delete this; });
}

void NyKontoForm::showMessage(const QString& text, const QColor& colour) {
    QPalette p = Label4->palette();
    p.setColor(QPalette::WindowText, colour);
    Label4->setPalette(p);
    Label4->setText(text);
}

void NyKontoForm::showOpeningText() {
    showMessage(kOpeningText, kDarkBlue);
}

void NyKontoForm::Form_Load() {
    // Each opening starts empty, as a freshly loaded dialog would.
    Text1->clear();
    Text2->clear();
    uncheck(Option1);
    uncheck(Option2);
    Kind.clear();
    showBeside(*this, head_, WindowPos::NyKontoForm);
    showOpeningText();
    Text1->setFocus();
}

void NyKontoForm::Option1_MouseUp() {
    Kind = QStringLiteral("Bg");
    Option1->setChecked(true);
}

void NyKontoForm::Option2_MouseUp() {
    Kind = QStringLiteral("Ek");
    Option2->setChecked(true);
}

void NyKontoForm::Command1_Click() {
    const QString name = trimBlanks(Text1->text());
    if (name.isEmpty()) {
        showMessage(
            QStringLiteral("Du har inte skrivit in något kontonamn till ditt nya konto !\n\n"
                           "Återvänd till namnfältet och skriv in ett unikt kontonamn,"
                           " eller avbryt 'Skapa nytt konto' !"),
            kRed);
        return;
    }
    if (const QString problem = newAccountNameProblem(name, existingNames()); !problem.isEmpty()) {
        showMessage(problem, kRed);
        return;
    }
    const QString number = trimBlanks(Text2->text());
    if (number.isEmpty()) {
        showMessage(
            QStringLiteral("Du har inte skrivit in något kontonummer till ditt nya konto !\n\n"
                           "Kontonummer är inte obligatoriskt att använda i programmet,"
                           " men kan vara till god hjälp att definiera t ex ett"
                           " bankkonto e dyl !\n\n"
                           "Återvänd gärna till nummerfältet och skriv in ett kontonummer !"),
            kDarkBlue);
        return;
    }
    if (const QString problem = numberProblem(number); !problem.isEmpty()) {
        showMessage(problem, kRed);
        return;
    }
    if (Kind.isEmpty()) {
        showMessage(QStringLiteral(
                        "Du har inte gjort något val av kontotyp (Budget- eller Enkelt konto) !\n\n"
                        "Klicka på endera kontotyp, eller avbryt 'Nytt konto' !"),
                    kRed);
        return;
    }
    if (!registered(name) && offerLeftFolder(name, number))
        return;
    if (QFileInfo::exists(accountFolder(name)) || registered(name)) {
        platform::messages().show(QStringLiteral("Kontot, '") + name +
                                      QStringLiteral("', som du försöker skapa, existerar redan !"
                                                     "\n\nVälj annat kontonamn"
                                                     " eller avbryt 'Nytt konto' !"),
                                  Buttons::Ok, Icon::Warning,
                                  QStringLiteral("Redan befintligt konto"));
        return;
    }
    const QString summary =
        QStringLiteral("Sammanfattning av ditt nya konto:\n\nNytt kontonamn = ") + name +
        QStringLiteral("\n\nNytt kontonummer = ") + number +
        QStringLiteral("\n\nDu har valt kontotyp: ") +
        (Kind == QLatin1String("Bg") ? QStringLiteral("Budget") : QStringLiteral("Enkel")) +
        QStringLiteral("\n\nDitt nya konto placeras på:\n\n\n") + accountFolder(name) +
        QStringLiteral("\n\nÄr uppgifterna riktiga ?");
    if (platform::messages().show(summary, Buttons::YesNo, Icon::None,
                                  QStringLiteral("Nytt konto")) == Answer::No) {
        showMessage(QStringLiteral("Rätta felaktiga uppgifter och klicka återigen på OK,"
                                   " eller avbryt 'Skapa nytt konto' !"),
                    kDarkBlue);
        return;
    }
    newName_ = name;
    newNumber_ = number;
    Skapa_Konto();
}

void NyKontoForm::Skapa_Konto() {
    const QString kind = Kind;
    const bool created = trap(
        [&] {
            const int slot = ledger::createAccount(
                {newName_, newNumber_, kind, Module1.WorkDate, Module1.AnvNamn});
            // Closed only now, so that a failed creation leaves the open account usable.
            ledger::account().closeAll();
            Module1.KontoNamn = newName_;
            Module1.KontoNummer = newNumber_;
            Module1.KontoNum = slot;
            Text1->clear();
            Text2->clear();
            uncheck(Option1);
            uncheck(Option2);
            Kind.clear();
            head_.Inläs_Kontofil();
        },
        [&] {
            ErrorContext c(QStringLiteral("Skapa_Konto"), {},
                           {QStringLiteral("vid försök att nyskapa ett konto"),
                            QStringLiteral("Angivet kontonamn ") + newName_,
                            QStringLiteral("Angivet bokf.val ") + kind,
                            QStringLiteral("Nytt kontonummer ") + newNumber_,
                            QStringLiteral("Angiven sökväg ") + dataFolder() + QLatin1Char('/'),
                            QStringLiteral("Antal poster inlästa till listan ") +
                                QString::number(head_.Combo3->count()),
                            kind == QLatin1String("Bg")
                                ? QStringLiteral("Kontoslag = BudgetKonto")
                                : QStringLiteral("Kontoslag = Enkel bokf.")});
            c.messageSuffix = QStringLiteral(" vid försök att nyskapa ett konto");
            return c;
        });
    if (created)
        askForAnother();
}

namespace {

QString kindText(const QString& slag) {
    return slag == QLatin1String("Bg") ? QStringLiteral("budgetkonto")
                                       : QStringLiteral("enkelt konto");
}

} // namespace

bool NyKontoForm::offerLeftFolder(const QString& name, const QString& number) {
    const QFileInfo folder(accountFolder(name));
    if (!readLeftFolder || folder.isSymLink() || !folder.isDir())
        return false;
    LeftFolder left;
    const bool read = trap([&] { left = readLeftFolder(name, Kind); },
                           [&] {
                               ErrorContext c(QStringLiteral("Command1_Click"), {},
                                              {QStringLiteral("vid försök läsa kontokatalogen"),
                                               QStringLiteral("Angivet kontonamn ") + name,
                                               QStringLiteral("Angivet bokf.val ") + Kind});
                               c.messageSuffix = QStringLiteral(" vid försök läsa kontokatalogen");
                               return c;
                           });
    if (!read)
        return true;
    if (!left.refusal.isEmpty()) {
        platform::messages().show(
            QStringLiteral("Katalogen '") + name +
                QStringLiteral("' finns redan i datamappen, men inget konto i kontoregistret hör "
                               "till den, och den kan inte tas upp som konto:\n\n") +
                left.refusal +
                QStringLiteral("\n\nVälj annat kontonamn eller avbryt 'Nytt konto' !"),
            Buttons::Ok, Icon::Warning, QStringLiteral("Redan befintligt konto"));
        return true;
    }
    QString question =
        QStringLiteral("Kontot '") + name +
        QStringLiteral("' finns inte i kontoregistret, men dess katalog finns kvar i "
                       "datamappen:\n\n") +
        accountFolder(name) + QStringLiteral("\n\nKatalogen håller ett ") + kindText(left.slag) +
        QStringLiteral(" med ") +
        (left.postings == 1 ? QStringLiteral("1 post")
                            : QString::number(left.postings) + QStringLiteral(" poster")) +
        QStringLiteral(". En sådan katalog blir kvar när alla konton återställs från en BackUp "
                       "som är äldre än kontot.\n\nVill du ta upp katalogen igen som kontot '") +
        name + QStringLiteral("', med dess poster ?");
    if (left.slag != Kind)
        question += QStringLiteral("\n\nObservera: katalogens filer är ett ") +
                    kindText(left.slag) + QStringLiteral(", inte ett ") + kindText(Kind) +
                    QStringLiteral(" som du valde. Kontot tas upp som ") + kindText(left.slag) +
                    QLatin1Char('.');
    if (platform::messages().show(question, Buttons::YesNo, Icon::None,
                                  QStringLiteral("Kvarlämnad kontokatalog")) != Answer::Yes)
        return true; // all stays as it is
    const QString slag = left.slag;
    const bool registeredNow = trap(
        [&] {
            const int slot = ledger::registerAccount({name, number, slag, {}, Module1.AnvNamn});
            ledger::account().closeAll();
            Module1.KontoNamn = name;
            Module1.KontoNummer = number;
            Module1.KontoNum = slot;
            Text1->clear();
            Text2->clear();
            uncheck(Option1);
            uncheck(Option2);
            Kind.clear();
            head_.Inläs_Kontofil();
        },
        [&] {
            ErrorContext c(QStringLiteral("Skapa_Konto"), {},
                           {QStringLiteral("vid försök att ta upp en kvarlämnad kontokatalog"),
                            QStringLiteral("Angivet kontonamn ") + name,
                            QStringLiteral("Katalogens bokf.val ") + slag,
                            QStringLiteral("Nytt kontonummer ") + number,
                            QStringLiteral("Angiven sökväg ") + dataFolder() + QLatin1Char('/')});
            c.messageSuffix = QStringLiteral(" vid försök att ta upp en kvarlämnad kontokatalog");
            return c;
        });
    if (registeredNow)
        askForAnother();
    return true;
}

void NyKontoForm::askForAnother() {
    if (platform::messages().show(QStringLiteral("Vill du lägga till ytterligare ett konto ?"),
                                  Buttons::YesNo, Icon::None,
                                  QStringLiteral("Fortsätt skapa konton")) == Answer::No) {
        closeDialog();
        return;
    }
    showOpeningText();
    Text1->setFocus();
}

void NyKontoForm::closeDialog() {
    closeBeside(*this, head_, WindowPos::NyKontoForm);
}

void NyKontoForm::Command2_Click() {
    closeDialog();
    if (head_.Combo3->count() == 0)
        head_.NoAccount();
}

void NyKontoForm::closeEvent(QCloseEvent* e) {
    // The close box cancels, as "Avbryt Nytt konto" does; the instance is kept.
    e->ignore();
    Command2_Click();
}

} // namespace fyn
