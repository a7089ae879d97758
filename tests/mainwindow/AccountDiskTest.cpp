// Deleting and creating accounts, and the start that removes damaged settings,
// as the disk sees them: every name they remove from or make in the data
// folder reaches the disk's double and is synced into its folder, and whatever
// a power cut leaves of them the next start takes up, without undoing what the
// user was told.
#include "WindowDriver.h"

#include "core/Paths.h"
#include "core/SafeWrite.h"
#include "mainwindow/NyKontoForm.h"
#include "platform/testing/PowerCut.h"

#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace fyn::test {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::testing::MessageCall;
using platform::testing::PowerCut;
using Op = PowerCut::Op;
using Tree = std::map<QString, QByteArray>;

// The data folder and what is in it, by path below the drive root: "FynData/"
// for a folder, a file's bytes, a link's target.
Tree dataTree() {
    Tree t;
    const QString base = Module1.BaseFolder;
    const QFileInfo root(dataFolder());
    if (!root.exists())
        return t;
    t[QStringLiteral("FynData/")] = {};
    QDirIterator it(dataFolder(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        const QString rel = QDir(base).relativeFilePath(f.filePath());
        if (f.isSymLink())
            t[rel] = "-> " + f.symLinkTarget().toUtf8();
        else if (f.isDir())
            t[rel + "/"] = {};
        else
            t[rel] = readFile(f.filePath());
    }
    return t;
}

// What lies in one account's folder, by name; empty when it is gone.
Tree accountTree(const Tree& all, const QString& name) {
    Tree t;
    const QString prefix = "FynData/" + name + "/";
    for (const auto& [path, bytes] : all)
        if (path.startsWith(prefix) && path.size() > prefix.size())
            t[path.mid(prefix.size())] = bytes;
    if (all.count(prefix))
        t[QStringLiteral("./")] = {};
    return t;
}

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QString() : path.left(slash);
}

// The register's name in slot n, trimmed; empty for a blank slot or none.
QString registered(int n) {
    const QByteArray reg = readFile(kontoFilPath());
    return reg.size() >= n * 82 ? QString::fromLatin1(reg.mid((n - 1) * 82, 35)).trimmed()
                                : QString();
}

class AccountDisk : public WindowTest {
protected:
    std::optional<platform::testing::PowerCutInstalled> disk;
    std::function<void()> beforeSummary;    // run as the new account's summary shows
    std::function<void()> afterUsersChange; // the disk's double learns what the user did

    void SetUp() override {
        WindowTest::SetUp();
        // Each Yes/No box is answered by its title, as a user deleting or
        // creating an account would; a box no road here asks fails the test.
        fakes.messages->onShow = [this](const MessageCall& c) {
            if (c.buttons == Buttons::Ok)
                return;
            static const std::pair<const char*, Answer> kReplies[] = {
                {"Ta bort konto ? ?", Answer::Yes}, {"Kontot används", Answer::Yes},
                {"Nytt konto", Answer::Yes},        {"Fortsätt skapa konton", Answer::No},
                {"Radera kontonamn", Answer::Yes},  {"Inget konto finns upplagt !", Answer::No},
                {"KONTOUPPGIFT", Answer::No},       {"Felspec. = ", Answer::No}, // no error report
            };
            if (c.title == "Nytt konto" && c.text.startsWith("Sammanfattning") && beforeSummary)
                std::exchange(beforeSummary, nullptr)();
            for (const auto& [title, answer] : kReplies) {
                if (c.title.startsWith(QString::fromUtf8(title))) {
                    fakes.messages->answers.push_back(answer);
                    return;
                }
            }
            ADD_FAILURE() << "unexpected box " << c.title.toStdString() << ": "
                          << c.text.toStdString();
            fakes.messages->answers.push_back(Answer::No);
        };
    }
    void TearDown() override {
        WindowTest::TearDown();
        disk.reset();
    }

    // A data folder of its own for each run: the accounts, KontoIni naming slot 1.
    void freshFolder(const std::vector<std::pair<FixtureAccount, int>>& accounts) {
        form.reset();
        ledger::account().closeAll();
        disk.reset();
        QDir(dataFolder()).removeRecursively();
        QDir().mkpath(dataFolder());
        setJournalPath(journalPath());
        for (const auto& [a, slot] : accounts)
            writeAccount(a, slot);
        writeKontoIni("1\r\nAnna\r\n");
    }

    // Starts the program; then the disk's double goes in, and what the start
    // left counts as on disk.
    void startOnDisk() {
        form = std::make_unique<HeadForm>();
        form->Form_Load();
        disk.emplace();
        fakes.messages->calls.clear();
    }

    // Fails each change from number `from` on (the disk stops answering), or
    // only that one, counting them in `count`.
    void failFrom(int from, bool once, std::shared_ptr<int> count) {
        (*disk)->fault = [from, once, count](Op, const QString&) {
            const int n = (*count)++;
            return (once ? n == from : n >= from) ? EIO : 0;
        };
    }

    // The power goes keeping `leave` of what was not synced, and the program
    // starts again on what the disk holds.
    void cutAndStart(PowerCut::Leave leave) {
        form.reset();
        ledger::account().closeAll();
        (*disk)->cut(leave);
        (*disk)->fault = nullptr;
        fakes.messages->calls.clear();
        form = std::make_unique<HeadForm>();
        form->Form_Load();
    }

    QStringList titles() const {
        QStringList t;
        for (const MessageCall& c : fakes.messages->calls)
            t << c.title;
        return t;
    }

    // The input box for the user's name, when it comes, answered "Anna".
    void answerUserName() {
        fakes.modal->actions.push_back([](QDialog& d) {
            d.findChild<QLineEdit*>("Text1")->setText("Anna");
            QTest::keyClick(d.findChild<QLineEdit*>("Text1"), Qt::Key_Return);
            d.findChild<QPushButton*>("Command1")->click();
        });
    }

    void deleteByMenu() { chooseMenuItem(form->menuBar(), form->Ark_mn, form->Radko_mn); }

    // "Nytt konto" from the menu, the dialog filled in with keys and the mouse.
    void createByMenu(const QString& name) {
        chooseMenuItem(form->menuBar(), form->Ark_mn, form->Nykonto_mn);
        NyKontoForm& dlg = form->nyKontoForm();
        ASSERT_TRUE(dlg.isVisible());
        QTest::keyClicks(dlg.Text1, name);
        QTest::keyClicks(dlg.Text2, "77-1");
        QTest::mouseClick(dlg.Option2, Qt::LeftButton);
        QTest::mouseClick(dlg.Command1, Qt::LeftButton);
        if (dlg.isVisible()) // a creation that failed leaves the dialog open
            QTest::mouseClick(dlg.Command2, Qt::LeftButton);
    }

    static FixtureAccount spar() {
        FixtureAccount a = account("Ek", {rec(enkel("2026-01-01", "1", "0", "0"))});
        a.name = "Spar";
        return a;
    }
    // A budget account with a confirmed posting: opening it teaches its empty
    // template, so the journal names its folder when a deletion begins.
    static FixtureAccount hushall() {
        return account("Bg", {rec(fyn::test::budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                              rec(fyn::test::budget("2026-02-01", "3", "-100", "-100", "-100",
                                                    "-100", "0", "*"))});
    }
};

// ---- Every name through the disk, synced ----------------------------------------

struct Road {
    const char* name;
    std::function<void()> prepare; // the program started, or not
    std::function<void()> act;     // what the user does
};

// Every name a road removes from or makes in the data folder (the data folder
// itself too) reaches the disk's double, in an order that accounts for the
// names before and after, and its folder is synced after it by the time the
// program has ended: a power cut can take none of them back unseen.
TEST_F(AccountDisk, EveryNameARoadRemovesOrMakesIsSyncedIntoItsFolder) {
    const std::vector<Road> roads = {
        {"deleting one of two accounts",
         [this] {
             freshFolder({{hushall(), 1}, {spar(), 2}});
             startOnDisk();
         },
         [this] { deleteByMenu(); }},
        {"deleting the last account",
         [this] {
             freshFolder({{hushall(), 1}});
             startOnDisk();
         },
         [this] { deleteByMenu(); }},
        {"creating an account",
         [this] {
             freshFolder({{spar(), 1}});
             startOnDisk();
         },
         [this] { createByMenu("Resor"); }},
        {"creating an account after the data folder went",
         [this] {
             freshFolder({{spar(), 1}});
             startOnDisk();
         },
         [this] {
             // Taken away while the summary is read, after every check.
             beforeSummary = [this] {
                 QDir(dataFolder()).removeRecursively();
                 afterUsersChange();
             };
             createByMenu("Resor");
         }},
        {"a start that finds KontoIni without its user name",
         [this] {
             freshFolder({{spar(), 1}});
             startOnDisk();
             form.reset();
             writeKontoIni("1\r\n");
         },
         [this] {
             answerUserName();
             form = std::make_unique<HeadForm>();
             form->Form_Load();
         }},
    };
    const QString base = QFileInfo(Module1.BaseFolder).canonicalFilePath();
    for (const Road& r : roads) {
        SCOPED_TRACE(r.name);
        r.prepare();
        // The names the disk knows of, and the folders with a change not yet
        // synced, followed change by change.
        std::set<std::string> known;
        std::set<std::string> unsynced;
        const auto lookAgain = [&] {
            known.clear();
            for (const auto& [path, bytes] : dataTree())
                known.insert((path.endsWith('/') ? path.chopped(1) : path).toStdString());
        };
        lookAgain();
        (*disk)->fault = [&](Op op, const QString& p) {
            const QString rel = p == base                  ? QString()
                                : p.startsWith(base + "/") ? p.mid(base.size() + 1)
                                                           : p;
            const std::string path = rel.toStdString();
            const std::string folder = parentOf(rel).toStdString();
            if (op == Op::Create || op == Op::Mkdir || op == Op::Rename) {
                EXPECT_TRUE(folder.empty() || known.count(folder))
                    << path << " made in a folder the disk does not know";
                EXPECT_TRUE(op == Op::Rename || !known.count(path))
                    << path << " made where the disk knew it already";
                if (op != Op::Rename) // a rename is followed when it is made
                    known.insert(path);
                unsynced.insert(folder);
            } else if (op == Op::Unlink) {
                EXPECT_EQ(known.erase(path), 1u) << path << " removed where the disk knew none";
                unsynced.insert(folder);
            } else if (op == Op::SyncFolder) {
                unsynced.erase(path);
            }
            return 0;
        };
        (*disk)->renamed = [&](const QString& from, const QString& to) {
            const auto inside = [&](const QString& p) {
                return (p.startsWith(base + "/") ? p.mid(base.size() + 1) : p).toStdString();
            };
            const std::string was = inside(from);
            const std::string now = inside(to);
            std::set<std::string> moved;
            for (auto it = known.begin(); it != known.end();) {
                if (*it == was || it->rfind(was + "/", 0) == 0) {
                    moved.insert(now + it->substr(was.size()));
                    it = known.erase(it);
                } else {
                    ++it;
                }
            }
            known.insert(moved.begin(), moved.end());
        };
        // What the user takes away beside the program is no change of the
        // program's: the disk knows it at once.
        afterUsersChange = [&] {
            lookAgain();
            unsynced.clear();
        };
        try {
            r.act();
        } catch (const platform::testing::UnscriptedCall& u) {
            ADD_FAILURE() << u.what.toStdString();
        }
        form.reset(); // the program ends
        ledger::account().closeAll();
        std::set<std::string> after;
        for (const auto& [path, bytes] : dataTree())
            after.insert((path.endsWith('/') ? path.chopped(1) : path).toStdString());
        EXPECT_EQ(known, after) << "a name removed or made past the disk";
        for (const std::string& f : unsynced)
            ADD_FAILURE() << "a change in '" << f << "' never synced";
        fakes.modal->actions.clear();
        afterUsersChange = nullptr;
    }
}

// ---- A power cut part way ---------------------------------------------------------

// What a run told the user, from the titles of its boxes.
// What lies in the data folder beside the program's own files and the
// folders of the accounts the register names.
QStringList strays(const Tree& all) {
    QSet<QString> ours = {"KontoFil", "KontoIni", "PosFil", "RedDayFil", ".journal", ".lock"};
    const QByteArray reg = readFile(kontoFilPath());
    for (qsizetype at = 0; at + 82 <= reg.size(); at += 82)
        ours.insert(QString::fromLatin1(reg.mid(at, 35)).trimmed());
    QStringList out;
    for (const auto& [path, bytes] : all) {
        const QStringList parts = path.split('/', Qt::SkipEmptyParts);
        if (parts.size() == 2 && !ours.contains(parts[1]))
            out << path;
    }
    return out;
}

struct Told {
    bool done = false;      // the road's own word that it was done
    bool uncertain = false; // "not certainly saved": either state may come back
    explicit Told(const QStringList& titles, const QStringList& doneTitles) {
        for (const QString& t : doneTitles)
            done = done || titles.contains(t);
        uncertain = titles.contains("Ändringen är inte säkert sparad");
    }
};

const char* nameOf(PowerCut::Leave leave) {
    return leave == PowerCut::Leave::Names  ? ", names left"
           : leave == PowerCut::Leave::Data ? ", data left"
                                            : "";
}

// Every disk that stops answering at change k (from there on, or only that
// one), with every way a power cut leaves what was not synced.
void everyCut(int changes, const std::function<void(int k, bool once, PowerCut::Leave)>& run) {
    for (int k = 0; k <= changes; ++k)
        for (const bool once : {false, true}) {
            if (once && k == changes)
                continue;
            for (const auto leave :
                 {PowerCut::Leave::Nothing, PowerCut::Leave::Names, PowerCut::Leave::Data}) {
                SCOPED_TRACE("change " + std::to_string(k) + (once ? " refused" : " on") +
                             nameOf(leave));
                run(k, once, leave);
            }
        }
}

struct DeletionCase {
    const char* name;
    bool another; // an account beside the one deleted
};

// The account is deleted from the menu while the disk stops answering at any
// change of the deletion or of the program's end, or refuses only that one;
// then the power goes. The next start finds the account whole and opens it;
// or its name without its folder, and removes the name when the user agrees;
// or nothing of it. No file of it is left anywhere, any other account is as it
// was and opens, and a deletion told done stays done.
TEST_F(AccountDisk, APowerCutAnywhereInADeletionLeavesWhatTheNextStartTakesUp) {
    for (const DeletionCase c :
         {DeletionCase{"one of two", true}, DeletionCase{"the last", false}}) {
        SCOPED_TRACE(c.name);
        auto begin = [&] {
            if (c.another)
                freshFolder({{hushall(), 1}, {spar(), 2}});
            else
                freshFolder({{hushall(), 1}});
            startOnDisk();
        };
        begin();
        const Tree before = dataTree();
        auto counted = std::make_shared<int>(0);
        failFrom(INT_MAX, false, counted);
        deleteByMenu();
        form.reset();
        const int changes = *counted;
        ASSERT_GT(changes, 8);
        const QStringList allowedAtStart = {"Path not found", "Radera kontonamn",
                                            "Kontonamn borttaget", "Inget konto finns upplagt !",
                                            "KONTOUPPGIFT"};
        everyCut(changes, [&](int k, bool once, PowerCut::Leave leave) {
            begin();
            failFrom(k, once, std::make_shared<int>(0));
            deleteByMenu();
            const Told told(titles(), {"Konto borttaget", "Alla konton raderade"});
            cutAndStart(leave);
            const QStringList atStart = titles();
            for (const QString& t : atStart)
                EXPECT_TRUE(allowedAtStart.contains(t)) << t.toStdString();
            const Tree now = dataTree();
            const Tree left = accountTree(now, "Hushåll");
            const bool named = registered(1) == "Hushåll";
            const bool missing = atStart.contains("Path not found");
            const QString open =
                ledger::account().kontoData.isOpen() ? Module1.KontoNamn : QString();
            const bool whole =
                named && left == accountTree(before, "Hushåll") && !missing && open == "Hushåll";
            const bool nameTaken = missing && !named && left.empty();
            const bool gone = !missing && !named && left.empty();
            EXPECT_TRUE(whole || nameTaken || gone) << "a state the start does not take up";
            for (const QString& stray : strays(now))
                ADD_FAILURE() << "left behind: " << stray.toStdString();
            if (!whole) {
                EXPECT_EQ(open, c.another ? "Spar" : "");
            }
            if (told.done && !told.uncertain) {
                EXPECT_TRUE(gone) << "told deleted, and back";
            }
            if (c.another) {
                EXPECT_EQ(accountTree(now, "Spar"), accountTree(before, "Spar"));
            }
        });
    }
}

struct CreationCase {
    const char* name;
    bool folderGoes; // the data folder is taken away while the summary is read
};

// An account is created through the dialog while the disk stops answering at
// any change of the creation or of the program's end, or refuses only that
// one; then the power goes. The next start finds the new account whole,
// registered and current, or finds nothing of it; an account told created is
// there, one refused is not.
TEST_F(AccountDisk, APowerCutAnywhereInACreationLeavesTheAccountWholeOrNotThere) {
    for (const CreationCase c : {CreationCase{"beside another account", false},
                                 CreationCase{"after the data folder went", true}}) {
        SCOPED_TRACE(c.name);
        const int slot = c.folderGoes ? 1 : 2;
        auto begin = [&] {
            freshFolder({{spar(), 1}});
            startOnDisk();
            if (c.folderGoes)
                beforeSummary = [] { QDir(dataFolder()).removeRecursively(); };
        };
        begin();
        const Tree before = dataTree();
        auto counted = std::make_shared<int>(0);
        failFrom(INT_MAX, false, counted);
        createByMenu("Resor");
        form.reset();
        const int changes = *counted;
        const Tree made = accountTree(dataTree(), "Resor");
        ASSERT_TRUE(made.count("KontoData"));
        ASSERT_GT(changes, 5);
        everyCut(changes, [&](int k, bool once, PowerCut::Leave leave) {
            begin();
            failFrom(k, once, std::make_shared<int>(0));
            // With the settings gone with the data folder, the program
            // asks for the user's name when it reads them again.
            answerUserName();
            try {
                createByMenu("Resor");
            } catch (const platform::testing::UnscriptedCall& u) {
                ADD_FAILURE() << u.what.toStdString();
            }
            const Told told(titles(), {"Fortsätt skapa konton"});
            bool refused = false;
            for (const MessageCall& m : fakes.messages->calls)
                refused = refused || m.text.contains("subrutinen Skapa_Konto");
            fakes.modal->actions.clear();
            answerUserName();
            cutAndStart(leave);
            fakes.modal->actions.clear();
            for (const MessageCall& m : fakes.messages->calls) {
                // A PosFil made anew by the dialog holds no place for the
                // main window, which its start reports.
                const bool noPlace = c.folderGoes && m.title == "Felspec. = Type mismatch" &&
                                     m.text.contains("PosFil");
                EXPECT_TRUE(m.title == "Inget konto finns upplagt !" || m.title == "KONTOUPPGIFT" ||
                            noPlace)
                    << m.title.toStdString() << ": " << m.text.toStdString();
            }
            const Tree now = dataTree();
            const QString open =
                ledger::account().kontoData.isOpen() ? Module1.KontoNamn : QString();
            const bool whole =
                registered(slot) == "Resor" && accountTree(now, "Resor") == made && open == "Resor";
            const bool none = registered(slot).isEmpty() && accountTree(now, "Resor").empty() &&
                              open == (c.folderGoes ? "" : "Spar");
            EXPECT_TRUE(whole || none) << "half an account";
            for (const QString& stray : strays(now))
                ADD_FAILURE() << "left behind: " << stray.toStdString();
            if (told.done && !told.uncertain) {
                EXPECT_TRUE(whole) << "told created, and gone";
            }
            if (refused && !told.uncertain) {
                EXPECT_TRUE(none) << "told refused, and there";
            }
            if (!c.folderGoes) {
                EXPECT_EQ(accountTree(now, "Spar"), accountTree(before, "Spar"));
            }
        });
    }
}

} // namespace
} // namespace fyn::test
