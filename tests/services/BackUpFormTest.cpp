// The backup dialog worked through the main window as a user works it: the
// menu item, the buttons, the drive and folder lists and the options pressed
// with the mouse, the questions answered from a script.
#include "services/BackUpForm.h"
#include "core/ErrorRoutine.h"
#include "core/PosFil.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "ledger/Account.h"
#include "mainwindow/NyKontoForm.h"
#include "mainwindow/WindowDriver.h"
#include "platform/ClickLabel.h"
#include "platform/Ui.h"
#include "platform/testing/PowerCut.h"
#include "services/BackupFixture.h"
#include "services/BackupOps.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace fyn;
using fyn::test::rec;
using fyn::test::treeOf;
using fyn::test::TreeSnapshot;
using platform::Answer;
using platform::Buttons;
using platform::DriveType;
using platform::Icon;
using platform::twips;

namespace {

// What a text box shows of a text with CR LF line breaks.
QString shown(QString text) {
    return text.replace("\r\n", "\n");
}

// A clock whose waits let the test act in the middle of them, once.
class ActingClock final : public platform::Clock {
public:
    std::function<void()> during;
    double seconds = 12 * 3600;
    QDate today() override { return {2026, 12, 9}; }
    QTime timeOfDay() override { return QTime::fromMSecsSinceStartOfDay(int(seconds * 1000)); }
    double secondsSinceMidnight() override { return seconds; }
    double monotonicSeconds() override { return seconds += 0.25; }
    void processEvents() override {
        if (auto act = std::exchange(during, nullptr))
            act();
    }
};

class BackUpDialog : public test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        installBackUpForm();
        fakes.clock->advancePerRead = 0.25; // the two seconds pass
        fakes.drives->drives = {{stick(), DriveType::Removable, true},
                                {cd.path() + "/", DriveType::CdRom, true},
                                {QStringLiteral("/kortläsare/"), DriveType::Removable, false},
                                {net.path() + "/", DriveType::Network, true},
                                {Module1.BaseFolder, DriveType::Fixed, true}};
    }
    void TearDown() override {
        if (BackUpForm* d = dialog())
            delete d;
        HeadForm::openBackUpForm = nullptr;
        WindowTest::TearDown();
    }

    QString stick() const { return stickDir.path() + "/"; }

    // The main window on the budget account Hushåll (and Resa beside it).
    void startProgram() {
        test::FixtureAccount resa;
        resa.name = "Resa";
        resa.postings = {rec(test::enkel("2026-03-01", "1", "0", "0"))};
        test::writeAccount(resa, 2);
        start(
            account("Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                           rec(test::budget("2026-02-01", "3", "-80", "-80", "-80", "-80", "0"))}));
    }

    BackUpForm* dialog() const {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<BackUpForm*>(w); d && d->isVisible())
                return d;
        return nullptr;
    }

    BackUpForm& open() {
        if (!form)
            startProgram();
        test::chooseMenuItem(form->menuBar(), form->Ark_mn, form->Bu_mn);
        BackUpForm* d = dialog();
        if (!d)
            throw std::runtime_error("the backup dialog did not open");
        return *d;
    }

    static void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    static void press(QRadioButton* o) {
        ASSERT_TRUE(o->isVisible());
        QTest::mouseClick(o, Qt::LeftButton);
    }
    static void press(QListWidget* list, const QString& text) {
        const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        ASSERT_TRUE(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items[0]).center());
    }
    static QStringList texts(QListWidget* list) {
        QStringList t;
        for (int i = 0; i < list->count(); ++i)
            t << list->item(i)->text();
        return t;
    }

    // A press on a backup folder, its question answered yes; the question is
    // then taken out of the record, which keeps what the restore itself said.
    void restoreFrom(BackUpForm& d, const QString& folder) {
        fakes.messages->answers.push_front(Answer::Yes); // the question comes first
        auto& calls = fakes.messages->calls;
        const size_t before = calls.size();
        press(d.Dir1, folder);
        ASSERT_GT(calls.size(), before);
        EXPECT_EQ(calls[before].title, "Återställ från BackUp ?");
        calls.erase(calls.begin() + qsizetype(before));
    }

    // Backups on the stick of the whole data folder and of the account, each
    // with one posting more than the account has; their posting file.
    QByteArray backupsWithAPostingMore() {
        backup::makeBackup(dataFolder(), stick(), "FynlarBU202612081000");
        backup::makeBackup(accountFolder("Hushåll"), stick(), "Hushåll202612081000");
        const QByteArray three =
            test::readFile(accountFile("Hushåll", "KontoData")) +
            rec(test::budget("2026-03-01", "3", "-5", "-5", "-85", "-85", "0"));
        for (const char* f :
             {"FynlarBU202612081000/Hushåll/KontoData", "Hushåll202612081000/KontoData"})
            test::writeFile(stick() + f, three);
        return three;
    }

    // Mode, the stick as drive (yes) and the scope (yes).
    void choose(BackUpForm& d, bool restore, bool thisAccount) {
        answer({Answer::Yes, Answer::Yes});
        click(restore ? d.Command4 : d.Command3);
        press(d.DrvList, stick());
        press(thisAccount ? d.Option1 : d.Option2);
    }
    void answer(std::initializer_list<Answer> a) {
        fakes.messages->answers.insert(fakes.messages->answers.end(), a);
    }
    // The boxes shown since the last call.
    std::vector<platform::testing::MessageCall> boxes() {
        std::vector<platform::testing::MessageCall> out(
            fakes.messages->calls.begin() + qsizetype(seen), fakes.messages->calls.end());
        seen = fakes.messages->calls.size();
        return out;
    }

    // The start layout: short, with only the mode buttons to press.
    static void expectStart(BackUpForm& d) {
        EXPECT_EQ(d.height(), twips(4108));
        EXPECT_EQ(d.Command1->y(), twips(2880));
        EXPECT_EQ(d.Command2->y(), twips(2880));
        EXPECT_FALSE(d.Command1->isEnabled());
        EXPECT_TRUE(d.Command3->isEnabled() && d.Command4->isEnabled());
        for (QWidget* w :
             std::initializer_list<QWidget*>{d.Label1, d.DrvList, d.Option1, d.Option2, d.Dir1})
            EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_EQ(d.Option1->x(), twips(1920));
    }

    // The data folder but the window places, which the dialog itself stores.
    static TreeSnapshot data() {
        TreeSnapshot t = treeOf(dataFolder());
        t.erase("PosFil");
        return t;
    }

    QTemporaryDir stickDir, cd, net;
};

TEST_F(BackUpDialog, OpensBesideTheMainWindowAndComesBackWhereItWasLeft) {
    BackUpForm& d = open();
    EXPECT_EQ(d.windowTitle(), "Backup / Äterställ");
    EXPECT_TRUE(d.isWindow());
    EXPECT_EQ(d.parentWidget(), nullptr);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(d.width(), twips(5010 + 1605)); // wider for the drive list
    expectStart(d);
    EXPECT_EQ(
        d.Text1->toPlainText(),
        shown("Programmets arbetsfiler kan säkerhetskopieras och förvaras på annan hårddisk "
              "eller på ett USB-minne !\r\nOm USB-minne föredras, ska detta sättas in i "
              "avsedd port. Därefter klickas på kommandoknappen 'BackUp !\r\n\r\nHar filerna "
              "tidigare säkerhetskopierats, kan de med några klick återställas, i de fall "
              "någon eller några har skadats eller efter en ominstallation av programmet."
              "\r\nDet är fördelaktigt om säkerhetskopiorna då är någorlunda aktuella !\r\n"
              "\r\nMed nedanstående kontrollknappar kan väljas 'BackUp' eller 'Återställ' !"));
    // The first opening stores its place at once, in pair 3 and 4.
    auto stored = [] {
        const PosFilPost p = openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1);
        return QPoint(p.Pos[2].toInt(), p.Pos[3].toInt());
    };
    EXPECT_EQ(stored(), d.pos() * 15);

    d.move(QPoint(120, 90));
    const QPoint moved = d.pos();
    click(d.Command2);
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_EQ(stored(), moved * 15);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    BackUpForm& again = open();
    EXPECT_EQ(again.pos(), moved);
    again.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &again);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &again, Qt::Key_Escape);
    EXPECT_EQ(dialog(), nullptr);
}

TEST_F(BackUpDialog, EachModeListsTheReadyDrivesAndAsksAboutThePressedOne) {
    BackUpForm& d = open();
    struct Mode {
        bool restore;
        const char* instructions;
        const char* banner;
        int optionLeft;
        const char* removable;
        const char* network;
        const char* fixed;
        const char* question;
        Buttons buttons;
        Answer refusal;
    } modes[] = {
        {false,
         "Listan visar samtliga drive-enheter användbara för kopiering, inklusive ev. USB-enhet."
         "\r\nKlicka i listan på den enhet som avses för säkerhetskopieringen.\r\n\r\n",
         "Vänta !\r\nSäkerhets-\r\nkopiering...", 240,
         "Den valda driveenheten är flyttbar (ex. USB) !",
         "Driveenheten är ansluten till annan dator i nätverket\r\noch därmed kanske inte "
         "tillgänglig f n (?)",
         "Driveenheten är en hårddiskdrive (HDD) i denna dator.",
         "Använd denna diskenhet för BackUp ?", Buttons::YesNo, Answer::No},
        {true,
         "Listan nedan visar möjliga drive-enheter för tidigare utförd BackUp,  inkl. ev. "
         "USB-enhet.\r\nKlicka i listan på antagen enhetsbeteckning !\r\n\r\nEn sammanställning "
         "visas av enhetens katalogstruktur, där någon av de tidigare skapade BackUp-katalogerna "
         "bör återfinnas !\r\n\r\n",
         "Vänta !\r\nÅterställning...", 3360 + 1605,
         "Den valda diskenheten är flyttbar (ex. USB) !",
         "Diskenheten är ansluten till annan dator i nätverket\r\noch därmed kanske inte "
         "tillgänglig f n (?)",
         "Diskenheten är en hårddiskdrive (HDD) i denna dator.",
         "Använd denna diskenhet för Återställning ?", Buttons::YesNoCancel, Answer::Cancel},
    };
    for (const Mode& m : modes) {
        click(m.restore ? d.Command4 : d.Command3);
        EXPECT_EQ(d.BackupMode, m.restore ? "RE" : "BU");
        EXPECT_EQ(d.Text1->toPlainText(), shown(QString::fromUtf8(m.instructions)));
        EXPECT_FALSE(d.Label2->isVisible());
        EXPECT_EQ(d.Label2->text(), QString::fromUtf8(m.banner));
        EXPECT_EQ(d.height(), twips(4950));
        EXPECT_EQ(d.Command1->y(), twips(4320));
        EXPECT_TRUE(d.Command1->isEnabled());
        EXPECT_FALSE(d.Command3->isEnabled() || d.Command4->isEnabled());
        EXPECT_EQ(d.Option1->x(), twips(m.optionLeft));
        EXPECT_FALSE(d.Option1->isVisible());
        // No CD-ROM, no drive that is not ready.
        EXPECT_EQ(texts(d.DrvList), (QStringList{stick(), net.path() + "/", Module1.BaseFolder}));
        const std::pair<QString, const char*> drives[] = {
            {stick(), m.removable}, {net.path() + "/", m.network}, {Module1.BaseFolder, m.fixed}};
        for (const auto& [root, line] : drives) {
            answer({m.refusal});
            press(d.DrvList, root);
            const auto shownBoxes = boxes();
            ASSERT_EQ(shownBoxes.size(), 1u);
            EXPECT_EQ(shownBoxes[0].text,
                      QString::fromUtf8(line) + "\r\n\r\n" + QString::fromUtf8(m.question));
            EXPECT_EQ(shownBoxes[0].title, "Vald diskenhet ?");
            EXPECT_EQ(shownBoxes[0].buttons, m.buttons);
            EXPECT_EQ(shownBoxes[0].icon, Icon::None);
            // Refused (Cancel as No): the options stay away, the mode stays.
            EXPECT_FALSE(d.Option1->isVisible());
            EXPECT_EQ(d.BackupMode, m.restore ? "RE" : "BU");
        }
        // The keyboard picks as the mouse does; yes shows the scope to choose.
        answer({Answer::Yes});
        d.DrvList->setCurrentRow(0);
        QTest::keyClick(d.DrvList, Qt::Key_Return);
        const auto chosen = boxes();
        ASSERT_EQ(chosen.size(), 2u);
        EXPECT_EQ(chosen[1].text,
                  "Markera ett av alternativen 'Detta konto' eller 'Alla konton' !");
        EXPECT_EQ(chosen[1].title,
                  m.restore ? "Välj återställningens omfattning !" : "Välj BackUp-omfattning");
        EXPECT_EQ(d.BackupDrive, stick());
        EXPECT_TRUE(d.Option1->isVisible() && d.Option2->isVisible());
        EXPECT_FALSE(d.Option1->isChecked() || d.Option2->isChecked());

        click(d.Command1); // "Avbryt" keeps the mode and the drive
        expectStart(d);
        EXPECT_EQ(d.BackupMode, m.restore ? "RE" : "BU");
        EXPECT_EQ(d.BackupDrive, stick());
        EXPECT_EQ(d.Text1->toPlainText(),
                  shown("Det finns möjligheter att säkerhetskopiera de arbetsfiler som programmet "
                        "använder, och förvara dem på annan hårddisk, eller på ett USB-minne.\r\n"
                        "Föredrar du USB-minne, sätter du in detta i avsedd port !\r\n\r\nOm du "
                        "tidigare har säkerhetskopierat filerna, kan du med några klick återställa "
                        "dem, för den händelse att någon eller några blivit skadade, eller efter "
                        "ett byte av dator.\r\nViktigt är då att din backup är någorlunda aktuell "
                        "!\r\n\r\nVia nedanstående kontroller kan du välja 'BackUp' eller "
                        "'Återställ' !"));
    }
}

// After midnight in a run begun the day before, the stamp is still today's.
TEST_F(BackUpDialog, EachScopeIsBackedUpToTheStampedFolder) {
    BackUpForm& d = open();
    fakes.clock->date = QDate(2026, 12, 10);
    ASSERT_EQ(Module1.DagensDatum, "2026-12-09");
    struct Scope {
        bool thisAccount;
        QString folder;
        QString source;
        QString question;
        QString result;
    } scopes[] = {
        {true, "Hushåll202612101200", accountFolder("Hushåll"),
         "Är diskenhet" + stick() + " för säkerhetskopieringen av kontot 'Hushåll' OK ?",
         "En säkerhetskopia av Hushåll, försedd med datum och klockslag,  har nu skapats på den "
         "angivna drive-enheten, (" +
             stick() + ")"},
        {false, "FynlarBU202612101200", dataFolder(),
         "Är diskenhet " + stick() + " för säkerhetskopieringen av samtliga konton OK ?",
         "En säkerhetskopia av samtliga konton,\nFynlarBU202612101200\nförsedd med datum och "
         "klockslag,  har nu skapats på den angivna drive-enheten, (" +
             stick() + ")"},
    };
    for (const Scope& s : scopes) {
        boxes();
        choose(d, false, s.thisAccount);
        const auto asked = boxes();
        ASSERT_EQ(asked.size(), 3u);
        EXPECT_EQ(asked[2].text, s.question);
        EXPECT_EQ(asked[2].title, "Lagringsenhet");
        EXPECT_EQ(asked[2].buttons, Buttons::YesNo);
        // Hidden files (the journal, the lock) are no part of a backup.
        TreeSnapshot source = treeOf(s.source);
        EXPECT_EQ(treeOf(stick() + s.folder, true), source);
        EXPECT_EQ(d.Text1->toPlainText(), s.result);
        expectStart(d);
        EXPECT_FALSE(d.Label2->isVisible());
        EXPECT_TRUE(d.Label2->text().isEmpty());
        EXPECT_TRUE(d.isEnabled() && form->isEnabled());
    }
    EXPECT_EQ(d.BackupTarget, stick() + "FynlarBU202612101200");
}

TEST_F(BackUpDialog, EachScopeIsRestoredFromThePressedFolderAndTheAccountReopened) {
    startProgram();
    // Backups that differ from the data: one posting more, another user.
    const QByteArray three = backupsWithAPostingMore();
    test::writeFile(stick() + "FynlarBU202612081000/KontoIni", "1\r\nBerit\r\n");
    QDir().mkpath(stick() + "Semester");

    struct Scope {
        bool thisAccount;
        QString folder;
        QString question;
        QString target;
    } scopes[] = {
        {true, "Hushåll202612081000",
         "\r\n\r\nÄr diskenhet " + stick() + " för återställning av kontot 'Hushåll'  OK ?",
         accountFolder("Hushåll")},
        {false, "FynlarBU202612081000",
         "\r\n\r\nÄr diskenhet " + stick() +
             " för återställning av säkerhetskopierade konton  OK ?",
         dataFolder()},
    };
    for (const Scope& s : scopes) {
        BackUpForm& d = open();
        boxes();
        choose(d, true, s.thisAccount);
        auto asked = boxes();
        ASSERT_EQ(asked.size(), 4u);
        EXPECT_EQ(asked[2].text, s.question);
        EXPECT_EQ(asked[3].text, "Klicka på den avsedda BackUp-katalogen !");
        EXPECT_EQ(asked[3].title, "Välj ut BackUp !");
        EXPECT_TRUE(d.Dir1->isVisible());
        EXPECT_EQ(texts(d.Dir1),
                  (QStringList{"FynlarBU202612081000", "Hushåll202612081000", "Semester"}));
        EXPECT_EQ(d.RestoreScope, s.thisAccount ? "1" : "0");

        restoreFrom(d, s.folder);
        asked = boxes();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].text, "Säkerhetskopierade arbetsfiler från BackUp, är nu återställda "
                                 "till registerkatalogen !\r\n\r\nStarta om programmet  för att "
                                 "läsa in alla filer ! !");
        EXPECT_EQ(asked[0].title, "Återställning utförd");
        EXPECT_EQ(asked[0].icon, Icon::Information);
        EXPECT_EQ(dialog(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        TreeSnapshot restored = treeOf(stick() + s.folder);
        TreeSnapshot now = treeOf(s.target);
        restored.erase("PosFil");
        now.erase("PosFil");
        EXPECT_EQ(now, restored);
        // The main window shows the restored postings, from files opened anew.
        EXPECT_TRUE(ledger::account().kontoData.isOpen());
        EXPECT_EQ(Module1.AntalPoster, 3);
        EXPECT_TRUE(form->isEnabled());
    }
    EXPECT_EQ(Module1.AnvNamn, "Berit"); // the restored settings were read
}

// A press on a backup folder asks before it replaces anything, naming the
// folder, when it was made, the account or every account, and that the present
// files are replaced; no leaves the choice standing as it was.
TEST_F(BackUpDialog, APressOnABackupFolderAsksBeforeAnythingIsReplaced) {
    startProgram();
    const QByteArray three = backupsWithAPostingMore();
    const struct {
        bool thisAccount;
        QString folder;
        QString whose;
    } scopes[] = {{true, "Hushåll202612081000", "kontot 'Hushåll'"},
                  {false, "FynlarBU202612081000", "alla konton"}};
    for (const auto& s : scopes) {
        SCOPED_TRACE(s.folder.toStdString());
        test::writeFile(accountFile("Hushåll", "KontoData"), three.left(2 * 77));
        form->Konto_Konfig();
        ASSERT_EQ(Module1.AntalPoster, 2);
        BackUpForm& d = open();
        choose(d, true, s.thisAccount);
        boxes();
        const TreeSnapshot before = data();
        answer({Answer::No});
        press(d.Dir1, s.folder);
        auto asked = boxes();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].title, "Återställ från BackUp ?");
        EXPECT_EQ(asked[0].buttons, Buttons::YesNo);
        for (const QString& part :
             {s.folder, stick() + s.folder, s.whose, QStringLiteral("2026-12-08 kl. 10:00"),
              QStringLiteral("ersätts")})
            EXPECT_TRUE(asked[0].text.contains(part)) << part.toStdString() << " not in\n"
                                                      << asked[0].text.toStdString();
        // No: still choosing the folder, nothing changed.
        EXPECT_EQ(data(), before);
        EXPECT_EQ(dialog(), &d);
        EXPECT_TRUE(d.Dir1->isVisible() && d.DrvList->isVisible());
        EXPECT_EQ(d.RestoreScope, s.thisAccount ? "1" : "0");
        EXPECT_TRUE((s.thisAccount ? d.Option1 : d.Option2)->isChecked());
        EXPECT_FALSE(d.Label2->isVisible());
        EXPECT_TRUE(d.isEnabled() && form->isEnabled());
        EXPECT_TRUE(ledger::account().kontoData.isOpen());
        EXPECT_EQ(Module1.AntalPoster, 2);
        // Yes: restored, and said so.
        answer({Answer::Yes});
        press(d.Dir1, s.folder);
        asked = boxes();
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_EQ(asked[0].title, "Återställ från BackUp ?");
        EXPECT_EQ(asked[1].title, "Återställning utförd");
        EXPECT_EQ(dialog(), nullptr);
        EXPECT_EQ(test::readFile(accountFile("Hushåll", "KontoData")), three);
        EXPECT_EQ(Module1.AntalPoster, 3);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A restore that stands but whose files cannot be synced afterwards says that,
// once: the restore stands, the sync failed, and what to do.
TEST_F(BackUpDialog, ARestoreWhoseFinalSyncFailsSaysWhatHappenedOnce) {
    namespace sw = fyn::safewrite_testing;
    startProgram();
    backup::makeBackup(accountFolder("Hushåll"), stick(), "Hushåll202612081000");
    const QString data = accountFile("Hushåll", "KontoData");
    const QByteArray two = test::readFile(data);
    const QByteArray three =
        two + rec(test::budget("2026-03-01", "3", "-5", "-5", "-85", "-85", "0"));
    test::writeFile(stick() + "Hushåll202612081000/KontoData", three);
    auto restore = [&] {
        test::writeFile(data, two);
        checkpoint();
        BackUpForm& d = open();
        choose(d, true, true);
        boxes();
        restoreFrom(d, "Hushåll202612081000");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    // The checkpoint's last steps, counted back from the last write point the
    // restore passes: the last file's sync, then the journal's new head
    // written and synced.
    struct Failing {
        int fromEnd;
        bool filesSynced; // all on disk before it failed
    };
    for (const Failing f : {Failing{4, false}, Failing{2, true}, Failing{1, true}}) {
        SCOPED_TRACE(f.fromEnd);
        startProgram();
        // As it goes, twice (the first stores the dialog's place as well).
        restore();
        sw::armCrash(-1, false);
        restore();
        const int points = sw::pointsPassed();
        ASSERT_EQ(boxes().size(), 1u);
        sw::armFailure({points - f.fromEnd}, EIO);
        restore();
        sw::armCrash(-1, false);
        const auto told = boxes();
        ASSERT_EQ(told.size(), 1u) << "more than one thing said";
        EXPECT_EQ(told[0].title, "Återställning utförd");
        EXPECT_EQ(told[0].icon, Icon::Warning);
        EXPECT_EQ(told[0].buttons, Buttons::Ok);
        for (const char* part : {"är nu återställda", "kunde inte skrivas färdigt till disken",
                                 "Device I/O error", "starta om"})
            EXPECT_TRUE(told[0].text.contains(QString::fromUtf8(part))) << part;
        EXPECT_EQ(test::readFile(data), three);
        // The restore stands: the next start writes it again from the journal
        // where its writes may not have reached the disk, and finds nothing
        // amiss where they had.
        ledger::account().closeAll();
        if (!f.filesSynced)
            test::writeFile(data, two);
        setJournalPath(journalPath());
        recoverJournal();
        EXPECT_EQ(test::readFile(data), three);
        EXPECT_TRUE(boxes().empty()) << "the start said something";
    }
}

// A restore whose entry the disk takes but whose syncs it refuses, the one of
// the cut that would take it back among them: the restore lives only in the
// program's memory. Its box says so, and that it is lost if the program ends
// first; none promises it to a later start.
TEST_F(BackUpDialog, ARestoreOnlyInMemorySaysItIsLostIfTheProgramEndsFirst) {
    startProgram();
    backup::makeBackup(accountFolder("Hushåll"), stick(), "Hushåll202612081000");
    const QString data = accountFile("Hushåll", "KontoData");
    const QByteArray two = test::readFile(data);
    test::writeFile(stick() + "Hushåll202612081000/KontoData",
                    two + rec(test::budget("2026-03-01", "3", "-5", "-5", "-85", "-85", "0")));
    BackUpForm& d = open();
    choose(d, true, true);
    boxes();
    platform::testing::PowerCutInstalled disk;
    // The checkpoint before the restore syncs the journal's head; every later sync fails.
    int journalSyncs = 0;
    disk->fault = [&](platform::testing::PowerCut::Op op, const QString& p) {
        return op == platform::testing::PowerCut::Op::Sync && p.endsWith("/.journal") &&
                       journalSyncs++ > 0
                   ? EIO
                   : 0;
    };
    fakes.messages->answers = {Answer::No}; // no error report when the account reopens
    restoreFrom(d, "Hushåll202612081000");
    const auto told = boxes();
    // Its box comes last; the account reopened between is refused its files.
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0].title, "Ändringen är inte säkert sparad");
    EXPECT_EQ(told[1].title, "Felspec. = Device I/O error");
    EXPECT_EQ(told[2].title, "Återställningen är inte sparad");
    for (const auto& box : {told[1], told[2]})
        EXPECT_TRUE(box.text.contains("bara i programmets minne och går förlorad om programmet "
                                      "avslutas"))
            << box.text.toStdString();
    for (const auto& box : told)
        for (const char* promise : {"senast när programmet startar", "nästa gång"})
            EXPECT_FALSE(box.text.contains(QString::fromUtf8(promise))) << box.text.toStdString();
    EXPECT_EQ(test::readFile(data), two);
}

TEST_F(BackUpDialog, OnlyAFolderNamedExactlyAsABackupOfTheScopeIsFound) {
    BackUpForm& d = open();
    for (const char* f : {"Hushållet202612091200", "Hushåll2026120912", "FynlarBU2026",
                          "FynlarBUx202612091200", ".FynlarBU202612091200.partial"})
        QDir().mkpath(stick() + QString::fromUtf8(f));
    const std::pair<bool, const char*> scopes[] = {
        {true, "Vald diskenhet innehåller tyvärr ingen användbar BackUp för återställn. !"},
        {false, "Vald enhet innehåller tyvärr ingen användbar BackUp för återställn. !"}};
    for (const auto& [thisAccount, said] : scopes) {
        boxes();
        choose(d, true, thisAccount);
        const auto asked = boxes();
        ASSERT_EQ(asked.size(), 4u);
        EXPECT_EQ(asked[3].text, QString::fromUtf8(said));
        EXPECT_EQ(asked[3].title, "Felvald drive-enhet");
        EXPECT_EQ(asked[3].icon, Icon::Information);
        EXPECT_FALSE(d.Dir1->isVisible());
        EXPECT_TRUE(d.RestoreScope.isEmpty());
        click(d.Command1);
    }
}

TEST_F(BackUpDialog, AFolderThatIsNoBackupOfTheAccountChangesNothing) {
    startProgram();
    backup::makeBackup(accountFolder("Hushåll"), stick(), "Hushåll202612081000");
    QDir().mkpath(stick() + "Semester");
    test::writeFile(stick() + "Semester/bild.jpg", "jpeg");
    backup::makeBackup(accountFolder("Hushåll"), stick(), "Kopia");
    const TreeSnapshot before = data();

    BackUpForm& d = open();
    choose(d, true, true);
    boxes();
    // A press beside the entries is no choice.
    QTest::mouseClick(d.Dir1->viewport(), Qt::LeftButton, {},
                      QPoint(5, d.Dir1->viewport()->height() - 3));
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(d.Dir1->isVisible());
    restoreFrom(d, "Semester");
    auto asked = boxes();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Felvald BackUp-katalog");
    EXPECT_EQ(asked[0].text, "Vald katalog är ingen BackUp av kontot 'Hushåll' !\r\n\r\nFilen "
                             "'KontoData' finns inte i katalogen.\r\n\r\nIngenting har "
                             "återställts.");
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_EQ(data(), before);
    EXPECT_TRUE(ledger::account().kontoData.isOpen());

    // A renamed copy may be the user's own: asked, and no leaves it.
    BackUpForm& again = open();
    choose(again, true, true);
    boxes();
    answer({Answer::No});
    restoreFrom(again, "Kopia");
    asked = boxes();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Kontrollera BackUp-katalog");
    EXPECT_TRUE(asked[0].text.startsWith("Katalogen Kopia har inte namnet på en BackUp av kontot "
                                         "'Hushåll'"));
    EXPECT_EQ(data(), before);
}

TEST_F(BackUpDialog, ARestoreOfEveryAccountAsksForEachAccountTheBackupLacks) {
    startProgram();
    backup::makeBackup(dataFolder(), stick(), "FynlarBU202612081000");
    QDir(stick() + "FynlarBU202612081000/Resa").removeRecursively();
    const TreeSnapshot before = data();
    const QString question = "Vald BackUp-mapp saknar kontokatalogen Resa !\r\nAnledning: Fel "
                             "BackUp-mapp kan vara vald ?\r\n\r\nVill du fortsätta återställning "
                             "från denna BackUp-mapp ?";
    for (Answer a : {Answer::No, Answer::Yes}) {
        BackUpForm& d = open();
        choose(d, true, false);
        boxes();
        answer({a});
        restoreFrom(d, "FynlarBU202612081000");
        const auto asked = boxes();
        ASSERT_GE(asked.size(), 1u);
        EXPECT_EQ(asked[0].text, question);
        EXPECT_EQ(asked[0].title, "Saknad kontokatalog i BackUp");
        EXPECT_EQ(asked[0].buttons, Buttons::YesNo);
        EXPECT_EQ(asked.size(), a == Answer::No ? 1u : 2u); // then the completion
        // Either way the account that only the data folder has stays.
        EXPECT_EQ(data(), before);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(BackUpDialog, AnotherDriveOrANoDropsTheFolderList) {
    startProgram();
    backup::makeBackup(dataFolder(), stick(), "FynlarBU202612081000");
    BackUpForm& d = open();
    choose(d, true, false);
    ASSERT_TRUE(d.Dir1->isVisible());
    for (Answer a : {Answer::Cancel, Answer::Yes}) {
        answer({a});
        press(d.DrvList, stick());
        EXPECT_FALSE(d.Dir1->isVisible());
        EXPECT_TRUE(d.RestoreScope.isEmpty());
        EXPECT_EQ(d.BackupMode, "RE");
        EXPECT_EQ(d.Option1->isVisible(), a == Answer::Yes);
        EXPECT_FALSE(d.Option2->isChecked());
    }
}

TEST_F(BackUpDialog, ADriveGoneBeforeItsFoldersAreListedIsReported) {
    BackUpForm& d = open();
    answer({Answer::Yes, Answer::Yes, Answer::No}); // no error report
    click(d.Command4);
    press(d.DrvList, stick());
    ASSERT_TRUE(QDir(stick()).removeRecursively());
    boxes();
    press(d.Option2);
    const auto asked = boxes();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].title, "Felspec. = Path not found");
    EXPECT_TRUE(Module1.FelText.startsWith("Ett fel har uppstått i subrutinen Option2_MouseDown"));
    EXPECT_FALSE(d.Dir1->isVisible());
    EXPECT_TRUE(d.Option2->isVisible() && d.DrvList->isVisible()); // still choosing
}

TEST_F(BackUpDialog, ThisAccountNeedsAnOpenAccount) {
    BackUpForm& d = open();
    ledger::account().closeAll(); // as when no account could be opened
    answer({Answer::Yes});
    click(d.Command3);
    press(d.DrvList, stick());
    boxes();
    press(d.Option1);
    const auto asked = boxes();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Inget inloggat konto");
    EXPECT_FALSE(d.Option1->isChecked());
    EXPECT_TRUE(treeOf(stick(), true).empty());
}

TEST_F(BackUpDialog, AnAccountSwitchedBeforeTheFolderPressRestoresNothing) {
    startProgram();
    backup::makeBackup(accountFolder("Hushåll"), stick(), "Hushåll202612081000");
    const TreeSnapshot before = data();
    BackUpForm& d = open();
    choose(d, true, true);
    ASSERT_TRUE(d.Dir1->isVisible());
    form->Combo3->setCurrentIndex(form->Combo3->findData(2));
    emit form->Combo3->activated(form->Combo3->currentIndex());
    ASSERT_EQ(Module1.KontoNamn, "Resa");
    boxes();
    press(d.Dir1, "Hushåll202612081000");
    const auto asked = boxes();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Kontot har bytts");
    EXPECT_EQ(data(), before);
    EXPECT_FALSE(d.Dir1->isVisible());
    EXPECT_EQ(dialog(), &d);
}

// Another dialog of the main window (a name dialog, say) holds the account's
// state: no restore runs under it.
TEST_F(BackUpDialog, NoRestoreRunsWhileAnotherWindowHoldsTheMainWindow) {
    startProgram();
    backup::makeBackup(dataFolder(), stick(), "FynlarBU202612081000");
    BackUpForm& d = open();
    choose(d, true, false);
    form->setEnabled(false);
    boxes();
    press(d.Dir1, "FynlarBU202612081000");
    const auto asked = boxes();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Återställning");
    EXPECT_TRUE(d.Dir1->isVisible());
    EXPECT_FALSE(form->isEnabled());
    form->setEnabled(true);
    restoreFrom(d, "FynlarBU202612081000");
    EXPECT_EQ(boxes().at(0).title, "Återställning utförd");
}

TEST_F(BackUpDialog, NothingIsPressedWhileAnOperationRuns) {
    BackUpForm& d = open();
    auto clock = std::make_unique<ActingClock>();
    ActingClock* c = clock.get();
    platform::setClock(std::move(clock));
    bool acted = false;
    c->during = [&] {
        acted = true;
        EXPECT_FALSE(d.isEnabled());
        EXPECT_FALSE(form->isEnabled()); // no other account can be chosen meanwhile
        d.close();
        d.Command2_Click();
        d.Option2_MouseDown();
        d.Command1_Click();
        EXPECT_TRUE(d.isVisible());
    };
    choose(d, false, true);
    EXPECT_TRUE(acted);
    EXPECT_EQ(fakes.messages->calls.size(), 3u); // drive, scope message, scope question
    EXPECT_EQ(treeOf(stick()).count("Hushåll202612091200"), 1u);
    EXPECT_EQ(treeOf(stick()).count("FynlarBU202612091200"), 0u);
    EXPECT_EQ(dialog(), &d);
    EXPECT_TRUE(d.isEnabled() && form->isEnabled());
}

TEST_F(BackUpDialog, AFailedBackupIsReportedAndLeavesNoFolder) {
    BackUpForm& d = open();
    fakes.fileWrites->failAfterBytes = 50;
    answer({Answer::Yes, Answer::Yes, Answer::No}); // no error report
    click(d.Command3);
    press(d.DrvList, stick());
    boxes();
    press(d.Option1);
    const auto asked = boxes();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].title, "Felspec. = Disk full");
    EXPECT_EQ(Module1.FelText, "Ett fel har uppstått i subrutinen KontoBackUp\nvid försök göra "
                               "backup inloggat konto.\nKontoNum = 1\nBackUp-media = " +
                                   stick() +
                                   "Hushåll202612091200\nDen ofullständiga kopian är borttagen, "
                                   "så ingen BackUp har skapats.\n\n");
    test::expectDump({"Fel i rutinen KontoBackUp", "vid försök göra backup på inloggat konto.",
                      "Kontonum = 1", "BackUp-media = " + stick() + "Hushåll202612091200"});
    EXPECT_TRUE(treeOf(stick(), true).empty());
    // The choices stay on screen; "Avbryt" leads back.
    EXPECT_TRUE(d.DrvList->isVisible() && d.Option1->isVisible() && d.Label2->isVisible());
    click(d.Command1);
    expectStart(d);
}

// A data folder the original wrote may name an account with all 35 bytes of
// the register's field: it opens, is backed up and comes back whole.
TEST_F(BackUpDialog, AnAccountWhoseNameFillsTheRegisterIsBackedUpAndRestoredWhole) {
    const QString full = QString(34, QChar(0xE5)) + "x";
    test::FixtureAccount a;
    a.name = full;
    a.postings = {rec(test::enkel("2026-03-01", "1", "0", "0")),
                  rec(test::enkel("2026-03-02", "2", "40", "40"))};
    test::writeAccount(a, 2);
    startProgram();           // Hushåll in slot 1, Resa written over slot 2 ...
    test::writeAccount(a, 2); // ... and the full name back in it
    form->Combo3->clear();
    form->Inläs_Kontofil();
    form->Combo3->setCurrentIndex(form->Combo3->findData(2));
    emit form->Combo3->activated(form->Combo3->currentIndex());
    ASSERT_EQ(Module1.KontoNamn, full);
    ASSERT_TRUE(ledger::account().kontoData.isOpen());
    test::writeKontoIni("2\r\nAnna\r\n"); // what the program keeps at its exit
    boxes();

    for (bool thisAccount : {true, false}) {
        BackUpForm& d = open();
        choose(d, false, thisAccount);
        EXPECT_EQ(boxes().size(), 3u); // drive, scope, question: nothing refused
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        click(d.Command2);
    }
    const QString one = full + "202612091200";
    const TreeSnapshot kept = treeOf(stick() + one);
    ASSERT_EQ(kept, treeOf(accountFolder(full)));
    ASSERT_EQ(treeOf(stick() + "FynlarBU202612091200").count(full + "/KontoData"), 1u);

    const QByteArray three = test::readFile(accountFile(full, "KontoData")) +
                             rec(test::enkel("2026-03-03", "3", "-5", "35"));
    test::writeFile(accountFile(full, "KontoData"), three);
    for (const QString& folder : {one, QStringLiteral("FynlarBU202612091200")}) {
        test::writeFile(accountFile(full, "KontoData"), three);
        BackUpForm& d = open();
        choose(d, true, folder == one);
        boxes();
        restoreFrom(d, folder);
        const auto asked = boxes();
        ASSERT_EQ(asked.size(), 1u) << asked[0].text.toStdString();
        EXPECT_EQ(asked[0].title, "Återställning utförd");
        EXPECT_EQ(treeOf(accountFolder(full)), kept);
        EXPECT_EQ(Module1.KontoNamn, full);
        EXPECT_EQ(Module1.AntalPoster, 2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A stick cannot hold "Bil?", nor "HUSHÅLL" beside "Hushåll": said before
// anything is copied, with the account, instead of an error report after.
TEST_F(BackUpDialog, ANameTheStickCannotHoldIsRefusedUpFront) {
    startProgram();
    test::FixtureAccount bil;
    bil.name = "Bil?";
    bil.postings = {rec(test::enkel("2026-03-01", "1", "0", "0"))};
    test::writeAccount(bil, 3);
    form->Combo3->clear();
    form->Inläs_Kontofil();
    form->Combo3->setCurrentIndex(form->Combo3->findData(3));
    emit form->Combo3->activated(form->Combo3->currentIndex());
    ASSERT_EQ(Module1.KontoNamn, "Bil?");
    boxes();
    for (bool thisAccount : {true, false}) {
        BackUpForm& d = open();
        answer({Answer::Yes});
        click(d.Command3);
        press(d.DrvList, stick());
        boxes();
        press(thisAccount ? d.Option1 : d.Option2);
        const auto asked = boxes();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].title, "Namn som drive-enheten inte rymmer");
        EXPECT_EQ(asked[0].buttons, Buttons::Ok);
        EXPECT_TRUE(asked[0].text.contains("Kontot 'Bil?'")) << asked[0].text.toStdString();
        EXPECT_TRUE(asked[0].text.contains("'?'"));
        EXPECT_FALSE(d.Option1->isChecked() || d.Option2->isChecked());
        EXPECT_TRUE(treeOf(stick(), true).empty());
        EXPECT_TRUE(Module1.FelText.isEmpty());
        click(d.Command2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The disk of the program takes the name: the backup is made there.
    BackUpForm& d = open();
    answer({Answer::Yes, Answer::Yes});
    click(d.Command3);
    press(d.DrvList, Module1.BaseFolder);
    press(d.Option1);
    EXPECT_TRUE(QFileInfo(Module1.BaseFolder + "Bil?202612091200/KontoData").isFile());
    click(d.Command2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Two accounts a case apart cannot both go to the stick.
    QDir(accountFolder("Bil?")).removeRecursively();
    test::blankSlot(3);
    QDir().mkpath(accountFolder("HUSHÅLL"));
    BackUpForm& again = open();
    answer({Answer::Yes});
    click(again.Command3);
    press(again.DrvList, stick());
    boxes();
    press(again.Option2);
    const auto asked = boxes();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text.contains("'HUSHÅLL'") && asked[0].text.contains("'Hushåll'"))
        << asked[0].text.toStdString();
    EXPECT_TRUE(treeOf(stick(), true).empty());
}

// A restore chosen while the main window is entering, marking or moving ends
// that first through the window's own cancel: afterwards nothing of the main
// window stays locked.
TEST_F(BackUpDialog, ARestoreBegunDuringAWorkModeLeavesEveryControlUsable) {
    // The other windows' entries, so that their items and buttons are live.
    const auto saved = std::make_tuple(HeadForm::openDonateForm, HeadForm::openUtskrStatForm,
                                       HeadForm::openBudgAltForm);
    HeadForm::openDonateForm = HeadForm::openUtskrStatForm =
        HeadForm::openBudgAltForm = [](HeadForm&) {};
    struct PutBack {
        decltype(saved)& s;
        ~PutBack() {
            std::tie(HeadForm::openDonateForm, HeadForm::openUtskrStatForm,
                     HeadForm::openBudgAltForm) = s;
        }
    } putBack{saved};
    startProgram();
    backup::makeBackup(accountFolder("Hushåll"), stick(), "Hushåll202612081000");
    const struct {
        const char* mode;
        std::function<void()> begin;
    } modes[] = {
        {"cbonomark", [&] { pick("Uttag"); }},
        {"mkg2", [&] { clickRow(1); }},
        {"Fl", [&] { QTest::mouseClick(form->Command2, Qt::LeftButton); }},
        {"chg",
         [&] {
             clickRow(1);
             QTest::keyClick(form->BudgBel_Budget, Qt::Key_9);
         }},
    };
    for (const auto& m : modes) {
        SCOPED_TRACE(m.mode);
        BackUpForm& d = open(); // opened while the window was idle
        m.begin();
        ASSERT_EQ(Module1.Avb, m.mode);
        choose(d, true, true);
        boxes();
        restoreFrom(d, "Hushåll202612081000");
        ASSERT_EQ(boxes().at(0).title, "Återställning utförd");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        EXPECT_TRUE(Module1.Avb.isEmpty());
        EXPECT_EQ(form->Command3->text(), "Avbryt");
        EXPECT_EQ(form->Command2->text(), "Flytta");
        for (QWidget* w : std::initializer_list<QWidget*>{
                 form->Combo3, form->Label22, form->Picture1, form->Command14, form->Command2,
                 form->Command3, form->G2, form->TransCombo_Budget, form->TransText_Budget,
                 form->BudgBel_Budget, form->VerklBel_Budget, form->Frame3})
            EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
        for (QAction* a : {form->Ark_mn->menuAction(), form->Donera_mn, form->Bu_mn,
                           form->utskrstat_mn, form->bupl_mn})
            EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
        EXPECT_EQ(form->HelpHold, 0);
        // And they work: another account is chosen from the list.
        form->Combo3->setCurrentIndex(form->Combo3->findData(2));
        emit form->Combo3->activated(form->Combo3->currentIndex());
        EXPECT_EQ(Module1.KontoNamn, "Resa");
        form->Combo3->setCurrentIndex(form->Combo3->findData(1));
        emit form->Combo3->activated(form->Combo3->currentIndex());
        ASSERT_EQ(Module1.KontoNamn, "Hushåll");
    }
}

// What cannot come back is said, with the reason, and the user chooses.
TEST_F(BackUpDialog, WhatTheRestoreCannotBringBackIsNamedAndAsked) {
    startProgram();
    backup::makeBackup(dataFolder(), stick(), "FynlarBU202612081000");
    const QString folder = stick() + "FynlarBU202612081000";
    QDir().mkpath(folder + "/Mat:Hyra");
    test::writeFile(folder + "/Mat:Hyra/KontoData", "x");
    test::writeFile(folder + "/Resa/KontoData",
                    rec(test::enkel("2026-03-01", "1", "0", "0")).repeated(2));
    const TreeSnapshot before = data();
    for (Answer a : {Answer::No, Answer::Yes}) {
        BackUpForm& d = open();
        choose(d, true, false);
        boxes();
        answer({a});
        restoreFrom(d, "FynlarBU202612081000");
        const auto asked = boxes();
        ASSERT_GE(asked.size(), 1u);
        EXPECT_EQ(asked[0].title, "Konton som inte återställs");
        EXPECT_EQ(asked[0].buttons, Buttons::YesNo);
        EXPECT_TRUE(asked[0].text.contains("'Mat:Hyra'")) << asked[0].text.toStdString();
        if (a == Answer::No) {
            EXPECT_EQ(asked.size(), 1u);
            EXPECT_EQ(data(), before);
        } else {
            ASSERT_EQ(asked.size(), 2u);
            EXPECT_EQ(asked[1].title, "Återställning utförd");
            EXPECT_EQ(test::readFile(accountFile("Resa", "KontoData")).size(), 86);
            EXPECT_FALSE(QFileInfo::exists(dataFolder() + "/Mat:Hyra"));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A file standing where the backup's register has an account's folder: the
// refusal, not a failure half way.
TEST_F(BackUpDialog, AFileWhereAnAccountsFolderBelongsIsRefusedAsNoBackup) {
    startProgram();
    backup::makeBackup(dataFolder(), stick(), "FynlarBU202612081000");
    const QString folder = stick() + "FynlarBU202612081000";
    QDir(folder + "/Resa").removeRecursively();
    test::writeFile(folder + "/Resa", "not a folder");
    const TreeSnapshot before = data();
    BackUpForm& d = open();
    choose(d, true, false);
    boxes();
    restoreFrom(d, "FynlarBU202612081000");
    const auto asked = boxes();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Felvald BackUp-katalog");
    EXPECT_TRUE(asked[0].text.contains("'Resa'")) << asked[0].text.toStdString();
    EXPECT_EQ(data(), before);
    EXPECT_TRUE(ledger::account().kontoData.isOpen());
}

// Enter presses the button that has the focus, as the space bar does; in the
// drive list Enter picks the entry, as it always did.
TEST_F(BackUpDialog, EnterOrSpaceOnAFocusedButtonPressesIt) {
    BackUpForm& d = open();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        d.Command3->setFocus();
        QTest::keyClick(d.Command3, key);
        EXPECT_EQ(d.BackupMode, "BU") << key;
        EXPECT_TRUE(d.DrvList->isVisible()) << key;
        d.Command1->setFocus();
        QTest::keyClick(d.Command1, key);
        expectStart(d);
        d.Command4->setFocus();
        QTest::keyClick(d.Command4, key);
        EXPECT_EQ(d.BackupMode, "RE") << key;
        QTest::keyClick(d.Command1, key);
        expectStart(d);
    }
    // A disabled button takes no key: "Avbryt" in the start layout.
    QTest::keyClick(d.Command1, Qt::Key_Return);
    expectStart(d);
    EXPECT_TRUE(boxes().empty());
    d.Command2->setFocus();
    QTest::keyClick(d.Command2, Qt::Key_Return);
    EXPECT_EQ(dialog(), nullptr);
}

// The scope options are options to a screen reader, and still ask before they
// choose, whether pressed, keyed or pressed by the screen reader itself.
TEST_F(BackUpDialog, TheScopeOptionsReadAsOptionsAndAskBeforeTheyChoose) {
    BackUpForm& d = open();
    answer({Answer::Yes});
    click(d.Command3);
    press(d.DrvList, stick());
    for (QRadioButton* o : {d.Option1, d.Option2}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(o);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), QAccessible::RadioButton) << o->objectName().toStdString();
    }
    boxes();
    // The arrows move between them without choosing.
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &d; }));
    d.Option1->setFocus();
    QTest::keyClick(d.Option1, Qt::Key_Down);
    EXPECT_TRUE(d.Option2->hasFocus());
    EXPECT_FALSE(d.Option1->isChecked() || d.Option2->isChecked());
    EXPECT_TRUE(boxes().empty());
    // No to the question: nothing chosen, nothing copied.
    answer({Answer::No});
    QTest::keyClick(d.Option2, Qt::Key_Space);
    EXPECT_EQ(boxes().size(), 1u);
    EXPECT_FALSE(d.Option1->isChecked() || d.Option2->isChecked());
    answer({Answer::No});
    QTest::mouseClick(d.Option1, Qt::LeftButton);
    EXPECT_EQ(boxes().at(0).title, "Lagringsenhet");
    EXPECT_FALSE(d.Option1->isChecked() || d.Option2->isChecked());
    // The screen reader's choice asks too; yes makes the backup.
    QAccessibleActionInterface* act =
        QAccessible::queryAccessibleInterface(d.Option2)->actionInterface();
    ASSERT_NE(act, nullptr);
    ASSERT_TRUE(act->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    answer({Answer::Yes});
    act->doAction(QAccessibleActionInterface::toggleAction());
    const auto asked = boxes();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Lagringsenhet");
    EXPECT_EQ(treeOf(stick()).count("FynlarBU202612091200"), 1u);
    EXPECT_TRUE(treeOf(stick(), true).size() == treeOf(stick()).size());
}

// Sticks known by their labels, two whose mount paths differ only at the end,
// beside the other drives: each entry shows its whole path up to 48
// characters, in sight, and a longer one keeps its label whole; a screen
// reader reads every path whole, and the list covers nothing that is in use.
TEST_F(BackUpDialog, TheDriveListShowsEveryMountPathWhole) {
    const QString labelled = "/media/anna/SAMSUNG USB 64GB/";
    const QString longest = "/media/margareta/SAMSUNG PORTABLE SSD T7 USB 12/";
    const QString longer = "/media/margareta-andersson/SAMSUNG PORTABLE SSD T7/";
    const QString first = "/media/användare/3A4F-1B2C/";
    const QString second = "/media/användare/3A4F-1B2D/";
    ASSERT_EQ(longest.size(), 48);
    ASSERT_GT(longer.size(), 48);
    fakes.drives->drives.insert(fakes.drives->drives.begin(),
                                {{labelled, DriveType::Removable, true},
                                 {longest, DriveType::Removable, true},
                                 {longer, DriveType::Removable, true},
                                 {first, DriveType::Removable, true},
                                 {second, DriveType::Removable, true}});
    const QStringList roots = {labelled, longest, longer,           first,
                               second,   stick(), net.path() + "/", Module1.BaseFolder};
    for (bool restore : {false, true}) {
        SCOPED_TRACE(restore ? "Återställ" : "BackUp");
        BackUpForm& d = open();
        click(restore ? d.Command4 : d.Command3);
        QApplication::processEvents();
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(d.DrvList);
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->childCount(), roots.size());
        ASSERT_EQ(d.DrvList->count(), roots.size());
        const QFontMetrics fm(d.DrvList->font());
        const QRect inside = d.DrvList->viewport()->rect();
        for (int i = 0; i < roots.size(); ++i) {
            SCOPED_TRACE(roots[i].toStdString());
            QListWidgetItem* item = d.DrvList->item(i);
            EXPECT_EQ(item->toolTip(), roots[i]);
            EXPECT_EQ(list->child(i)->text(QAccessible::Name), roots[i]);
            // What is painted is the item's text, whole in its row: the row
            // lies in the list and holds the text with the margins.
            const QString shown = item->text();
            d.DrvList->scrollToItem(item); // more drives than rows: the list scrolls
            EXPECT_EQ(d.DrvList->textElideMode(), Qt::ElideNone);
            const QRect row = d.DrvList->visualItemRect(item);
            EXPECT_TRUE(inside.contains(row));
            EXPECT_LE(fm.horizontalAdvance(shown) + 8, inside.width()) << shown.toStdString();
            if (roots[i].size() <= 48) {
                EXPECT_EQ(shown, roots[i]);
            } else {
                // The label whole at the end, the start shortened.
                EXPECT_TRUE(shown.endsWith("/SAMSUNG PORTABLE SSD T7/")) << shown.toStdString();
                EXPECT_TRUE(shown.startsWith("/media/")) << shown.toStdString();
                EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
            }
        }
        // It lies in the dialog and over nothing else that is shown.
        EXPECT_TRUE(d.rect().contains(d.DrvList->geometry()));
        for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w != d.DrvList && w->isVisible()) {
                EXPECT_FALSE(w->geometry().intersects(d.DrvList->geometry()))
                    << w->objectName().toStdString();
            }
        }
        // The options, shown once a drive is chosen, too; the shortened entry
        // stands for its whole path.
        answer({Answer::Yes});
        QTest::mouseClick(d.DrvList->viewport(), Qt::LeftButton, {},
                          d.DrvList->visualItemRect(d.DrvList->item(2)).center());
        EXPECT_EQ(d.BackupDrive, longer);
        ASSERT_TRUE(d.Option1->isVisible());
        for (QWidget* o : {static_cast<QWidget*>(d.Option1), static_cast<QWidget*>(d.Option2)})
            EXPECT_FALSE(o->geometry().intersects(d.DrvList->geometry()));
        d.DrvList->scrollToTop();
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().toImage().save(
            QCoreApplication::applicationDirPath() +
            (restore ? "/backupform-drives-restore.png" : "/backupform-drives.png")));
        click(d.Command1);
        expectStart(d);
        click(d.Command2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(BackUpDialog, EveryControlCanBeReadAndTheRestoreListIsShown) {
    startProgram();
    backup::makeBackup(dataFolder(), stick(), "FynlarBU202612081000");
    backup::makeBackup(accountFolder("Hushåll"), stick(), "Hushåll202612081000");
    BackUpForm& d = open();
    QApplication::processEvents(); // the text box lays its text out
    EXPECT_TRUE(
        d.grab().toImage().save(QCoreApplication::applicationDirPath() + "/backupform-start.png"));
    choose(d, true, true);
    ASSERT_TRUE(d.Dir1->isVisible());
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
            continue;
        const auto* label = qobject_cast<QLabel*>(w);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const QString said = !w->accessibleName().isEmpty() ? w->accessibleName()
                             : label                        ? label->text()
                             : button                       ? button->text()
                                                            : QString();
        EXPECT_FALSE(said.isEmpty() && w != d.Label2) << w->objectName().toStdString();
    }
    QApplication::processEvents();
    const QImage picture = d.grab().toImage();
    EXPECT_TRUE(picture.save(QCoreApplication::applicationDirPath() + "/backupform-restore.png"));
}

// Gives the tree at root to owner, its folders with dirMode and its files
// with fileMode.
void ownTree(const QString& root, uid_t owner, mode_t dirMode, mode_t fileMode) {
    const auto own = [&](const QString& p, bool folder) {
        const QByteArray raw = QFile::encodeName(p);
        EXPECT_EQ(::lchown(raw.constData(), owner, owner), 0) << raw.constData();
        EXPECT_EQ(::chmod(raw.constData(), folder ? dirMode : fileMode), 0) << raw.constData();
    };
    own(root, true);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        own(it.filePath(), it.fileInfo().isDir());
    }
}

// A refused access names the file or folder the system refused: on the drive
// (a write-protected stick, a backup the user may not read) the drive's, and
// the data folder only when the refusal lies in it. Every handler of the
// dialog and every copy, each where it meets the drive or the data folder.
TEST_F(BackUpDialog, EveryHandlerNamesWhatTheSystemRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a read-only drive and another user's files need root";
    const QString account = "Hushåll202612081000";
    const QString all = "FynlarBU202612081000";
    enum class On { ReadOnlyDrive, UnreadableDrive, RefusedDataFolder };
    BackUpForm* d = nullptr;
    const auto opened = [&] { d = &open(); };
    const auto mode = [&](bool restore) {
        opened();
        click(restore ? d->Command4 : d->Command3);
    };
    const auto drive = [&](bool restore, const QString& root) {
        mode(restore);
        answer({Answer::Yes});
        press(d->DrvList, root);
    };
    const auto listed = [&](bool thisAccount) {
        drive(true, stick());
        answer({Answer::Yes});
        press(thisAccount ? d->Option1 : d->Option2);
        ASSERT_TRUE(d->Dir1->isVisible());
    };
    const auto scope = [&](bool thisAccount) {
        answer({Answer::Yes});
        press(thisAccount ? d->Option1 : d->Option2);
    };
    const QString netDrive = net.path() + "/";
    // What the user is told: nothing refused, or the refused place in the data
    // folder, or the one on the drive named.
    enum class Said { Nothing, DataFolder, Drive };
    const struct Row {
        const char* handler; // the routine whose report it is, when one is made
        On on;
        Said said;
        QString named;                // the place on the drive
        std::function<void()> before; // as the user, up to the press
        std::function<void()> press;  // met by the refusal
    } rows[] = {
        {"Form_Load", On::RefusedDataFolder, Said::Nothing, QString(), [] {}, opened},
        {"Command2_Click", On::RefusedDataFolder, Said::Nothing, QString(),
         [&] {
             opened();
             d->move(d->pos() + QPoint(9, 9));
         },
         [&] { click(d->Command2); }},
        {"Command3_Click, Enhetslista", On::ReadOnlyDrive, Said::Nothing, QString(), opened,
         [&] { click(d->Command3); }},
        {"Command4_Click, Enhetslista", On::ReadOnlyDrive, Said::Nothing, QString(), opened,
         [&] { click(d->Command4); }},
        {"DrvList_MouseDown", On::ReadOnlyDrive, Said::Nothing, QString(), [&] { mode(false); },
         [&] {
             answer({Answer::Yes});
             press(d->DrvList, stick());
         }},
        {"Command1_Click", On::ReadOnlyDrive, Said::Nothing, QString(),
         [&] { drive(false, stick()); }, [&] { click(d->Command1); }},
        {"Option1_MouseDown", On::RefusedDataFolder, Said::DataFolder, QString(),
         [&] { drive(false, stick()); }, [&] { press(d->Option1); }},
        {"Option2_MouseDown", On::RefusedDataFolder, Said::DataFolder, QString(),
         [&] { drive(false, stick()); }, [&] { press(d->Option2); }},
        {"Option1_MouseDown", On::UnreadableDrive, Said::Drive, stick(),
         [&] { drive(true, stick()); }, [&] { scope(true); }},
        {"Option2_MouseDown", On::UnreadableDrive, Said::Drive, stick(),
         [&] { drive(true, stick()); }, [&] { scope(false); }},
        {"Option2_MouseDown", On::ReadOnlyDrive, Said::Nothing, QString(),
         [&] { drive(true, stick()); }, [&] { scope(false); }},
        {"KontoBackUp", On::ReadOnlyDrive, Said::Drive, stick(), [&] { drive(false, stick()); },
         [&] { scope(true); }},
        {"AllBackUp", On::ReadOnlyDrive, Said::Drive, stick(), [&] { drive(false, stick()); },
         [&] { scope(false); }},
        {"KontoBackUp", On::RefusedDataFolder, Said::DataFolder, QString(),
         [&] { drive(false, netDrive); }, [&] { scope(true); }},
        {"AllBackUp", On::RefusedDataFolder, Said::DataFolder, QString(),
         [&] { drive(false, netDrive); }, [&] { scope(false); }},
        {"KontoRecover", On::UnreadableDrive, Said::Drive, stick() + account, [&] { listed(true); },
         [&] { restoreFrom(*d, account); }},
        {"AllRecover", On::UnreadableDrive, Said::Drive, stick() + all, [&] { listed(false); },
         [&] { restoreFrom(*d, all); }},
        {"KontoRecover", On::RefusedDataFolder, Said::DataFolder, QString(), [&] { listed(true); },
         [&] { restoreFrom(*d, account); }},
        {"AllRecover", On::RefusedDataFolder, Said::DataFolder, QString(), [&] { listed(false); },
         [&] { restoreFrom(*d, all); }},
        {"KontoRecover", On::ReadOnlyDrive, Said::Nothing, QString(), [&] { listed(true); },
         [&] { restoreFrom(*d, account); }},
        {"AllRecover", On::ReadOnlyDrive, Said::Nothing, QString(), [&] { listed(false); },
         [&] { restoreFrom(*d, all); }},
    };
    const auto everyoneOwns = [&] {
        for (const QString& root : {dir.path(), stickDir.path(), net.path()})
            ownTree(root, 0, 0755, 0644);
    };
    for (const Row& row : rows) {
        const char* on = row.on == On::ReadOnlyDrive     ? "a read-only drive"
                         : row.on == On::UnreadableDrive ? "a drive the user may not read"
                                                         : "a data folder the user may not use";
        SCOPED_TRACE(std::string(row.handler) + ", " + on);
        // A program of its own, on the data the backups hold.
        form.reset();
        ledger::account().closeAll();
        everyoneOwns();
        QDir(stick()).removeRecursively();
        QDir().mkpath(stick());
        startProgram();
        backup::makeBackup(accountFolder("Hushåll"), stick(), account);
        backup::makeBackup(dataFolder(), stick(), all);
        checkpoint();
        d = nullptr;
        fakes.messages->answers.clear();
        row.before();
        ASSERT_TRUE(fakes.messages->answers.empty());
        const TreeSnapshot dataBefore = data();
        const TreeSnapshot stickBefore = treeOf(stick(), true);
        boxes();
        // The handler that reported the refusal, read as it is shown.
        QStringList reported;
        fakes.messages->onShow = [&](const platform::testing::MessageCall& c) {
            if (c.title == "Otillåten filåtkomst")
                reported << Module1.FelText;
        };

        test::ReadOnlyFolder readOnly;
        if (row.on == On::ReadOnlyDrive) {
            if (const QString why = readOnly.mount(stick()); !why.isEmpty())
                GTEST_SKIP() << why.toStdString();
        } else if (row.on == On::UnreadableDrive) {
            ownTree(stickDir.path(), 0, 0700, 0600);
        } else {
            // The user's own drives and folders, but the data folder is
            // another user's, and one account's folder closed to the user.
            for (const QString& root : {dir.path(), stickDir.path(), net.path()})
                ownTree(root, 65534, 0755, 0644);
            ownTree(dataFolder(), 0, 0755, 0644);
            ownTree(accountFolder("Hushåll"), 0, 0700, 0600);
        }
        {
            std::optional<test::OrdinaryUser> user;
            if (row.on != On::ReadOnlyDrive)
                user.emplace();
            row.press();
        }
        readOnly.undo();
        fakes.messages->onShow = nullptr;
        const auto shownBoxes = boxes();
        fakes.messages->answers.clear();
        everyoneOwns();

        std::vector<platform::testing::MessageCall> denied;
        for (const auto& b : shownBoxes) {
            EXPECT_FALSE(b.title.startsWith("Felspec.")) << b.title.toStdString();
            if (b.title == "Otillåten filåtkomst")
                denied.push_back(b);
        }
        if (row.said == Said::Nothing) {
            EXPECT_TRUE(denied.empty()) << denied.front().text.toStdString();
        } else {
            ASSERT_FALSE(denied.empty());
            EXPECT_TRUE(reported.at(0).startsWith(QString("Ett fel har uppstått i subrutinen ") +
                                                  row.handler))
                << reported.at(0).toStdString();
            for (const auto& b : denied) {
                const QStringList paragraphs = b.text.split("\n\n");
                ASSERT_EQ(paragraphs.size(), 3) << b.text.toStdString();
                const QStringList what = paragraphs[1].split('\n');
                ASSERT_EQ(what.size(), 2) << b.text.toStdString();
                ASSERT_TRUE(what[1].endsWith(" !"));
                const QString refused = what[1].chopped(2);
                if (row.said == Said::DataFolder) {
                    EXPECT_TRUE(refused.startsWith(dataFolder() + "/")) << refused.toStdString();
                    EXPECT_TRUE(paragraphs[2].startsWith("Den ligger i programmets datamapp " +
                                                         dataFolder()))
                        << b.text.toStdString();
                } else {
                    EXPECT_EQ(refused.toStdString(), row.named.toStdString());
                    EXPECT_FALSE(b.text.contains("atamapp")) << b.text.toStdString();
                    EXPECT_TRUE(paragraphs[2].contains("skrivskyddad")) << b.text.toStdString();
                }
            }
        }
        // A refusal changes nothing, nor does a restore from the backups of
        // the same data.
        EXPECT_EQ(data(), dataBefore);
        EXPECT_EQ(treeOf(stick(), true), stickBefore);
        if (BackUpForm* open = dialog())
            delete open;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

// A restore of every account from a backup made before Resa leaves Resa's
// folder where it is, unlisted: the closing text names it, and "Nytt konto"
// with its name offers to take it up again, as the kind its files are and with
// its postings.
TEST_F(BackUpDialog, AnAccountNewerThanTheBackupIsNamedAndCanBeTakenUpAgain) {
    startProgram();
    backup::makeBackup(dataFolder(), stick(), "FynlarBU202612081000");
    const QString made = stick() + "FynlarBU202612081000";
    QDir(made + "/Resa").removeRecursively();
    test::writeFile(made + "/KontoFil", test::readFile(made + "/KontoFil").left(82));
    // Resa has been used since.
    const QByteArray resa = rec(test::enkel("2026-03-01", "1", "0", "0")) +
                            rec(test::enkel("2026-03-05", "3", "-250", "-250"));
    test::writeFile(accountFile("Resa", "KontoData"), resa);

    BackUpForm& d = open();
    choose(d, true, false);
    boxes();
    restoreFrom(d, "FynlarBU202612081000");
    const auto done = boxes();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].title, "Återställning utförd");
    EXPECT_EQ(done[0].text,
              "Säkerhetskopierade arbetsfiler från BackUp, är nu återställda till "
              "registerkatalogen !\r\n\r\nStarta om programmet  för att läsa in alla filer ! !"
              "\r\n\r\nDessa kontokataloger finns kvar i datamappen men inte i det återställda "
              "kontoregistret, och har lämnats orörda:\r\n\r\nResa\r\n\r\nEtt sådant konto tas "
              "upp igen med 'Nytt konto' och kontots namn.");
    EXPECT_EQ(test::readFile(kontoFilPath()).size(), 82);
    EXPECT_EQ(test::readFile(accountFile("Resa", "KontoData")), resa);
    EXPECT_EQ(form->Combo3->findText("Resa", Qt::MatchContains), -1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // "Nytt konto", typed as a user does, a budget account chosen.
    answer({Answer::Yes}); // "Vill du lägga till ett nytt konto ?"
    test::chooseMenuItem(form->menuBar(), form->Ark_mn, form->Nykonto_mn);
    NyKontoForm& k = form->nyKontoForm();
    ASSERT_TRUE(k.isVisible());
    QTest::keyClicks(k.Text1, "Resa");
    QTest::keyClick(k.Text1, Qt::Key_Tab);
    QTest::keyClicks(k.Text2, "5544-1");
    QTest::mouseClick(k.Option1, Qt::LeftButton, {}, QPoint(7, k.Option1->height() / 2));
    ASSERT_TRUE(k.Option1->isChecked());
    boxes();
    answer({Answer::Yes, Answer::No}); // take it up; no further account
    k.Command1->setFocus();
    QTest::keyClick(k.Command1, Qt::Key_Return);

    const auto asked = boxes();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "Kvarlämnad kontokatalog");
    EXPECT_EQ(asked[0].buttons, Buttons::YesNo);
    EXPECT_EQ(asked[0].text,
              "Kontot 'Resa' finns inte i kontoregistret, men dess katalog finns kvar i "
              "datamappen:\n\n" +
                  accountFolder("Resa") +
                  "\n\nKatalogen håller ett enkelt konto med 2 poster. En sådan katalog blir "
                  "kvar när alla konton återställs från en BackUp som är äldre än kontot."
                  "\n\nVill du ta upp katalogen igen som kontot 'Resa', med dess poster ?"
                  "\n\nObservera: katalogens filer är ett enkelt konto, inte ett budgetkonto "
                  "som du valde. Kontot tas upp som enkelt konto.");
    EXPECT_EQ(asked[1].title, "Fortsätt skapa konton");
    // Registered as the simple account it is, its postings untouched, and open.
    EXPECT_EQ(test::readFile(kontoFilPath()).mid(82), "Resa" + QByteArray(31, ' ') + "5544-1" +
                                                          QByteArray(24, ' ') + "Ek" +
                                                          "\\FynData\\" + QByteArray(6, ' '));
    EXPECT_EQ(test::readFile(accountFile("Resa", "KontoData")), resa);
    EXPECT_FALSE(k.isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(Module1.KontoNamn, "Resa");
    EXPECT_EQ(Module1.KontoSlag, "Ek");
    EXPECT_EQ(Module1.KontoNum, 2);
    EXPECT_NE(form->Combo3->findText("Resa", Qt::MatchContains), -1);
}
