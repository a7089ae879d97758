// The account dialog: what a new account leaves on disk, the checks before it is
// created, and how the dialog hands the main window back.
#include "mainwindow/NyKontoForm.h"
#include "core/Paths.h"
#include "core/State.h"
#include "mainwindow/HeadForm.h"
#include "mainwindow/WindowDriver.h"
#include "services/BackUpForm.h"
#include "support/AccountFixture.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace fyn::test {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

const QColor kRed(255, 0, 0);
const QColor kDarkBlue(0, 0, 128);

const QString kOpening = "Skriv in uppgifter om Kontonamn, Kontonummer, samt vilken kontotyp"
                         " (Budget eller Enkel) som du avser.\n\n"
                         "När du är klar klickar du på OK !";

FixtureAccount named(const QString& name) {
    FixtureAccount a;
    a.name = name;
    return a;
}

// Text padded with blanks to a field's width.
QByteArray field(const QByteArray& text, int width) {
    return text + QByteArray(width - text.size(), ' ');
}

class NyKonto : public Sandbox {
protected:
    NyKonto() {
        Module1.WorkDate = "2026-11-30"; // not today's date
        Module1.AnvNamn = "Åsa Öberg";
        form.Form_Load();
    }

    // Fills the boxes and clicks the kind's option ("" clicks none).
    void fill(const QString& name, const QString& number, const QString& kind) {
        form.Text1->setText(name);
        form.Text2->setText(number);
        if (kind == "Bg")
            form.Option1->click();
        else if (kind == "Ek")
            form.Option2->click();
    }

    QColor messageColour() const { return form.Label4->palette().color(QPalette::WindowText); }
    QStringList dataFolderEntries() const {
        return QDir(dataFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    HeadForm head;
    NyKontoForm& form = head.nyKontoForm();
};

// ---- A created account ------------------------------------------------------

struct FirstAccountCase {
    const char* name;
    QString kind;
    QByteArray kontoData;
};

void PrintTo(const FirstAccountCase& c, std::ostream* os) {
    *os << c.name;
}

class FirstAccount : public NyKonto, public ::testing::WithParamInterface<FirstAccountCase> {};

TEST_P(FirstAccount, LeavesItsFilesRegisteredAndCurrent) {
    const FirstAccountCase& c = GetParam();
    fill("  Hushåll  ", " 8327-9 ", c.kind);
    fakes.messages->answers = {Answer::Yes, Answer::No};

    form.Command1_Click();

    const QString folder = dataFolder() + "/Hushåll";
    EXPECT_EQ(readFile(folder + "/KontoData"), c.kontoData);
    EXPECT_EQ(readFile(folder + "/Transakt"), field("Kontostart", 35) + " " +
                                                  field("Ins\xe4ttning", 35) + "+" +
                                                  field("Uttag", 35) + "-");
    EXPECT_TRUE(QFileInfo(folder + "/Kategori").isFile());
    EXPECT_EQ(readFile(folder + "/Kategori"), QByteArray());
    EXPECT_EQ(readFile(kontoFilPath()), field("Hush\xe5ll", 35) + field("8327-9", 30) +
                                            c.kind.toLatin1() + field("\\FynData\\", 15));
    EXPECT_EQ(readFile(kontoIniPath()), "1\r\n\xc5sa \xd6"
                                        "berg\r\n");
    EXPECT_EQ(Module1.KontoNamn, "Hushåll");
    EXPECT_EQ(Module1.KontoNummer, "8327-9");
    EXPECT_EQ(Module1.KontoNum, 1);
    // The register is read again: the account is listed and chosen.
    ASSERT_EQ(head.Combo3->count(), 1);
    EXPECT_EQ(head.Combo3->itemText(0).trimmed(), "Hushåll");
    EXPECT_EQ(head.Combo3->itemData(0).toInt(), 1);

    // The last question, answered No, hands the main window back.
    ASSERT_EQ(fakes.messages->calls.size(), 2u);
    EXPECT_EQ(fakes.messages->calls[1].text, "Vill du lägga till ytterligare ett konto ?");
    EXPECT_EQ(fakes.messages->calls[1].title, "Fortsätt skapa konton");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(head.isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    NyKonto, FirstAccount,
    ::testing::Values(FirstAccountCase{"Enkel", "Ek",
                                       field("2026-11-30", 10) + field("1", 4) + field("0", 11) +
                                           field("0", 11) + " " + field("", 4) + "  "},
                      FirstAccountCase{"Budget", "Bg",
                                       field("2026-11-30", 10) + field("1", 4) + field("0", 11) +
                                           field("0", 11) + field("0", 11) + field("0", 11) +
                                           field("0", 11) + " *" + field("", 4) + "  "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NyKonto, NextAccountTakesTheBlankedSlotAndTheDialogStaysForMore) {
    writeAccount(named("Gammalt"), 1);
    writeAccount(named("Sparkonto"), 2);
    blankSlot(1);
    QDir(accountFolder("Gammalt")).removeRecursively();
    const QByteArray record2 = readFile(kontoFilPath()).mid(82);

    fill("Resor", "1", "Ek");
    fakes.messages->answers = {Answer::Yes, Answer::Yes};
    form.Command1_Click();

    EXPECT_EQ(readFile(kontoFilPath()),
              field("Resor", 35) + field("1", 30) + "Ek" + field("\\FynData\\", 15) + record2);
    EXPECT_EQ(Module1.KontoNum, 1);
    EXPECT_EQ(readFile(kontoIniPath()), "1\r\n\xc5sa \xd6"
                                        "berg\r\n");
    // Yes to "another": emptied and ready, the main window still disabled.
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(head.isEnabled());
    EXPECT_EQ(form.Label4->text(), kOpening);
    EXPECT_EQ(form.Text1->text(), "");
    EXPECT_EQ(form.Text2->text(), "");
    EXPECT_EQ(form.Kind, "");
    EXPECT_FALSE(form.Option1->isChecked() || form.Option2->isChecked());

    // The same dialog makes the next one, appended after the last record.
    fill("Bil", "2", "Bg");
    fakes.messages->answers = {Answer::Yes, Answer::No};
    form.Command1_Click();
    EXPECT_EQ(readFile(kontoFilPath()).mid(164, 82),
              field("Bil", 35) + field("2", 30) + "Bg" + field("\\FynData\\", 15));
    EXPECT_EQ(Module1.KontoNum, 3);
    EXPECT_EQ(readFile(kontoIniPath()), "3\r\n\xc5sa \xd6"
                                        "berg\r\n");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(head.isEnabled());
}

// ---- Refusals before anything is created --------------------------------------

struct RefusalCase {
    const char* name;
    QString accountName, number, kind;
    QString message; // empty: a message of its own about the name or number
    QColor colour;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class Refusal : public NyKonto, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, ShowsOnlyTheFirstFailingCheckAndCreatesNothing) {
    const RefusalCase& c = GetParam();
    fill(c.accountName, c.number, c.kind);
    const QStringList before = dataFolderEntries();

    form.Command1_Click();

    if (c.message.isEmpty()) {
        EXPECT_NE(form.Label4->text(), kOpening);
        EXPECT_FALSE(form.Label4->text().isEmpty());
    } else {
        EXPECT_EQ(form.Label4->text(), c.message);
    }
    EXPECT_EQ(messageColour(), c.colour);
    EXPECT_TRUE(fakes.messages->calls.empty());
    EXPECT_EQ(dataFolderEntries(), before);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(head.isEnabled());
    // A chosen kind stays chosen for the next try.
    EXPECT_EQ(form.Kind, c.kind);
    EXPECT_EQ(Module1.KontoNamn, "");
    EXPECT_EQ(Module1.KontoNum, 0);
}

const QString kNoName = "Du har inte skrivit in något kontonamn till ditt nya konto !\n\n"
                        "Återvänd till namnfältet och skriv in ett unikt kontonamn,"
                        " eller avbryt 'Skapa nytt konto' !";
const QString kNoNumber = "Du har inte skrivit in något kontonummer till ditt nya konto !\n\n"
                          "Kontonummer är inte obligatoriskt att använda i programmet,"
                          " men kan vara till god hjälp att definiera t ex ett"
                          " bankkonto e dyl !\n\n"
                          "Återvänd gärna till nummerfältet och skriv in ett kontonummer !";
const QString kNoKind = "Du har inte gjort något val av kontotyp (Budget- eller Enkelt konto) !\n\n"
                        "Klicka på endera kontotyp, eller avbryt 'Nytt konto' !";

INSTANTIATE_TEST_SUITE_P(
    NyKonto, Refusal,
    ::testing::Values(RefusalCase{"AllEmpty", "", "", "", kNoName, kRed},
                      RefusalCase{"NameOnlyBlanks", "   ", "12", "Ek", kNoName, kRed},
                      RefusalCase{"NoKind", "Hushåll", "12", "", kNoKind, kRed},
                      // The number is asked for before the kind.
                      RefusalCase{"NoNumberNoKind", "Hushåll", "", "", kNoNumber, kDarkBlue},
                      RefusalCase{"NoNumber", "Hushåll", "  ", "Bg", kNoNumber, kDarkBlue},
                      // An unsafe name is refused even before a missing number.
                      RefusalCase{"Slash", "Mat/Hyra", "", "", "", kRed},
                      RefusalCase{"Backslash", "Mat\\Hyra", "12", "Ek", "", kRed},
                      RefusalCase{"Colon", "Mat:Hyra", "12", "Ek", "", kRed},
                      RefusalCase{"DotDot", " .. ", "12", "Ek", "", kRed},
                      RefusalCase{"Dot", ".", "12", "Ek", "", kRed},
                      // The data folder's own files and hidden names.
                      RefusalCase{"Journal", ".journal", "12", "Ek", "", kRed},
                      RefusalCase{"Hidden", ".gömd", "12", "Ek", "", kRed},
                      RefusalCase{"Register", "KontoFil", "12", "Ek", "", kRed},
                      RefusalCase{"SettingsAnyCase", "kontoini", "12", "Bg", "", kRed},
                      RefusalCase{"Holidays", "RedDayFil", "12", "Ek", "", kRed},
                      RefusalCase{"ControlCharacter", "Fond" + QString(QChar(6)), "12", "Ek", "",
                                  kRed},
                      RefusalCase{"OutsideWindows1252", "Ωmega", "12", "Ek", "", kRed},
                      RefusalCase{"NameTooLong", QString(35, 'k'), "12", "Bg", "", kRed},
                      // What a stick cannot hold: every later backup to it would fail.
                      RefusalCase{"QuestionMark", "Bil?", "12", "Ek", "", kRed},
                      RefusalCase{"Bar", "Hus|Båt", "12", "Ek", "", kRed},
                      RefusalCase{"Star", "Spar*", "12", "Bg", "", kRed},
                      RefusalCase{"Quote", "\"Fond\"", "12", "Ek", "", kRed},
                      RefusalCase{"Angles", "<Mat>", "12", "Ek", "", kRed},
                      RefusalCase{"TrailingDot", "Bil.", "12", "Ek", "", kRed},
                      // The stem of the backups of every account.
                      RefusalCase{"AllAccountsStem", "fynlarbu", "12", "Ek", "", kRed},
                      RefusalCase{"NumberTooLong", "Hushåll", QString(31, '9'), "Bg", "", kRed},
                      RefusalCase{"NumberOutsideWindows1252", "Hushåll", "Nr ☺", "Ek", "", kRed}),
    [](const auto& info) { return std::string(info.param.name); });

// Typed as the user types it and confirmed with the mouse.
TEST_F(NyKonto, ANameAStickCannotHoldIsRefusedBeforeAnythingIsMade) {
    QTest::keyClicks(form.Text1, "Bil?");
    QTest::keyClicks(form.Text2, "12");
    QTest::mouseClick(form.Option2, Qt::LeftButton);
    const QStringList before = dataFolderEntries();
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    EXPECT_TRUE(form.Label4->text().contains("'?'")) << form.Label4->text().toStdString();
    EXPECT_EQ(messageColour(), kRed);
    EXPECT_TRUE(fakes.messages->calls.empty());
    EXPECT_EQ(dataFolderEntries(), before);
    EXPECT_EQ(Module1.KontoNum, 0);
}

// A stick does not tell "HUSHÅLL" from "Hushåll": the two would be one folder
// there. The register's name and a folder left behind count alike.
TEST_F(NyKonto, ANameOnlyACaseAwayFromAnAccountIsRefused) {
    writeAccount(named("Hushåll"), 1);
    QDir().mkpath(accountFolder("Kvar"));
    for (const QString& name : {QStringLiteral("HUSHÅLL"), QStringLiteral("kvar")}) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray kontoFil = readFile(kontoFilPath());
        const QStringList before = dataFolderEntries();
        fill(name, "12", "Ek");
        form.Command1_Click();
        EXPECT_EQ(messageColour(), kRed);
        EXPECT_TRUE(form.Label4->text().contains("stora och små bokstäver"))
            << form.Label4->text().toStdString();
        EXPECT_TRUE(fakes.messages->calls.empty());
        EXPECT_EQ(readFile(kontoFilPath()), kontoFil);
        EXPECT_EQ(dataFolderEntries(), before);
    }
}

TEST_F(NyKonto, NameOfTheFullFieldWidthIsAccepted) {
    const QString name = QString(34, QChar(0xE5)); // "å": one byte each in the register
    fill(name, QString(30, '9'), "Ek");
    fakes.messages->answers = {Answer::Yes, Answer::No};
    form.Command1_Click();
    EXPECT_TRUE(QFileInfo(accountFolder(name)).isDir());
    EXPECT_EQ(readFile(kontoFilPath()).left(65),
              QByteArray(34, '\xe5') + " " + QByteArray(30, '9'));
}

// An account folder left behind, or a name the register still lists whose folder
// is gone: either would make two accounts share one folder.
TEST_F(NyKonto, ExistingAccountIsRefusedWithAWarning) {
    for (const QString& name : QStringList{"Kvar", "Listat"}) {
        SCOPED_TRACE(name.toStdString());
        if (name == "Kvar") {
            QDir().mkpath(accountFolder(name));
        } else {
            writeAccount(named(name), 1);
            QDir(accountFolder(name)).removeRecursively();
        }
        const QByteArray kontoFil = readFile(kontoFilPath());
        fakes.messages->calls.clear();
        fill(name, "12", "Bg");

        form.Command1_Click();

        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        const platform::testing::MessageCall& box = fakes.messages->calls[0];
        EXPECT_EQ(box.text, "Kontot, '" + name +
                                "', som du försöker skapa, existerar redan !\n\n"
                                "Välj annat kontonamn eller avbryt 'Nytt konto' !");
        EXPECT_EQ(box.buttons, Buttons::Ok);
        EXPECT_EQ(box.icon, Icon::Warning);
        EXPECT_EQ(box.title, "Redan befintligt konto");
        EXPECT_EQ(form.Label4->text(), kOpening);
        EXPECT_EQ(readFile(kontoFilPath()), kontoFil);
        EXPECT_EQ(Module1.KontoNum, 0);
    }
}

TEST_F(NyKonto, SummaryAnsweredNoAsksForCorrectionAndCreatesNothing) {
    fill(" Hushåll ", "8327-9", "Bg");
    fakes.messages->answers = {Answer::No};

    form.Command1_Click();

    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    const platform::testing::MessageCall& box = fakes.messages->calls[0];
    EXPECT_EQ(box.text, "Sammanfattning av ditt nya konto:\n\n"
                        "Nytt kontonamn = Hushåll\n\n"
                        "Nytt kontonummer = 8327-9\n\n"
                        "Du har valt kontotyp: Budget\n\n"
                        "Ditt nya konto placeras på:\n\n\n" +
                            Module1.BaseFolder +
                            "FynData/Hushåll\n\n"
                            "Är uppgifterna riktiga ?");
    EXPECT_EQ(box.buttons, Buttons::YesNo);
    EXPECT_EQ(box.title, "Nytt konto");
    EXPECT_EQ(form.Label4->text(), "Rätta felaktiga uppgifter och klicka återigen på OK,"
                                   " eller avbryt 'Skapa nytt konto' !");
    EXPECT_EQ(messageColour(), kDarkBlue);
    EXPECT_FALSE(QFileInfo::exists(accountFolder("Hushåll")));
    EXPECT_FALSE(QFileInfo::exists(kontoIniPath()));
    EXPECT_EQ(form.Text1->text(), " Hushåll ");
    EXPECT_EQ(form.Kind, "Bg");
    EXPECT_EQ(Module1.KontoNamn, "");
}

// A failed commit: the error routine reports it and the dialog keeps what was typed.
TEST_F(NyKonto, CreationThatFailsIsReportedAndLeavesNothingBehind) {
    QDir().mkpath(kontoIniPath()); // KontoIni cannot be written
    fill("Hushåll", "8327-9", "Ek");
    fakes.messages->answers = {Answer::Yes, Answer::No}; // summary; no error report

    form.Command1_Click();

    ASSERT_EQ(fakes.messages->calls.size(), 2u);
    EXPECT_TRUE(fakes.messages->calls[1].title.startsWith("Felspec. = "));
    EXPECT_TRUE(fakes.messages->calls[1].text.startsWith(
        "Ett fel har uppstått i subrutinen Skapa_Konto vid försök att nyskapa ett konto\n"));
    const QString sep(QChar(0xA6));
    EXPECT_EQ(Module1.FelDump,
              "Fel i rutinen Skapa_Konto" + sep + "vid försök att nyskapa ett konto" + sep +
                  "Angivet kontonamn Hushåll" + sep + "Angivet bokf.val Ek" + sep +
                  "Nytt kontonummer 8327-9" + sep + "Angiven sökväg " + Module1.BaseFolder +
                  "FynData/" + sep + "Antal poster inlästa till listan 0" + sep +
                  "Kontoslag = Enkel bokf.");
    EXPECT_FALSE(QFileInfo::exists(accountFolder("Hushåll")));
    EXPECT_EQ(readFile(kontoFilPath()), QByteArray());
    EXPECT_EQ(Module1.KontoNum, 0);
    EXPECT_EQ(Module1.KontoNamn, "");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Text1->text(), "Hushåll");
    EXPECT_EQ(form.Kind, "Ek");
}

// ---- Leaving the dialog ---------------------------------------------------------

struct CancelCase {
    const char* name;
    bool closeBox;      // the window's close box instead of "Avbryt Nytt konto"
    bool listedAccount; // the main window lists an account
};

void PrintTo(const CancelCase& c, std::ostream* os) {
    *os << c.name;
}

class Cancel : public NyKonto, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(Cancel, StoresThePositionAndHandsTheMainWindowBack) {
    const CancelCase& c = GetParam();
    if (c.listedAccount)
        head.Combo3->addItem("   Hushåll", 1);
    else
        fakes.messages->answers = {Answer::No}; // "Vill du avsluta programmet nu ?"
    form.move(150, 90);

    if (c.closeBox)
        form.close();
    else
        form.Command2->click();

    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(head.isEnabled());
    EXPECT_EQ(readFile(posFilPath()).mid(8 * 7, 14), "2250   1350   ");
    if (c.listedAccount) {
        EXPECT_TRUE(fakes.messages->calls.empty());
    } else {
        ASSERT_FALSE(fakes.messages->calls.empty());
        EXPECT_TRUE(fakes.messages->calls[0].text.endsWith("Vill du avsluta programmet nu ?"));
    }
    EXPECT_FALSE(QFileInfo::exists(kontoIniPath()));
}

INSTANTIATE_TEST_SUITE_P(NyKonto, Cancel,
                         ::testing::Values(CancelCase{"AvbrytWithAccounts", false, true},
                                           CancelCase{"AvbrytWithNoAccount", false, false},
                                           CancelCase{"CloseBoxWithNoAccount", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NyKonto, ReopeningStartsEmptyAtTheStoredPlace) {
    fill("Hushåll", "12", "Bg");
    head.Combo3->addItem("   Hushåll", 1);
    form.move(150, 90);
    form.Command2_Click();
    form.move(300, 300);

    form.Form_Load();

    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(head.isEnabled());
    EXPECT_EQ(form.pos(), QPoint(150, 90));
    EXPECT_EQ(form.Text1->text(), "");
    EXPECT_EQ(form.Text2->text(), "");
    EXPECT_EQ(form.Kind, "");
    EXPECT_FALSE(form.Option1->isChecked() || form.Option2->isChecked());
    EXPECT_EQ(form.Label4->text(), kOpening);
}

// ---- A folder that the register no longer lists --------------------------------

struct LeftFolderCase {
    const char* name;
    QString chosen;                   // the kind the user clicks
    std::vector<QByteArray> postings; // KontoData; none: no such file
    QByteArray bmall;                 // B-mall, when not empty
    Answer answer;                    // to the question, when it is asked
    QString asked;                    // the question's kind sentence and note; empty: refused
    QString registeredAs;             // the kind taken up; empty: nothing registered
};

void PrintTo(const LeftFolderCase& c, std::ostream* os) {
    *os << c.name;
}

class LeftFolder : public NyKonto, public ::testing::WithParamInterface<LeftFolderCase> {
protected:
    LeftFolder() { NyKontoForm::readLeftFolder = nullptr; }
    ~LeftFolder() override { NyKontoForm::readLeftFolder = nullptr; }
};

// "Resa" typed into the dialog, whose folder a restore of every account left
// in the data folder while the register lost its record: taken up again as the
// kind its files are, on Yes, with its postings; refused when its files are no
// account's; No leaves everything as it was.
TEST_P(LeftFolder, IsOfferedAsTheAccountItsFilesAre) {
    const LeftFolderCase& c = GetParam();
    installBackUpForm();
    HeadForm::openBackUpForm = nullptr;
    writeAccount(named("Hem"), 1);
    FixtureAccount resa = named("Resa");
    resa.slag = c.registeredAs.isEmpty() ? QString("Ek") : c.registeredAs;
    resa.postings = c.postings;
    writeAccount(resa, 2);
    blankSlot(2);
    if (c.postings.empty())
        QFile::remove(accountFile("Resa", "KontoData"));
    if (!c.bmall.isEmpty())
        writeFile(accountFile("Resa", "B-mall"), c.bmall);
    const QByteArray kontoFil = readFile(kontoFilPath());
    const QByteArray kontoData = readFile(accountFile("Resa", "KontoData"));

    QTest::keyClicks(form.Text1, "Resa");
    QTest::keyClicks(form.Text2, "77-1");
    QRadioButton* option = c.chosen == "Bg" ? form.Option1 : form.Option2;
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(7, option->height() / 2));
    const QString label = form.Label4->text();
    fakes.messages->answers = {c.answer, Answer::No};
    QTest::mouseClick(form.Command1, Qt::LeftButton);

    const auto& calls = fakes.messages->calls;
    ASSERT_GE(calls.size(), 1u);
    if (c.asked.isEmpty()) {
        EXPECT_EQ(calls[0].title, "Redan befintligt konto");
        EXPECT_TRUE(calls[0].text.startsWith("Katalogen 'Resa' finns redan i datamappen, men inget "
                                             "konto i kontoregistret hör till den"))
            << calls[0].text.toStdString();
        fakes.messages->answers.clear();
    } else {
        EXPECT_EQ(calls[0].title, "Kvarlämnad kontokatalog");
        EXPECT_EQ(calls[0].buttons, Buttons::YesNo);
        EXPECT_TRUE(calls[0].text.contains(c.asked)) << calls[0].text.toStdString();
        if (c.answer == Answer::No)
            fakes.messages->answers.clear();
    }
    EXPECT_EQ(readFile(accountFile("Resa", "KontoData")), kontoData);
    if (c.registeredAs.isEmpty() || c.answer == Answer::No) {
        EXPECT_EQ(calls.size(), 1u);
        EXPECT_EQ(readFile(kontoFilPath()), kontoFil);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.Label4->text(), label);
        return;
    }
    EXPECT_EQ(readFile(kontoFilPath()).mid(82), field("Resa", 35) + field("77-1", 30) +
                                                    c.registeredAs.toLatin1() +
                                                    field("\\FynData\\", 15));
    EXPECT_EQ(Module1.KontoNamn, "Resa");
    EXPECT_EQ(Module1.KontoSlag, c.registeredAs);
    EXPECT_EQ(Module1.KontoNum, 2);
    EXPECT_EQ(head.Combo3->count(), 2);
    EXPECT_FALSE(form.isVisible());
}

const std::vector<QByteArray> kSimple = {rec(enkel("2026-03-01", "1", "0", "0")),
                                         rec(enkel("2026-03-05", "3", "-250", "-250"))};
const std::vector<QByteArray> kBudget = {
    rec(budget("2026-03-01", "1", "0", "0", "0", "0", "0")),
    rec(budget("2026-04-01", "3", "-80", "-80", "-80", "-80", "0", " "))};

INSTANTIATE_TEST_SUITE_P(
    NyKonto, LeftFolder,
    ::testing::Values(
        LeftFolderCase{"AsChosen",
                       "Ek",
                       kSimple,
                       {},
                       Answer::Yes,
                       "Katalogen håller ett enkelt konto med 2 poster. En sådan katalog",
                       "Ek"},
        // The files are a budget account's whatever the user clicked.
        LeftFolderCase{"ItsOwnKind", "Ek", kBudget, mall("3", "-80", "04", "01"), Answer::Yes,
                       "Observera: katalogens filer är ett budgetkonto, inte ett enkelt konto som "
                       "du valde. Kontot tas upp som budgetkonto.",
                       "Bg"},
        LeftFolderCase{"NoLeavesItAsItIs",
                       "Ek",
                       kSimple,
                       {},
                       Answer::No,
                       "Vill du ta upp katalogen igen som kontot 'Resa', med dess poster ?",
                       "Ek"},
        LeftFolderCase{"NoPostingFile", "Ek", {}, {}, Answer::Yes, {}, {}},
        LeftFolderCase{"NoDates", "Bg", {QByteArray(77, 'x')}, {}, Answer::Yes, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A name the register lists is refused as before, whatever its folder holds.
TEST_F(NyKonto, AListedNameIsRefusedEvenWithTheFolderCheckInstalled) {
    installBackUpForm();
    HeadForm::openBackUpForm = nullptr;
    writeAccount(named("Resa"), 1);
    fill("Resa", "1", "Ek");
    form.Command1_Click();
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Redan befintligt konto");
    EXPECT_TRUE(fakes.messages->calls[0].text.startsWith(
        "Kontot, 'Resa', som du försöker skapa, existerar redan !"));
    NyKontoForm::readLeftFolder = nullptr;
}

} // namespace
} // namespace fyn::test
