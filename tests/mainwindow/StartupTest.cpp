// Start-up, first run, account choice, working date and exit of the main window,
// driven headless with scripted boxes.
#include "core/FolderLock.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/RecordFile.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/HeadForm.h"
#include "mainwindow/NyKontoForm.h"
#include "mainwindow/WindowDriver.h"
#include "platform/ClickLabel.h"
#include "platform/testing/PowerCut.h"
#include "support/AccountFixture.h"
#include "support/LoopImage.h"
#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace fyn;
using fyn::test::FixtureAccount;
using fyn::test::readFile;
using fyn::test::writeFile;
using platform::Answer;
using platform::testing::PowerCut;
using platform::testing::ProgramEnded;

namespace {

QByteArray padded(const QByteArray& text, int width) {
    return text.leftJustified(width, ' ', true);
}

class MainWindowTest : public fyn::test::Sandbox {
protected:
    void SetUp() override {
        oldCurrent = QDir::currentPath();
        QDir::setCurrent(dir.path());
        fakes.clock->date = QDate(2026, 12, 9);
    }
    void TearDown() override {
        form.reset();
        ledger::account().closeAll();
        QDir::setCurrent(oldCurrent);
    }

    HeadForm& start() {
        form = std::make_unique<HeadForm>();
        form->Form_Load();
        return *form;
    }

    // A start that the data folder refuses, with folder mounted read-only or run
    // as an ordinary user: it ends before the window shows. Empty, or why a
    // read-only medium cannot be had here (for a skip).
    QString startRefused(bool readOnly, const QString& folder) {
        test::ReadOnlyFolder medium;
        if (readOnly)
            if (QString why = medium.mount(folder); !why.isEmpty())
                return why;
        fakes.messages->calls.clear();
        form = std::make_unique<HeadForm>();
        std::optional<test::OrdinaryUser> user;
        if (!readOnly)
            user.emplace();
        EXPECT_THROW(form->Form_Load(), ProgramEnded);
        return {};
    }

    // The input box answers name, as typed with Enter and "OK".
    void answerInput(const QString& text) {
        fakes.modal->actions.push_back([text](QDialog& d) {
            d.findChild<QLineEdit*>("Text1")->setText(text);
            QTest::keyClick(d.findChild<QLineEdit*>("Text1"), Qt::Key_Return);
            d.findChild<QPushButton*>("Command1")->click();
        });
    }

    // Two accounts, a simple one in slot 1 and a budget one in slot 2.
    void twoAccounts() {
        FixtureAccount hem;
        hem.name = "Hem";
        hem.postings = {encodeRecord(test::enkel("2026-01-01", "1", "0", "0")),
                        encodeRecord(test::enkel("2026-03-01", "2", "1500", "1500")),
                        encodeRecord(test::enkel("2027-01-01", "3", "-500", "1000"))};
        test::writeAccount(hem, 1);
        FixtureAccount budg;
        budg.name = "Budget";
        budg.number = "55-1";
        budg.slag = "Bg";
        budg.postings = {
            encodeRecord(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
            encodeRecord(test::budget("2026-02-01", "2", "100", "90", "100", "90", "-10"))};
        test::writeAccount(budg, 2);
        test::writeKontoIni("2\r\nAnna\r\n");
    }

    // Opens the account list and clicks an item, as a user does.
    static void chooseAccount(HeadForm& f, int index) {
        EXPECT_TRUE(test::clickListItem(f.findChild<QComboBox*>("Combo3"), index));
    }

    // A start that is refused because another copy holds the data folder.
    void expectRefusedStart() {
        fakes.messages->calls.clear();
        form = std::make_unique<HeadForm>();
        EXPECT_THROW(form->Form_Load(), ProgramEnded);
        EXPECT_EQ(fakes.messages->calls.at(0).title, "Fynlar är redan igång");
        form.reset();
    }

    QString oldCurrent;
    std::unique_ptr<HeadForm> form;
};

// The data folder's lock taken through an open file of its own, as another
// copy of the program takes it; -1 when it cannot be taken.
int takeLock(const QByteArray& file) {
    const int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    if (fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &fl) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// A child process that holds the lock until it is killed; -1 when it failed.
pid_t lockingChild(const QByteArray& file) {
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const char ok = takeLock(file) >= 0 ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char ok = '0';
    (void)!::read(ready[0], &ok, 1);
    ::close(ready[0]);
    if (ok == '1')
        return pid;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

TEST_F(MainWindowTest, FirstRunCreatesTheDataFolderAndTheFirstAccount) {
    QDir(dataFolder()).removeRecursively();
    answerInput("Anna Berg");
    fakes.messages->answers = {Answer::Yes, // a first account now
                               Answer::Yes, // the summary is right
                               Answer::No}; // no further account
    HeadForm& f = start();
    EXPECT_TRUE(QDir(dataFolder()).exists());
    EXPECT_EQ(f.windowTitle(), "Moxels Fynlar 5 för Anna Berg");
    EXPECT_EQ(readFile(kontoIniPath()), "1\r\nAnna Berg\r\n");
    EXPECT_FALSE(QFile::exists(path("KontoFil"))) << "the old-layout probe created a file";

    // The account dialog is open; the main window waits for it.
    NyKontoForm& dlg = f.nyKontoForm();
    ASSERT_TRUE(dlg.isVisible());
    EXPECT_FALSE(f.isEnabled());
    dlg.Text1->setText("Hushåll");
    dlg.Text2->setText("8327-9");
    dlg.Option2->click();
    dlg.Option2_MouseUp();
    dlg.Command1_Click();

    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(f.isEnabled());
    EXPECT_EQ(readFile(kontoFilPath()),
              padded("Hush\xE5ll", 35) + padded("8327-9", 30) + "Ek" + padded("\\FynData\\", 15));
    EXPECT_EQ(readFile(accountFile("Hushåll", "KontoData")),
              padded("2026-12-09", 10) + padded("1", 4) + padded("0", 11) + padded("0", 11) + " " +
                  QByteArray(4, ' ') + "  ");
    EXPECT_EQ(readFile(accountFile("Hushåll", "Transakt")), padded("Kontostart", 35) + " " +
                                                                padded("Ins\xE4ttning", 35) + "+" +
                                                                padded("Uttag", 35) + "-");
    EXPECT_EQ(readFile(accountFile("Hushåll", "Kategori")), "");
    EXPECT_EQ(readFile(kontoIniPath()), "1\r\nAnna Berg\r\n");

    // The main window placed itself at 1500/3500 twips; the dialog stored its own pair.
    const PosFilPost pos = openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1);
    EXPECT_EQ(pos.Pos[0], padded("1500", 7));
    EXPECT_EQ(pos.Pos[1], padded("3500", 7));
    EXPECT_EQ(pos.Pos[8], padded(QByteArray::number(dlg.pos().x() * 15), 7));

    // The new account is open and listed.
    EXPECT_EQ(Module1.KontoNum, 1);
    EXPECT_EQ(Module1.KontoNamn, "Hushåll");
    EXPECT_EQ(f.Combo3->count(), 1);
    EXPECT_EQ(f.Text10->text(), "Hushåll");
    EXPECT_EQ(Module1.AntalPoster, 1);
    EXPECT_EQ(Module1.InstallDatum, "2026-12-09");
}

// The data folder a first start makes stands after a power cut, with the
// first account saved into it.
TEST_F(MainWindowTest, TheFirstStartsDataFolderOutlivesAPowerCut) {
    QDir(dataFolder()).removeRecursively();
    setJournalPath(QString()); // a program that has not started yet
    platform::testing::PowerCutInstalled disk;
    answerInput("Anna Berg");
    fakes.messages->answers = {Answer::Yes, // a first account now
                               Answer::Yes, // the summary is right
                               Answer::No}; // no further account
    HeadForm& f = start();
    NyKontoForm& dlg = f.nyKontoForm();
    ASSERT_TRUE(dlg.isVisible());
    dlg.Text1->setText("Hushåll");
    dlg.Text2->setText("8327-9");
    QTest::mouseClick(dlg.Option2, Qt::LeftButton);
    QTest::mouseClick(dlg.Command1, Qt::LeftButton);
    ASSERT_FALSE(dlg.isVisible());
    ASSERT_EQ(Module1.KontoNamn, "Hushåll");
    const QByteArray kontoFil = readFile(kontoFilPath());

    disk->cut();
    // The program went with the power: nothing it does on its way reaches the disk.
    disk->fault = [](PowerCut::Op, const QString&) { return EIO; };
    form.reset();
    ledger::account().closeAll();
    disk->fault = nullptr;
    ASSERT_TRUE(QDir(dataFolder()).exists());
    // The next start finishes what the journal holds and opens the account.
    HeadForm& again = start();
    EXPECT_EQ(readFile(kontoFilPath()), kontoFil);
    EXPECT_EQ(Module1.KontoNamn, "Hushåll");
    EXPECT_EQ(again.Text10->text(), "Hushåll");
}

TEST_F(MainWindowTest, DecliningTheFirstAccountLocksTheWindow) {
    writeFile(kontoIniPath(), "1\r\nAnna\r\n");
    fakes.messages->answers = {Answer::No, Answer::No}; // no account, don't quit
    HeadForm& f = start();
    EXPECT_EQ(f.Text10->text(), "Konto saknas !");
    EXPECT_FALSE(f.Command2->isEnabled());
    EXPECT_FALSE(f.Command3->isEnabled());
    EXPECT_FALSE(f.Radko_mn->isEnabled());
    EXPECT_EQ(lastBox().text, "Saknas uppgifter om konton !");
}

TEST_F(MainWindowTest, UserNameIsAskedUntilGivenAndABlankSecondLineIsNoSettings) {
    writeFile(kontoIniPath(), "1\r\n   \r\n");
    answerInput("   ");
    answerInput("Bo");
    fakes.messages->answers = {Answer::No,  // don't quit without a name
                               Answer::No,  // no first account
                               Answer::No}; // don't quit
    start();
    EXPECT_EQ(Module1.AnvNamn, "Bo");
    EXPECT_EQ(fakes.messages->calls[0].title, "Användarnamn");
    EXPECT_EQ(fakes.modal->shown.size(), 2u);
    EXPECT_EQ(readFile(kontoIniPath()), "1\r\nBo\r\n");
}

TEST_F(MainWindowTest, OpensTheAccountOfTheSettingsLaidOutForItsKind) {
    twoAccounts();
    HeadForm& f = start();
    EXPECT_EQ(Module1.KontoNum, 2);
    EXPECT_EQ(Module1.KontoSlag, "Bg");
    EXPECT_EQ(Module1.AntalPoster, 2);
    EXPECT_EQ(f.Text10->text(), "Budget");
    EXPECT_EQ(f.Combo3->count(), 2);
    EXPECT_EQ(f.Combo3->itemText(0), QString(14, ' ') + "Hem"); // 13.5 rounds to 14
    EXPECT_TRUE(f.Frame2->isVisible());
    EXPECT_FALSE(f.Frame1->isVisible());
    EXPECT_EQ(f.width(), 16320 / 15);
    EXPECT_TRUE(f.Command1->isVisible());
    EXPECT_EQ(f.Label20->text(), "Budget");
    EXPECT_EQ(f.Label21->text(), "55-1");
    EXPECT_EQ(Module1.InstallDatum, "2026-01-01"); // first posting of account 1

    // Choosing the simple account lays the window out for it.
    f.Combo3->setCurrentIndex(0);
    f.Combo3_Click();
    EXPECT_EQ(Module1.KontoNum, 1);
    EXPECT_EQ(Module1.KontoSlag, "Ek");
    EXPECT_EQ(Module1.AntalPoster, 3);
    EXPECT_EQ(Module1.PostNr, 0); // AllReset
    EXPECT_TRUE(f.Frame1->isVisible());
    EXPECT_EQ(f.width(), 12480 / 15);
    EXPECT_FALSE(f.Command1->isVisible());
    EXPECT_EQ(f.Label16->text(), "Hem");
    EXPECT_EQ(f.Label20->text(), "");
    EXPECT_EQ(f.TransCombo_Enkel->count(), 3);
}

TEST_F(MainWindowTest, BadSettingsAndRegisterDoNotStopTheStart) {
    twoAccounts();
    const struct {
        const char* ini;
        int opened;
        bool reported;
    } cases[] = {
        {"x7\r\nAnna\r\n", 1, true}, // not a number: reported, first account opened
        {"9\r\nAnna\r\n", 1, false}, // no such account
        {"0\r\nAnna\r\n", 1, false},
    };
    for (const auto& c : cases) {
        test::writeKontoIni(c.ini);
        fakes.messages->calls.clear();
        fakes.messages->answers = {Answer::No};
        start();
        EXPECT_EQ(Module1.KontoNum, c.opened) << c.ini;
        EXPECT_EQ(!fakes.messages->calls.empty() &&
                      fakes.messages->calls[0].title == "Felspec. = Type mismatch",
                  c.reported)
            << c.ini;
        fakes.messages->answers.clear();
        form.reset();
        ledger::account().closeAll();
    }
}

TEST_F(MainWindowTest, AUserNameWithACommaIsKeptWhole) {
    twoAccounts();
    for (const QString name : {"Berg, Anna", ",Anna"}) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray ini = "2\r\n" + name.toLatin1() + "\r\n";
        test::writeKontoIni(ini);
        HeadForm& f = start();
        EXPECT_TRUE(fakes.modal->shown.isEmpty()) << "the name was asked for";
        EXPECT_EQ(f.windowTitle(), "Moxels Fynlar 5 för " + name);
        EXPECT_THROW(f.Command4_Click(), ProgramEnded);
        EXPECT_EQ(readFile(kontoIniPath()), ini);
        form.reset();
        ledger::account().closeAll();
    }
}

// The start-up reports its faults as its own, not as an account choice.
TEST_F(MainWindowTest, StartUpFaultsAreReportedAsTheStartUps) {
    twoAccounts();
    test::writeKontoIni("x7\r\nAnna\r\n");
    fakes.messages->answers = {Answer::No}; // no error report
    start();
    EXPECT_TRUE(
        Module1.FelText.startsWith("Ett fel har uppstått i subrutinen Inläs_Kontofil, Nivå = 1\n"
                                   "vid programstart och laddning av kontoregister\n"))
        << Module1.FelText.toStdString();
    form.reset();
    ledger::account().closeAll();

    // The account of the settings has lost its folder.
    test::writeKontoIni("2\r\nAnna\r\n");
    QDir(accountFolder("Budget")).removeRecursively();
    fakes.messages->calls.clear();
    fakes.messages->answers = {Answer::No}; // keep the name
    start();
    ASSERT_GE(fakes.messages->calls.size(), 2u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Path not found");
    EXPECT_TRUE(fakes.messages->calls[0].text.startsWith(
        "Ett fel har uppstått i subrutinen Inläs_Kontofil\n"
        "vid programstart och laddning av kontoregister\nKontot hittas ej !\n"))
        << fakes.messages->calls[0].text.toStdString();
    const QByteArray log = readFile(path("ErrLog"));
    EXPECT_TRUE(log.contains("Kontokatalogen existerar inte !\r\n")) << log.toStdString();
    EXPECT_FALSE(log.contains("Tidigare KontoNum")) << "no account was open before";
    EXPECT_FALSE(log.contains("Klickat KontoNum")) << "no account was clicked";
    EXPECT_EQ(Module1.KontoNamn, "Hem");
}

TEST_F(MainWindowTest, MissingAccountFolderIsLoggedAndItsNameMayGo) {
    twoAccounts();
    HeadForm& f = start();
    QDir(accountFolder("Hem")).removeRecursively();
    fakes.messages->answers = {Answer::Yes}; // remove the name
    f.Combo3->setCurrentIndex(0);
    f.Combo3_Click();

    // Warning titled with the system text, then the question, then the removal.
    ASSERT_GE(fakes.messages->calls.size(), 3u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Path not found");
    EXPECT_TRUE(fakes.messages->calls[0].text.contains("Kontot hittas ej !"));
    EXPECT_EQ(fakes.messages->calls[1].title, "Radera kontonamn");
    EXPECT_EQ(fakes.messages->calls[2].title, "Kontonamn borttaget");
    const QByteArray log = readFile(path("ErrLog"));
    EXPECT_TRUE(log.contains("Kontokatalogen existerar inte !\r\nTidigare KontoNum: 2\r\n"
                             "Klickat KontoNum: 1\r\nKontoNamn: Hem\r\n"));
    // The slot is blank, the other account is open again.
    EXPECT_EQ(openRecordFile<KontoFilPost>(kontoFilPath()).get<KontoFilPost>(1).KontoNamn,
              QString(35, ' '));
    EXPECT_EQ(Module1.KontoNum, 2);
    EXPECT_EQ(Module1.KontoNamn, "Budget");
    EXPECT_EQ(f.Combo3->count(), 1);
}

TEST_F(MainWindowTest, EmptyPostingFileIsLoggedAndOpenedAnyway) {
    twoAccounts();
    HeadForm& f = start();
    writeFile(accountFile("Hem", "KontoData"), "");
    f.Combo3->setCurrentIndex(0);
    f.Combo3_Click();
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Saknas Data");
    EXPECT_TRUE(
        readFile(path("ErrLog")).startsWith("Fel: Kontokatalogen inneh\xE5ller inga data !"));
    EXPECT_EQ(Module1.KontoNum, 1);
    EXPECT_EQ(Module1.AntalPoster, 0);
}

TEST_F(MainWindowTest, OldLayoutIsTakenOver) {
    // Settings and register in the start folder, the account under "Gamla".
    Module1.StartFolder = dir.path();
    QDir(dir.path()).mkpath("Gamla/Sparkonto");
    writeFile(path("KontoIni"), "1\r\nAnna\r\n");
    // A second name that would lead out of the data folder is not copied.
    const QByteArray hostile = padded("../Ute", 35) + padded("2", 30) + "Ek" + padded("Gamla", 15);
    QDir(dir.path()).mkpath("Ute");
    writeFile(path("KontoFil"),
              padded("Sparkonto", 35) + padded("1", 30) + "Ek" + padded("Gamla", 15) + hostile);
    const QByteArray postings = encodeRecord(test::enkel("2020-05-05", "1", "0", "0"));
    writeFile(path("Gamla/Sparkonto/KontoData"), postings);
    writeFile(path("Gamla/Sparkonto/Transakt"), encodeRecord(TransPost{"Kontostart", " "}));
    start();
    EXPECT_EQ(readFile(kontoIniPath()), "1\r\nAnna\r\n");
    EXPECT_EQ(readFile(accountFile("Sparkonto", "KontoData")), postings);
    EXPECT_FALSE(QFile::exists(accountFile("Sparkonto", "B-mall")));
    EXPECT_EQ(readFile(kontoFilPath()),
              padded("Sparkonto", 35) + padded("1", 30) + "Ek" + padded("\\FynData", 15) + hostile);
    EXPECT_TRUE(QDir(path("Ute")).isEmpty());
    for (const auto& call : fakes.messages->calls)
        EXPECT_FALSE(call.title.startsWith("Felspec")) << call.text.toStdString();
    EXPECT_TRUE(QFile::exists(path("KontoIni"))); // the old files stay
    EXPECT_EQ(Module1.KontoNamn, "Sparkonto");
}

TEST_F(MainWindowTest, ExitWritesSettingsAndPositionOnlyWhenMoved) {
    twoAccounts();
    // A stored place well on the (small) offscreen screen, so nothing is clamped.
    writeFile(posFilPath(), padded("0", 7) + padded("0", 7) + QByteArray(126, ' '));
    HeadForm& f = start();
    const QByteArray pos = readFile(posFilPath());
    test::writeKontoIni("garbage");
    EXPECT_THROW(f.Command4_Click(), ProgramEnded);
    EXPECT_EQ(readFile(kontoIniPath()), "2\r\nAnna\r\n");
    EXPECT_EQ(readFile(posFilPath()), pos);

    // The menu item and the close box take the same road; a moved window is stored.
    for (int way = 0; way < 2; ++way) {
        start();
        form->move(form->pos() + QPoint(30, 0));
        if (way == 0) {
            EXPECT_THROW(form->Ex_mn->trigger(), ProgramEnded);
        } else {
            QCloseEvent close; // the close box
            EXPECT_THROW(QCoreApplication::sendEvent(form.get(), &close), ProgramEnded);
        }
        const PosFilPost rec = openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1);
        EXPECT_EQ(rec.Pos[0].trimmed().toInt(), form->pos().x() * 15);
    }
}

TEST_F(MainWindowTest, ASecondCopyIsRefusedUntilTheHoldersProcessEnds) {
    twoAccounts();
    const QByteArray ini = readFile(kontoIniPath());
    const QByteArray lockFile = QFile::encodeName(dataFolder() + "/.lock");
    // Another open file in this process holds the lock.
    const int fd = takeLock(lockFile);
    ASSERT_GE(fd, 0);
    expectRefusedStart();
    ::close(fd);
    // Another process holds it; killed outright, it leaves the file but not the lock.
    const pid_t child = lockingChild(lockFile);
    ASSERT_GT(child, 0);
    expectRefusedStart();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(readFile(kontoIniPath()), ini);
    ASSERT_TRUE(QFile::exists(dataFolder() + "/.lock"));
    fakes.messages->calls.clear();
    start();
    EXPECT_TRUE(fakes.messages->calls.empty());
    EXPECT_EQ(Module1.KontoNamn, "Budget");
    // The running window holds it in turn.
    EXPECT_EQ(takeLock(lockFile), -1);
}

// Something in the lock file's place that cannot be opened and locked as a
// plain file: said, naming it, and the start ends before anything is read or
// written; another copy's journal stays as it is.
TEST_F(MainWindowTest, ALockFileThatCannotBeUsedEndsTheStartUntouched) {
    twoAccounts();
    const QString lock = dataFolder() + "/.lock";
    const QString outside = path("utanför");
    struct Case {
        const char* name;
        std::function<bool()> plant;
    };
    const Case cases[] = {
        {"a folder", [&] { return QDir().mkdir(lock); }},
        {"a link to a file outside", [&] { return QFile::link(outside, lock); }},
        {"a dangling link", [&] { return QFile::link(path("borta"), lock); }},
        {"a pipe", [&] { return ::mkfifo(QFile::encodeName(lock).constData(), 0644) == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(outside, "orört");
        ASSERT_TRUE(c.plant());
        // The first copy's commit, still in its journal.
        WriteBatch batch;
        batch.write(kontoFilPath(), 0, "Ändrad");
        batch.commit();
        const QByteArray journal = readFile(dataFolder() + "/.journal");
        const QByteArray kontoFil = readFile(kontoFilPath());
        const QByteArray ini = readFile(kontoIniPath());
        ASSERT_FALSE(journal.isEmpty());
        fakes.messages->calls.clear();
        form = std::make_unique<HeadForm>();
        EXPECT_THROW(form->Form_Load(), ProgramEnded);
        EXPECT_FALSE(form->isVisible());
        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        const auto& told = fakes.messages->calls[0];
        EXPECT_EQ(told.title, "Låsfilen kan inte användas");
        EXPECT_EQ(told.buttons, platform::Buttons::Ok);
        EXPECT_TRUE(told.text.contains(QDir::toNativeSeparators(lock))) << told.text.toStdString();
        EXPECT_EQ(readFile(dataFolder() + "/.journal"), journal);
        EXPECT_EQ(readFile(kontoFilPath()), kontoFil);
        EXPECT_EQ(readFile(kontoIniPath()), ini);
        EXPECT_EQ(readFile(outside), "orört");
        EXPECT_EQ(Module1.KontoNamn, "");
        form.reset();
        if (QFileInfo(lock).isDir() && !QFileInfo(lock).isSymLink())
            QDir().rmdir(lock);
        else
            QFile::remove(lock);
        checkpoint();
        QFile::remove(dataFolder() + "/.journal");
    }
}

// A data folder this user cannot write: on a medium mounted read-only, or
// another user's (the folder, or its lock file), or without write permission.
// Said as what it is, naming the folder, with what to do; the start ends
// before anything is read or written, with or without a lock file there.
TEST_F(MainWindowTest, ADataFolderThatCannotBeWrittenEndsTheStartAndSaysWhy) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a read-only medium and another user's files need root";
    twoAccounts();
    const QString data = dataFolder();
    const QString lock = data + "/.lock";
    constexpr uid_t kOther = 4711; // a user of the machine who is not this one
    constexpr uid_t kUser = 65534; // the user the program runs as, in OrdinaryUser
    const auto own = [](const QString& path, uid_t owner, mode_t mode) {
        const QByteArray raw = QFile::encodeName(path);
        return ::chown(raw.constData(), owner, owner) == 0 && ::chmod(raw.constData(), mode) == 0;
    };
    const struct Case {
        const char* name;
        bool lockFile; // a lock file there before the start
        bool readOnly; // the medium mounted read-only
        uid_t owner;   // of the folder and its lock file
        mode_t mode;   // of the folder
        const char* why;
        const char* todo;
    } cases[] = {
        {"read-only medium, a lock file", true, true, 0, 0755,
         "som den ligger på är monterad skrivskyddad", "skrivrätt"},
        {"read-only medium, no lock file", false, true, 0, 0755,
         "som den ligger på är monterad skrivskyddad", "skrivrätt"},
        {"another user's lock file", true, false, kOther, 0777, "tillhör en annan användare",
         "ägare"},
        {"another user's folder, no lock file", false, false, kOther, 0755,
         "tillhör en annan användare", "ägare"},
        {"own folder without write permission", false, false, kUser, 0555, "saknar skrivrätt",
         "Ge dig själv skrivrätt"},
        {"own folder and lock without write permission", true, false, kUser, 0555,
         "saknar skrivrätt", "Ge dig själv skrivrätt"},
    };
    // The first copy's commit, still in its journal.
    WriteBatch batch;
    batch.write(kontoFilPath(), 0, "Ändrad");
    batch.commit();
    const QByteArray journal = readFile(data + "/.journal");
    ASSERT_FALSE(journal.isEmpty());
    const QByteArray kontoFil = readFile(kontoFilPath());
    const QByteArray ini = readFile(kontoIniPath());
    // As a program that has not started yet: no journal of its own.
    setJournalPath(QString());
    ASSERT_TRUE(own(dir.path(), 0, 0755)); // the way there is open to every user
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(lock);
        if (c.lockFile) {
            writeFile(lock, "");
            ASSERT_TRUE(own(lock, c.owner, 0644));
        }
        ASSERT_TRUE(own(data, c.owner, c.mode));
        if (const QString why = startRefused(c.readOnly, data); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        ASSERT_TRUE(own(data, 0, 0755));
        EXPECT_FALSE(form->isVisible());
        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        const auto& told = fakes.messages->calls[0];
        EXPECT_EQ(told.title, "Datamappen kan inte skrivas");
        EXPECT_EQ(told.buttons, platform::Buttons::Ok);
        EXPECT_TRUE(told.text.startsWith("Datamappen\n" + QDir::toNativeSeparators(data) + "\n"))
            << told.text.toStdString();
        EXPECT_TRUE(told.text.contains(QString::fromUtf8(c.why))) << told.text.toStdString();
        EXPECT_TRUE(told.text.contains(QString::fromUtf8(c.todo))) << told.text.toStdString();
        // Nothing there to be taken away or renamed: it is the folder that refuses.
        EXPECT_FALSE(told.text.contains("Ta bort")) << told.text.toStdString();
        EXPECT_FALSE(told.text.contains("kan inte användas")) << told.text.toStdString();
        EXPECT_EQ(readFile(data + "/.journal"), journal);
        EXPECT_EQ(readFile(kontoFilPath()), kontoFil);
        EXPECT_EQ(readFile(kontoIniPath()), ini);
        EXPECT_EQ(QFileInfo::exists(lock), c.lockFile);
        EXPECT_EQ(Module1.KontoNamn, "");
        form.reset();
    }
}

// A first start where the data folder cannot be made: a write-protected stick,
// or a folder this user may not write in. Said as the unwritable data folder
// is, with what to do; nothing is made.
TEST_F(MainWindowTest, ADataFolderThatCannotBeMadeEndsTheFirstStartAndSaysWhy) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a read-only medium and another user's files need root";
    QDir(dataFolder()).removeRecursively();
    setJournalPath(QString()); // a program that has not started yet
    const QString root = dir.path();
    constexpr uid_t kUser = 65534; // the user the program runs as, in OrdinaryUser
    const struct {
        const char* name;
        bool readOnly;
        const char* why;
        const char* todo;
    } cases[] = {
        {"read-only medium", true, "som den ligger på är monterad skrivskyddad",
         "Skjut minnesstickans skrivskydd"},
        {"a folder without write permission", false, "du saknar skrivrätt till mappen\n",
         "Ge dig själv skrivrätt till mappen där datamappen ska ligga"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray raw = QFile::encodeName(root);
        ASSERT_EQ(::chown(raw.constData(), kUser, kUser), 0);
        ASSERT_EQ(::chmod(raw.constData(), c.readOnly ? 0755 : 0555), 0);
        if (const QString why = startRefused(c.readOnly, root); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        ASSERT_EQ(::chown(raw.constData(), 0, 0), 0);
        ASSERT_EQ(::chmod(raw.constData(), 0755), 0);
        EXPECT_FALSE(form->isVisible());
        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        const auto& told = fakes.messages->calls[0];
        EXPECT_EQ(told.title, "Datamappen kan inte skrivas");
        EXPECT_TRUE(told.text.startsWith("Datamappen\n" + QDir::toNativeSeparators(dataFolder()) +
                                         "\nkan inte skapas, "))
            << told.text.toStdString();
        EXPECT_TRUE(told.text.contains(QString::fromUtf8(c.why))) << told.text.toStdString();
        EXPECT_TRUE(told.text.contains(QString::fromUtf8(c.todo))) << told.text.toStdString();
        EXPECT_FALSE(told.text.contains("Path not found")) << told.text.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dataFolder()));
        form.reset();
    }
}

TEST_F(MainWindowTest, ALockFileLeftByAnotherHostDoesNotRefuse) {
    twoAccounts();
    // What a lock marker of another machine holds: its process, program and host.
    writeFile(dataFolder() + "/.lock", "4711\nfynlar\nen-annan-dator\n");
    HeadForm& f = start();
    EXPECT_TRUE(fakes.messages->calls.empty());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(Module1.KontoNamn, "Budget");
}

TEST_F(MainWindowTest, WithoutFileLocksTheUserIsAskedWhetherToOpenAnyway) {
    twoAccounts();
    folderlock_testing::setNoLocks(true);
    struct Restore {
        ~Restore() { folderlock_testing::setNoLocks(false); }
    } restore;
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        fakes.messages->calls.clear();
        fakes.messages->answers = {answer};
        form = std::make_unique<HeadForm>();
        if (answer == Answer::No) {
            EXPECT_THROW(form->Form_Load(), ProgramEnded);
            EXPECT_FALSE(form->isVisible());
            EXPECT_EQ(Module1.KontoNamn, "");
        } else {
            form->Form_Load();
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(Module1.KontoNamn, "Budget");
        }
        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        const auto& asked = fakes.messages->calls[0];
        EXPECT_EQ(asked.title, "Datamappen kan inte låsas");
        EXPECT_EQ(asked.buttons, platform::Buttons::YesNo);
        EXPECT_TRUE(asked.text.contains(QDir::toNativeSeparators(dataFolder())));
        form.reset();
        ledger::account().closeAll();
    }
}

TEST_F(MainWindowTest, ACommitCutShortIsSettledBeforeAnythingIsRead) {
    twoAccounts();
    const QByteArray kontoFil = readFile(kontoFilPath());
    setJournalPath(dataFolder() + "/.journal");
    namespace sw = fyn::safewrite_testing;
    // Crashed while writing the journal (point 0): the commit never stood. Crashed
    // while writing the register after the journal was synced (point 3): it stands.
    for (const int point : {0, 3}) {
        writeFile(kontoFilPath(), kontoFil);
        QFile::remove(dataFolder() + "/.journal");
        sw::armCrash(point, true);
        EXPECT_THROW(
            {
                WriteBatch batch;
                batch.write(kontoFilPath(), 0, "Xyz");
                batch.commit();
            },
            sw::Crash);
        sw::armCrash(-1, false);
        start();
        EXPECT_EQ(readFile(kontoFilPath()), point == 0 ? kontoFil : "Xyz" + kontoFil.mid(3))
            << point;
        form.reset();
        ledger::account().closeAll();
    }
}

// A start that finds the last run's journal (an ordinary exit leaves it in
// place where the disk refused its head): every file and folder syncs, and
// only the journal's new head fails. The window opens on the account without
// a word; what the user does next begins the journal anew and stands after a
// power cut.
TEST_F(MainWindowTest, AStartWhoseOnlyFailureIsTheJournalsNewHeadOpensTheAccount) {
    for (const auto fault :
         {PowerCut::HeadFault::Write, PowerCut::HeadFault::Short, PowerCut::HeadFault::Sync}) {
        SCOPED_TRACE(int(fault));
        QDir(dataFolder()).removeRecursively();
        twoAccounts();
        writeFile(posFilPath(), padded("0", 7) + padded("0", 7) + QByteArray(126, ' '));
        // The last run's commit: the first account, still in the journal.
        setJournalPath(dataFolder() + "/.journal");
        {
            WriteBatch batch;
            batch.replaceFile(kontoIniPath(), "1\r\nAnna\r\n");
            batch.commit();
        }
        std::optional<platform::testing::PowerCutInstalled> disk;
        disk.emplace();
        (*disk)->headFault = fault;
        fakes.messages->calls.clear();
        HeadForm& f = start();
        EXPECT_TRUE((*disk)->faulted) << "the head never failed";
        EXPECT_TRUE(fakes.messages->calls.empty()) << "the start said something";
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(Module1.KontoNamn, "Hem");
        EXPECT_TRUE(ledger::account().kontoData.isOpen());
        // Moved, and left by its button: the place is the next entry.
        f.move(f.pos() + QPoint(30, 0));
        const int left = f.pos().x() * 15;
        EXPECT_THROW(f.Command4->click(), ProgramEnded);
        form.reset();
        ledger::account().closeAll();
        (*disk)->cut();
        disk.reset();
        start();
        EXPECT_TRUE(fakes.messages->calls.empty()) << "the next start said something";
        EXPECT_EQ(Module1.KontoNamn, "Hem");
        const PosFilPost rec = openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1);
        EXPECT_EQ(rec.Pos[0].trimmed().toInt(), left);
        form.reset();
        ledger::account().closeAll();
    }
}

// A disk that answers every sync with an error, or is full, met by the start:
// with the last run's journal waiting, with no journal and no PosFil yet, or
// at a first start with no data folder. One box says what failed, what it
// means and what to do; the program ends before its window shows, no account
// opened and nothing changed, and the next start on a sound disk finishes
// what waited.
TEST_F(MainWindowTest, AStartOnADiskThatRefusesItsWritesSaysSoAndOpensNothing) {
    enum class Waits { Journal, PosFil, DataFolder };
    struct Case {
        const char* name;
        Waits waits; // the last run's commit in the journal, PosFil or the data folder to be made
        int error;
    };
    const Case cases[] = {
        {"journal, EIO", Waits::Journal, EIO},
        {"PosFil, EIO", Waits::PosFil, EIO},
        {"journal, full", Waits::Journal, ENOSPC},
        {"PosFil, full", Waits::PosFil, ENOSPC},
        {"first start, EIO", Waits::DataFolder, EIO},
        {"first start, full", Waits::DataFolder, ENOSPC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dataFolder()).removeRecursively();
        const bool firstStart = c.waits == Waits::DataFolder;
        if (!firstStart)
            twoAccounts();
        const QString journalFile = dataFolder() + "/.journal";
        QFile::remove(journalFile);
        setJournalPath(firstStart ? QString() : journalFile);
        if (c.waits == Waits::Journal) {
            WriteBatch batch;
            batch.replaceFile(kontoIniPath(), "1\r\nAnna\r\n");
            batch.commit();
            // As a crash left it: the commit in its journal only.
            writeFile(kontoIniPath(), "2\r\nAnna\r\n");
        }
        QFile::remove(posFilPath());
        const QByteArray journal = readFile(journalFile);
        std::optional<platform::testing::PowerCutInstalled> disk;
        disk.emplace();
        (*disk)->fault = [&](PowerCut::Op op, const QString&) {
            return op == PowerCut::Op::Sync || op == PowerCut::Op::SyncFolder ? c.error : 0;
        };
        fakes.messages->calls.clear();
        form = std::make_unique<HeadForm>();
        EXPECT_THROW(form->Form_Load(), ProgramEnded);
        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        const platform::testing::MessageCall& told = fakes.messages->calls[0];
        const bool full = c.error == ENOSPC;
        EXPECT_EQ(told.title, full ? "Disken är full" : "Disken svarar med fel");
        QStringList said = {QDir::toNativeSeparators(dataFolder()), "Programmet avslutas nu"};
        said << (firstStart ? QStringList{"kan inte skapas", "Inga konton har lagts upp"}
                            : QStringList{"kan inte öppnas", "Kontona har inte öppnats",
                                          "inget har ändrats"});
        said << (full
                     ? QStringList{"är full", "Frigör utrymme på disken"}
                     : QStringList{"svarar med fel när programmet skriver",
                                   "Kopiera datamappen till en annan enhet", "kontrollera disken"});
        for (const QString& part : said)
            EXPECT_TRUE(told.text.contains(part)) << part.toStdString() << "\n"
                                                  << told.text.toStdString();
        for (const char* wrong : {"nästa gång", "windowskatalog", "kan inte läsas", "innan något"})
            EXPECT_FALSE(told.text.contains(QString::fromUtf8(wrong))) << told.text.toStdString();
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(ledger::account().kontoData.isOpen());
        EXPECT_EQ(readFile(journalFile), journal);
        form.reset();
        ledger::account().closeAll();
        (*disk)->cut();
        disk.reset();
        if (firstStart) {
            EXPECT_FALSE(QFile::exists(kontoFilPath()));
            continue;
        }
        EXPECT_EQ(readFile(kontoIniPath()), "2\r\nAnna\r\n");
        EXPECT_FALSE(QFile::exists(posFilPath()));
        // A sound disk: what waited is finished, and the accounts open.
        fakes.messages->calls.clear();
        start();
        EXPECT_TRUE(fakes.messages->calls.empty()) << "the next start said something";
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(Module1.KontoNamn, c.waits == Waits::Journal ? "Hem" : "Budget");
        form.reset();
        ledger::account().closeAll();
    }
}

// ---- Working date ------------------------------------------------------------

TEST_F(MainWindowTest, DateSteppersFollowTheCalendar) {
    twoAccounts();
    HeadForm& f = start();
    const struct {
        const char* from;
        void (HeadForm::*step)();
        const char* to;
    } cases[] = {
        {"2024-03-01", &HeadForm::DayMinus_MouseDown, "2024-02-29"},
        {"2023-03-01", &HeadForm::DayMinus_MouseDown, "2023-02-28"},
        {"2008-02-28", &HeadForm::DayPlus_MouseDown, "2008-02-29"},
        {"2008-02-29", &HeadForm::DayPlus_MouseDown, "2008-03-01"},
        {"2028-02-28", &HeadForm::DayPlus_MouseDown, "2028-02-29"}, // a leap year too
        {"2100-02-28", &HeadForm::DayPlus_MouseDown, "2100-03-01"}, // not a leap year
        {"2023-12-31", &HeadForm::DayPlus_MouseDown, "2024-01-01"},
        {"2024-01-01", &HeadForm::DayMinus_MouseDown, "2023-12-31"},
        {"2024-01-31", &HeadForm::MonthPlus_MouseDown, "2024-02-29"}, // the day is clamped
        {"2023-03-31", &HeadForm::MonthMinus_MouseDown, "2023-02-28"},
        {"2024-01-15", &HeadForm::MonthMinus_MouseDown, "2023-12-15"},
        {"2024-12-15", &HeadForm::MonthPlus_MouseDown, "2025-01-15"},
        {"2024-02-29", &HeadForm::YearPlus_MouseDown, "2025-02-28"},
        {"2024-02-29", &HeadForm::YearMinus_MouseDown, "2023-02-28"},
    };
    for (const auto& c : cases) {
        f.FormDate = c.from;
        f.datumset();
        (f.*c.step)();
        EXPECT_EQ(Module1.WorkDate, c.to) << c.from;
        EXPECT_EQ(f.YearShow->text() + "-" + f.MonthShow->text() + "-" + f.DayShow->text(), c.to);
    }
    // A press on the label steps it.
    f.FormDate = "2024-05-10";
    f.datumset();
    QTest::mouseClick(f.DayPlus, Qt::LeftButton);
    EXPECT_EQ(Module1.WorkDate, "2024-05-11");
}

TEST_F(MainWindowTest, DateSearchPlacesTheWindowAndLeavesTodayAsWorkingDate) {
    twoAccounts();
    HeadForm& f = start();
    f.Combo3->setCurrentIndex(0);
    f.Combo3_Click(); // "Hem": postings of 2026-01-01, 2026-03-01, 2027-01-01
    Module1.PostNr = 2;
    f.FormDate = "2025-06-01"; // before every posting: PostNr stays
    f.datumset();
    f.Finder();
    EXPECT_EQ(Module1.PostNr, 2);
    f.FormDate = "2026-12-31";
    f.datumset();
    f.Finder();
    EXPECT_EQ(Module1.PostNr, 2);
    EXPECT_EQ(Module1.WorkDate, "2026-12-09"); // today again
    EXPECT_EQ(f.YearShow->text() + f.MonthShow->text() + f.DayShow->text(), "20261231");
}

} // namespace

namespace {

TEST_F(MainWindowTest, OddRegisterAndEmptyAccountFolderAreReportedAndTheStartGoesOn) {
    twoAccounts();
    // A register cut in the middle of its second record: 1.5 records count as 2,
    // the cut record reads with blanks.
    const QByteArray full = readFile(kontoFilPath());
    writeFile(kontoFilPath(), full.left(82 + 41));
    test::writeKontoIni("1\r\nAnna\r\n");
    HeadForm& f = start();
    EXPECT_EQ(Module1.KontoNamn, "Hem");
    EXPECT_EQ(f.Combo3->count(), 2);

    // An account folder without files: the choice is reported through the error
    // routine and the account that was open stays open; nothing is created.
    writeFile(kontoFilPath(), full);
    QDir(accountFolder("Budget")).removeRecursively();
    QDir().mkpath(accountFolder("Budget"));
    fakes.messages->answers = {Answer::No}; // no error report
    f.Combo3->setCurrentIndex(1);
    f.Combo3_Click();
    ASSERT_FALSE(fakes.messages->calls.empty());
    EXPECT_EQ(lastBox().title, "Felspec. = File not found");
    EXPECT_EQ(Module1.KontoNamn, "Hem");
    EXPECT_TRUE(ledger::account().kontoData.isOpen());
    EXPECT_TRUE(QDir(accountFolder("Budget")).isEmpty());
}

} // namespace

namespace {

// The window's place is a convenience: a damaged pair is reported, but the
// account still opens and the program can still end.
TEST_F(MainWindowTest, ADamagedWindowPlaceNeitherStopsTheStartNorTheExit) {
    twoAccounts();
    writeFile(posFilPath(), padded("12ab", 7) + padded("3500", 7) + QByteArray(126, ' '));
    fakes.messages->answers = {Answer::No}; // no error report
    HeadForm& f = start();
    EXPECT_EQ(fakes.messages->calls.at(0).title, "Felspec. = Type mismatch");
    EXPECT_EQ(Module1.KontoNamn, "Budget");
    EXPECT_EQ(f.Combo3->count(), 2);
    EXPECT_THROW(f.Command4_Click(), ProgramEnded);
    EXPECT_EQ(readFile(kontoIniPath()), "2\r\nAnna\r\n");
}

} // namespace

namespace {

// ---- A data folder that fails under the running window -------------------------

TEST_F(MainWindowTest, AnExitThatCannotSaveTheSettingsSaysSoOnceAndEnds) {
    twoAccounts();
    // The menu item and the close box alike.
    for (int way = 0; way < 2; ++way) {
        QDir(kontoIniPath()).removeRecursively();
        test::writeKontoIni("2\r\nAnna\r\n");
        HeadForm& f = start();
        // No file can take the settings' place.
        QFile::remove(kontoIniPath());
        QDir().mkpath(kontoIniPath());
        fakes.messages->calls.clear();
        fakes.messages->answers = {Answer::No}; // no error report
        if (way == 0) {
            EXPECT_THROW(f.findChild<QAction*>("Ex_mn")->trigger(), ProgramEnded) << way;
        } else {
            QCloseEvent close;
            EXPECT_THROW(QCoreApplication::sendEvent(&f, &close), ProgramEnded) << way;
        }
        ASSERT_EQ(fakes.messages->calls.size(), 1u) << way;
        EXPECT_TRUE(fakes.messages->calls[0].text.contains("Exit_Konto")) << way;
    }
}

TEST_F(MainWindowTest, AVanishedDataFolderIsReportedAndTheProgramGoesOn) {
    twoAccounts();
    HeadForm& f = start();
    QDir(dataFolder()).removeRecursively();
    // "Nytt konto" as a click on the account box and from the menu, then the
    // account list: each says so once, and nothing escapes.
    const std::function<void()> actions[] = {
        [&] { QTest::mouseClick(f.findChild<QLineEdit*>("Text10"), Qt::LeftButton); },
        [&] { f.findChild<QAction*>("Nykonto_mn")->trigger(); },
        [&] { chooseAccount(f, 0); },
    };
    for (size_t i = 0; i < std::size(actions); ++i) {
        fakes.messages->calls.clear();
        fakes.messages->answers = {Answer::No}; // no error report
        actions[i]();
        ASSERT_EQ(fakes.messages->calls.size(), 1u) << i;
        EXPECT_TRUE(fakes.messages->calls[0].title.startsWith("Felspec. = ")) << i;
        EXPECT_FALSE(f.nyKontoForm().isVisible()) << i;
    }
    // The account that was open stays open.
    EXPECT_EQ(Module1.KontoNamn, "Budget");
    EXPECT_TRUE(ledger::account().kontoData.isOpen());
    EXPECT_TRUE(f.isEnabled());
}

TEST_F(MainWindowTest, TheCloseBoxWaitsWhileTheAccountDialogIsOpen) {
    twoAccounts();
    HeadForm& f = start();
    fakes.messages->answers = {Answer::Yes}; // a new account
    QTest::mouseClick(f.findChild<QLineEdit*>("Text10"), Qt::LeftButton);
    NyKontoForm& dlg = f.nyKontoForm();
    ASSERT_TRUE(dlg.isVisible());
    ASSERT_FALSE(f.isEnabled());
    QCloseEvent close;
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&f, &close));
    EXPECT_FALSE(close.isAccepted());
    EXPECT_EQ(fakes.end->ends, 0);
    EXPECT_TRUE(f.isVisible());
    // Once the dialog is cancelled the close box ends the program.
    QTest::mouseClick(dlg.findChild<QPushButton*>("Command2"), Qt::LeftButton);
    QCloseEvent again;
    EXPECT_THROW(QCoreApplication::sendEvent(&f, &again), ProgramEnded);
}

TEST_F(MainWindowTest, AStartThatFailsBeforeTheWindowShowsEnds) {
    // A file where the data folder should be: it cannot be made.
    QDir(dataFolder()).removeRecursively();
    writeFile(dataFolder(), "ingen mapp");
    fakes.messages->answers = {Answer::No}; // no error report
    form = std::make_unique<HeadForm>();
    EXPECT_THROW(form->Form_Load(), ProgramEnded);
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Felspec. = Path not found");
    EXPECT_FALSE(form->isVisible());
}

// ---- Accounts that cannot be opened ------------------------------------------------

TEST_F(MainWindowTest, AMissingPostingFileAtStartIsSaidAndAnotherAccountOpens) {
    twoAccounts(); // the settings name account 2
    QFile::remove(accountFile("Budget", "KontoData"));
    fakes.messages->answers = {Answer::No}; // no error report
    start();
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Felspec. = File not found");
    EXPECT_TRUE(fakes.messages->calls[0].text.contains("Kontot [Budget] kunde inte öppnas !"));
    EXPECT_EQ(Module1.KontoNum, 1);
    EXPECT_EQ(Module1.KontoNamn, "Hem");
    EXPECT_FALSE(QFile::exists(accountFile("Budget", "KontoData")));
}

TEST_F(MainWindowTest, AnUnwritableErrorLogLeavesTheAccountsOwnMessage) {
    twoAccounts();
    HeadForm& f = start();
    QDir().mkpath(path("ErrLog")); // the log cannot be appended to
    const struct {
        int item;
        std::function<void()> spoil;
        const char* title;
        const char* says;
        const char* openAfter;
    } cases[] = {
        {0, [] { QDir(accountFolder("Hem")).removeRecursively(); }, "Path not found",
         "Kontot hittas ej !", "Budget"},
        {1, [] { writeFile(accountFile("Budget", "KontoData"), ""); }, "Saknas Data",
         "Filen 'KontoData' i kontot [Budget]\ninnehåller inga data !", "Budget"},
    };
    for (const auto& c : cases) {
        c.spoil();
        fakes.messages->calls.clear();
        fakes.messages->answers = {Answer::No, Answer::No}; // no report, keep the name
        chooseAccount(f, c.item);
        const auto& calls = fakes.messages->calls;
        ASSERT_GE(calls.size(), 2u) << c.title;
        EXPECT_NE(calls[0].title, c.title) << "the log's failure is reported first";
        EXPECT_EQ(calls[1].title, c.title);
        EXPECT_TRUE(calls[1].text.contains(c.says)) << calls[1].text.toStdString();
        EXPECT_EQ(Module1.KontoNamn, c.openAfter);
    }
}

TEST_F(MainWindowTest, RegisterNamesOutsideTheDataFolderAreListedButNotOpened) {
    twoAccounts();
    FixtureAccount outside;
    outside.name = "../Utanför"; // the account folder of the fixture lands beside FynData
    outside.postings = {encodeRecord(test::enkel("2026-01-01", "1", "0", "0"))};
    test::writeAccount(outside, 3);
    const QByteArray outsideData = readFile(path("Utanför/KontoData"));
    QFile::link(path("Utanför"), accountFolder("Länk"));
    const struct {
        const char* name;
        const char* why;
    } cases[] = {
        {"../Utanför", "får inte börja med en punkt"},
        {"Länk", "symbolisk länk"},
        {"KontoIni", "upptaget av en av programmets egna filer"},
    };
    for (const auto& c : cases) {
        openRecordFile<KontoFilPost>(kontoFilPath())
            .put(3, KontoFilPost{c.name, "1", "Ek", "\\FynData\\"});
        const auto expectRefused = [&](const HeadForm& f) {
            ASSERT_EQ(fakes.messages->calls.size(), 1u) << c.name;
            const auto& said = fakes.messages->calls[0];
            EXPECT_EQ(said.title, "Ogiltigt kontonamn");
            EXPECT_TRUE(said.text.startsWith(QStringLiteral("Kontot [") + c.name +
                                             "] på plats 3 i kontoregistret"))
                << said.text.toStdString();
            EXPECT_TRUE(said.text.contains(QString::fromUtf8(c.why))) << said.text.toStdString();
            EXPECT_EQ(Module1.KontoNamn, "Hem") << c.name;
            EXPECT_EQ(f.Combo3->count(), 3); // still listed
            fakes.messages->calls.clear();
        };
        // At start-up the first account that can be opened is taken instead.
        test::writeKontoIni("3\r\nAnna\r\n");
        fakes.messages->calls.clear();
        HeadForm& f = start();
        expectRefused(f);
        // Chosen from the list, it is refused the same way.
        chooseAccount(f, 2);
        expectRefused(f);
        EXPECT_EQ(readFile(path("Utanför/KontoData")), outsideData);
    }
}

// The register's name field holds 35 bytes, and a data folder the original
// wrote may fill it: such an account opens and is chosen like any other.
TEST_F(MainWindowTest, AnAccountWhoseNameFillsTheRegistersFieldOpensAndIsChosen) {
    twoAccounts();
    FixtureAccount full;
    full.name = QString(34, QChar(0xE5)) + "x"; // "å": one byte each in the register
    full.postings = {encodeRecord(test::enkel("2026-01-01", "1", "0", "0")),
                     encodeRecord(test::enkel("2026-02-01", "2", "75", "75"))};
    test::writeAccount(full, 3);
    ASSERT_EQ(readFile(kontoFilPath()).mid(2 * 82, 35), QByteArray(34, '\xe5') + "x");
    test::writeKontoIni("3\r\nAnna\r\n");
    HeadForm& f = start();
    EXPECT_TRUE(fakes.messages->calls.empty()) << fakes.messages->calls[0].text.toStdString();
    EXPECT_EQ(Module1.KontoNum, 3);
    EXPECT_EQ(Module1.KontoNamn, full.name);
    EXPECT_EQ(Module1.AntalPoster, 2);
    EXPECT_EQ(f.Label16->text(), full.name);
    chooseAccount(f, 0);
    EXPECT_EQ(Module1.KontoNamn, "Hem");
    chooseAccount(f, 2);
    EXPECT_TRUE(fakes.messages->calls.empty());
    EXPECT_EQ(Module1.KontoNamn, full.name);
    EXPECT_TRUE(ledger::account().kontoData.isOpen());
}

TEST_F(MainWindowTest, TheRegistersFolderFieldOnlyShows) {
    twoAccounts();
    const RecordFile kontoFil = openRecordFile<KontoFilPost>(kontoFilPath());
    KontoFilPost hem = kontoFil.get<KontoFilPost>(1);
    hem.Sokvag = "\\Annan\\";
    kontoFil.put(1, hem);
    HeadForm& f = start();
    chooseAccount(f, 0);
    EXPECT_TRUE(fakes.messages->calls.empty());
    EXPECT_EQ(Module1.KontoNamn, "Hem");
    EXPECT_EQ(Module1.AntalPoster, 3);
}

} // namespace
