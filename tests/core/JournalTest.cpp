// The journal and the data folder as untrusted input: planted journals, links
// that lead out of the data folder, torn tails and entries whose folder is gone.
#include "core/Errors.h"
#include "core/RecordFile.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "platform/DataWrites.h"
#include "platform/testing/InstalledWrites.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::writeFile;

namespace {

// One file of an entry as the journal spells it.
struct Change {
    QByteArray path;
    bool existed = true;
    qint64 oldSize = 0;
    qint64 newSize = 0;
    std::vector<std::pair<qint64, QByteArray>> regions;
    quint64 wholeId = 0; // > 0: written whole into ".<name>.<id in hex>.ny"
};

template <class T> void put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}
void putBytes(QByteArray& out, const QByteArray& b) {
    put<quint32>(out, quint32(b.size()));
    out += b;
}
quint64 fnv(const QByteArray& b) {
    quint64 h = 1469598103934665603ULL;
    qsizetype n = b.size();
    const char* p = b.constData();
    for (; n >= 8; p += 8, n -= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 1099511628211ULL;
    }
    for (; n > 0; ++p, --n)
        h = (h ^ static_cast<unsigned char>(*p)) * 1099511628211ULL;
    return h;
}

enum Kind : quint8 { Commit = 1, Abort = 2, Undo = 3 };

// An entry with a right length and checksum, whatever it says.
QByteArray entry(const std::vector<QByteArray>& folders, const std::vector<Change>& files,
                 Kind kind = Commit) {
    QByteArray body;
    put<quint8>(body, kind);
    put<quint32>(body, quint32(folders.size()));
    for (const QByteArray& f : folders)
        putBytes(body, f);
    put<quint32>(body, quint32(files.size()));
    for (const Change& c : files) {
        putBytes(body, c.path);
        put<quint8>(body, (c.existed ? 1 : 0) | (c.wholeId ? 2 : 0));
        put<qint64>(body, c.oldSize);
        put<qint64>(body, c.newSize);
        put<quint32>(body, quint32(c.regions.size()));
        if (c.wholeId)
            put<quint64>(body, c.wholeId);
        for (const auto& [offset, bytes] : c.regions) {
            put<qint64>(body, offset);
            putBytes(body, bytes);
        }
    }
    QByteArray out("FYNW");
    put<quint64>(out, quint64(body.size()));
    out += body;
    put<quint64>(out, fnv(body));
    out += "DONE";
    return out;
}

class JournalTest : public fyn::test::Sandbox {
public:
    QString data = path("FynData");
    QString kontoFil = path("FynData/KontoFil");
    QString victim = path("victim"); // beside the data folder: must never change
    QString outside = path("ute");   // a folder outside the data folder

    void SetUp() override {
        QDir(dir.path()).mkpath("FynData/Konto");
        QDir(dir.path()).mkpath("ute");
        writeFile(kontoFil, QByteArray(82, 'k'));
        writeFile(victim, "orört");
    }

    // Writes "R" over the register's first byte: replayed only if the journal is.
    QByteArray registerEntry() { return entry({}, {{"KontoFil", true, 82, 82, {{0, "R"}}}}); }

    void expectSetAside() {
        EXPECT_EQ(readFile(kontoFil), QByteArray(82, 'k')) << "nothing may be replayed";
        EXPECT_EQ(readFile(victim), "orört");
        EXPECT_TRUE(QDir(outside).isEmpty());
        EXPECT_FALSE(QFileInfo::exists(journalPath()));
        EXPECT_TRUE(QFileInfo::exists(journalPath() + ".skadad"));
        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        EXPECT_EQ(fakes.messages->calls[0].title, "Ofullbordad ändring");
        EXPECT_TRUE(fakes.messages->calls[0].text.contains(".journal.skadad"));
    }
};

struct Planted {
    const char* name;
    std::function<QByteArray(JournalTest&)> journal;
    std::function<void(JournalTest&)> prepare = [](JournalTest&) {};
};

void PrintTo(const Planted& p, std::ostream* os) {
    *os << p.name;
}

class PlantedJournal : public JournalTest, public ::testing::WithParamInterface<Planted> {};

TEST_P(PlantedJournal, IsSetAsideAndNothingIsReplayed) {
    GetParam().prepare(*this);
    writeFile(journalPath(), GetParam().journal(*this));
    ASSERT_NO_THROW(recoverJournal());
    expectSetAside();
    EXPECT_EQ(QFileInfo(kontoFil).size(), 82);
    // The next change starts a journal of its own.
    WriteBatch batch;
    batch.write(kontoFil, 1, "N");
    batch.commit();
    EXPECT_EQ(readFile(kontoFil).left(2), "kN");
    EXPECT_EQ(readFile(victim), "orört");
    EXPECT_EQ(readFile(journalPath() + ".skadad").isEmpty(), false);
}

Change overVictim(const QByteArray& path) {
    return {path, true, 7, 7, {{0, "HACKED!"}}};
}

INSTANTIATE_TEST_SUITE_P(
    Journal, PlantedJournal,
    ::testing::Values(
        Planted{"AbsolutePath",
                [](JournalTest& t) {
                    return t.registerEntry() + entry({}, {overVictim(t.victim.toUtf8())});
                }},
        Planted{"ParentFolder",
                [](JournalTest& t) {
                    return t.registerEntry() + entry({}, {overVictim("../victim")});
                }},
        Planted{"ParentInsidePath",
                [](JournalTest& t) {
                    return t.registerEntry() + entry({}, {overVictim("Konto/../../victim")});
                }},
        Planted{"FolderOutside",
                [](JournalTest& t) { return t.registerEntry() + entry({"../ute/ny"}, {}); }},
        Planted{"EmptyComponent",
                [](JournalTest& t) {
                    return t.registerEntry() + entry({}, {overVictim("Konto//KontoData")});
                }},
        // "FYNW" and a negative length: once a crash at every start.
        Planted{"NegativeLength",
                [](JournalTest&) {
                    QByteArray j("FYNW");
                    put<qint64>(j, -16);
                    return j + QByteArray(16, 'x');
                }},
        Planted{"RegionPastTheNewEnd",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({}, {{"KontoFil", true, 82, 82, {{80, "abcdef"}}}});
                }},
        Planted{
            "NegativeOffset",
            [](JournalTest& t) {
                return t.registerEntry() + entry({}, {{"KontoFil", true, 82, 82, {{-5, "ab"}}}});
            }},
        // A 512 GB sparse file out of a 60-byte entry.
        Planted{"FileGrowsBeyondWhatIsWritten",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({}, {{"KontoFil", true, 512LL << 30, 512LL << 30, {}}});
                }},
        Planted{"GarbageAfterAnEntry",
                [](JournalTest& t) {
                    return t.registerEntry() + QByteArray("this is not a journal entry at all");
                }},
        Planted{"DamagedEntryBeforeAnother",
                [](JournalTest& t) {
                    QByteArray first = t.registerEntry();
                    first[20] = first[20] ^ 1; // the checksum no longer matches
                    return first + t.registerEntry();
                }},
        Planted{"LinkedFolderLeadsOut",
                [](JournalTest& t) {
                    return t.registerEntry() + entry({}, {{"Ut/fil", false, 0, 5, {{0, "utom"}}}});
                },
                [](JournalTest& t) { QFile::link(t.outside, t.data + "/Ut"); }},
        Planted{"LinkedFileLeadsOut",
                [](JournalTest& t) {
                    return t.registerEntry() + entry({}, {overVictim("Konto/B-mall")});
                },
                [](JournalTest& t) { QFile::link(t.victim, t.data + "/Konto/B-mall"); }},
        // The register replaced by a file written whole that is a hard link to
        // one outside the data folder: every later edit would write there.
        Planted{"WholeFileIsAHardLinkOut",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({},
                                 {{"KontoFil", true, 82, QFileInfo(t.victim).size(), {}, 0x1f}});
                },
                [](JournalTest& t) {
                    ASSERT_EQ(::link(QFile::encodeName(t.victim).constData(),
                                     QFile::encodeName(t.data + "/.KontoFil.1f.ny").constData()),
                              0);
                }},
        // Longer than any file the program keeps (2^31 - 1 bytes): a sparse
        // tebibyte put in place whole, or grown by one byte at its end.
        Planted{
            "WholeFileOfATebibyte",
            [](JournalTest& t) {
                return t.registerEntry() + entry({}, {{"KontoFil", true, 82, 1LL << 40, {}, 0x2e}});
            },
            [](JournalTest& t) {
                QFile f(t.data + "/.KontoFil.2e.ny");
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                ASSERT_TRUE(f.resize(1LL << 40));
            }},
        Planted{"ByteAtTheEndOfATebibyte",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({}, {{"KontoFil", true, 82, 1LL << 40, {{(1LL << 40) - 1, "x"}}}});
                }},
        Planted{"ByteJustPastTheLongestFile",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({}, {{"KontoFil", true, 82, 1LL << 31, {{(1LL << 31) - 1, "x"}}}});
                }},
        // Entries the program never writes: the lock and the journal itself;
        // the markers of a commit given up and of its undo (which earlier
        // versions wrote right after that commit) anywhere else, naming
        // anything else, or writing a file whole.
        Planted{"LockFileRemoved",
                [](JournalTest& t) {
                    return t.registerEntry() + entry({}, {{".lock", false, 0, 1, {{0, "x"}}}}) +
                           entry({}, {{".lock", false, 0, 0, {}}}, Undo);
                },
                [](JournalTest& t) { writeFile(t.data + "/.lock", ""); }},
        Planted{"JournalNamed",
                [](JournalTest& t) {
                    return t.registerEntry() + entry({}, {{".journal", true, 0, 3, {{0, "abc"}}}});
                }},
        Planted{"AbortFirst",
                [](JournalTest& t) { return entry({}, {}, Abort) + t.registerEntry(); }},
        Planted{"MarkerNotLast",
                [](JournalTest& t) {
                    return t.registerEntry() + entry({}, {}, Abort) + t.registerEntry();
                }},
        Planted{"UndoOfAnotherFile",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({}, {{"PosFil", true, 140, 140, {{0, "HACKED!"}}}}, Undo);
                },
                [](JournalTest& t) { writeFile(t.data + "/PosFil", QByteArray(140, 'p')); }},
        Planted{"UndoRemovesTheRegister",
                [](JournalTest&) {
                    return entry({}, {{"KontoFil", false, 0, 82, {{0, QByteArray(82, 'x')}}}}) +
                           entry({}, {{"KontoFil", false, 0, 0, {}}}, Undo);
                }},
        Planted{"LoneUndoRemovesAFile",
                [](JournalTest&) {
                    return entry({}, {{"KontoFil", false, 0, 0, {}}}, Undo);
                }},
        Planted{"AbortNamesAFile",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({}, {{"KontoFil", true, 82, 82, {{0, "k"}}}}, Abort);
                }},
        Planted{
            "UndoWritesAFileWhole",
            [](JournalTest& t) {
                return t.registerEntry() + entry({}, {{"KontoFil", true, 82, 82, {}, 0x1f}}, Undo);
            },
            [](JournalTest& t) { writeFile(t.data + "/.KontoFil.1f.ny", QByteArray(82, 'w')); }},
        // A hard link in a data file's place leads out of the data folder; the
        // region stays within the file, so that only the link refuses it.
        Planted{"RegionWrittenIntoAHardLink",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({}, {{"Konto/B-mall", true, 6, 6, {{0, "HACKED"}}}});
                },
                [](JournalTest& t) {
                    ASSERT_EQ(::link(QFile::encodeName(t.victim).constData(),
                                     QFile::encodeName(t.data + "/Konto/B-mall").constData()),
                              0);
                }},
        // Beyond what the program makes a file of the kind, or with a hole.
        Planted{"SettingsOfAMegabyte",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({},
                                 {{"KontoIni", true, 0, 1 << 20, {{0, QByteArray(1 << 20, 'a')}}}});
                }},
        Planted{"RegisterNotWholeRecords",
                [](JournalTest& t) {
                    return entry({}, {{"KontoFil", true, 82, 100, {{82, QByteArray(18, 'x')}}}}) +
                           t.registerEntry();
                }},
        Planted{"RegisterGrownWithAHole",
                [](JournalTest& t) {
                    return t.registerEntry() +
                           entry({}, {{"KontoFil", true, 82, 246, {{164, QByteArray(82, 'x')}}}});
                }},
        Planted{
            "PostingFileOfTwoGibibytesWithAHole",
            [](JournalTest& t) {
                const qint64 size = qint64(43) * 49'940'000;
                return t.registerEntry() + entry({}, {{"Konto/KontoData",
                                                       true,
                                                       43,
                                                       size,
                                                       {{size - 43, QByteArray(43, 'x')}}}});
            },
            [](JournalTest& t) { writeFile(t.data + "/Konto/KontoData", QByteArray(43, 'd')); }}),
    [](const auto& info) { return std::string(info.param.name); });

// The markers earlier versions wrote after a commit whose files failed, in a
// journal without a head: read as they were meant. A commit given up is not
// replayed; the undo of a commit puts its old bytes back instead; the undo of
// a posting file put in place alone (no entry names it) puts back its old
// bytes, after the commits before it are replayed.
TEST_F(JournalTest, MarkersAfterACommitAreAppliedAsMeant) {
    const QString postings = data + "/Konto/KontoData";
    const QByteArray ab = QByteArray(43, 'a') + QByteArray(43, 'b');
    const QByteArray aw = QByteArray(43, 'a') + QByteArray(43, 'w');
    struct Case {
        const char* name;
        QByteArray journal;
        QByteArray kontoFil; // as the start leaves them
        QByteArray postings;
    };
    const Case cases[] = {
        {"a commit given up", registerEntry() + entry({}, {}, Abort), QByteArray(82, 'k'), aw},
        {"the undo of a commit",
         registerEntry() + entry({}, {{"KontoFil", true, 82, 82, {{0, "k"}}}}, Undo),
         QByteArray(82, 'k'), aw},
        {"the undo of a posting file put in place alone",
         registerEntry() +
             entry({}, {{"Konto/KontoData", true, 86, 86, {{43, QByteArray(43, 'b')}}}}, Undo),
         "R" + QByteArray(81, 'k'), ab},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(kontoFil, QByteArray(82, 'k'));
        writeFile(postings, aw); // the failed commit's bytes, where it left any
        writeFile(journalPath(), c.journal);
        setJournalPath(journalPath());
        ASSERT_NO_THROW(recoverJournal());
        EXPECT_EQ(readFile(kontoFil), c.kontoFil);
        EXPECT_EQ(readFile(postings), c.postings);
        EXPECT_FALSE(QFileInfo::exists(journalPath()));
        EXPECT_FALSE(QFileInfo::exists(journalPath() + ".skadad"));
    }
    EXPECT_TRUE(fakes.messages->calls.empty());
}

TEST_F(JournalTest, AJournalThatIsALinkIsSetAsideNotFollowed) {
    writeFile(outside + "/journal", registerEntry());
    ASSERT_TRUE(QFile::link(outside + "/journal", journalPath()));
    recoverJournal();
    EXPECT_EQ(readFile(kontoFil), QByteArray(82, 'k'));
    EXPECT_TRUE(QFileInfo(journalPath() + ".skadad").isSymLink());
    // A commit writes a journal of its own, not through the link.
    const QByteArray linked = readFile(outside + "/journal");
    WriteBatch batch;
    batch.write(kontoFil, 0, "N");
    batch.commit();
    EXPECT_EQ(readFile(outside + "/journal"), linked);
    EXPECT_EQ(fakes.messages->calls.size(), 1u);
}

// The program's own journal with its head damaged: not replayed, set aside.
TEST_F(JournalTest, AJournalWhoseHeadIsDamagedIsSetAside) {
    WriteBatch batch;
    batch.write(kontoFil, 0, "R");
    batch.commit();
    QByteArray journal = readFile(journalPath());
    ASSERT_TRUE(journal.startsWith("FYNJ"));
    journal[9] = char(journal[9] ^ 0x40); // the epoch no longer matches its checksum
    writeFile(kontoFil, QByteArray(82, 'k'));
    writeFile(journalPath(), journal);
    setJournalPath(journalPath()); // a crash and a new start
    recoverJournal();
    expectSetAside();
}

// A crash while an entry was written leaves a torn tail: the whole entries
// before it are replayed, without a word to the user.
TEST_F(JournalTest, ATornTailIsNotDamage) {
    const QByteArray whole = registerEntry();
    const QByteArray next = entry({}, {{"KontoFil", true, 82, 82, {{1, "S"}}}});
    for (const QByteArray& tail : {next.left(5), next.left(next.size() / 2),
                                   next.left(next.size() - 1), QByteArray(next.size(), '\0')}) {
        writeFile(kontoFil, QByteArray(82, 'k'));
        writeFile(journalPath(), whole + tail);
        recoverJournal();
        EXPECT_EQ(readFile(kontoFil).left(2), "Rk");
        EXPECT_FALSE(QFileInfo::exists(journalPath()));
    }
    EXPECT_TRUE(fakes.messages->calls.empty());
    EXPECT_FALSE(QFileInfo::exists(journalPath() + ".skadad"));
}

// An account deleted after its entry was written: the entry is passed over,
// the rest replayed, and the start goes on.
TEST_F(JournalTest, AnEntryWhoseFolderIsGoneIsSkipped) {
    writeFile(journalPath(), entry({}, {{"Borta/B-mall", true, 18, 18, {{0, "1   100 01 01  "}}}}) +
                                 entry({"Borta2", "Borta2/Under"},
                                       {{"Borta2/Under/KontoData", false, 0, 3, {{0, "abc"}}}}) +
                                 registerEntry());
    ASSERT_NO_THROW(recoverJournal());
    EXPECT_EQ(readFile(kontoFil).left(2), "Rk");
    EXPECT_FALSE(QFileInfo::exists(path("FynData/Borta")));
    // A folder the journal makes itself is made again, with its files.
    EXPECT_EQ(readFile(path("FynData/Borta2/Under/KontoData")), "abc");
    EXPECT_TRUE(fakes.messages->calls.empty());
}

// Links planted in the data folder lead nowhere: neither a commit nor opening
// a record file writes or creates anything through them.
TEST_F(JournalTest, WritesNeverFollowALinkOutOfTheDataFolder) {
    struct Case {
        const char* name;
        QString link;   // made in the data folder
        QString target; // where it points
        QString file;   // what the program writes
    };
    const Case cases[] = {
        {"folder", data + "/Länk", outside, data + "/Länk/B-mall"},
        {"file", data + "/Konto/B-mall", victim, data + "/Konto/B-mall"},
        {"dangling file", data + "/Konto/Transakt", outside + "/ny", data + "/Konto/Transakt"},
        {"register", data + "/PosFil", victim, data + "/PosFil"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(QFile::link(c.target, c.link));
        EXPECT_THROW(openRecordFile<KontoFilPost>(c.file), RuntimeError);
        WriteBatch batch;
        batch.write(c.file, 0, "HACKED!");
        EXPECT_THROW(batch.commit(), RuntimeError);
        EXPECT_THROW(ensureFileExists(c.file), RuntimeError);
        QFile::remove(c.link);
    }
    EXPECT_EQ(readFile(victim), "orört");
    EXPECT_TRUE(QDir(outside).isEmpty());
    // A name with ".." is refused before anything is opened.
    WriteBatch batch;
    batch.write(data + "/Konto/../../victim", 0, "HACKED!");
    EXPECT_THROW(batch.commit(), RuntimeError);
    EXPECT_THROW(openRecordFile<KontoFilPost>(data + "/../victim"), RuntimeError);
    EXPECT_EQ(readFile(victim), "orört");
}

// What the program never writes is refused before anything is written: a
// file that is a hard link (an edit would land in the file outside), a name
// it does not write, a file longer than it makes that kind, a record file
// grown to a length that is no whole number of records.
TEST_F(JournalTest, ACommitRefusesWhatTheProgramNeverWrites) {
    const QString mall = data + "/Konto/B-mall";
    ASSERT_EQ(::link(QFile::encodeName(victim).constData(), QFile::encodeName(mall).constData()),
              0);
    writeFile(data + "/KontoIni", "1\r\nAnna\r\n");
    struct Case {
        const char* name;
        QString file;
        qint64 at;
        QByteArray bytes;
        const char* text;  // the system's text
        const char* where; // the start of what the message names
    };
    const Case cases[] = {
        {"hard link", mall, 0, "1   100 01 01     ", "Path/File access error", "B-mall ("},
        {"the lock", data + "/.lock", 0, "x", "Bad file name or number", ""},
        {"the journal", journalPath(), 0, "x", "Bad file name or number", ""},
        {"settings of 5000 bytes", data + "/KontoIni", 0, QByteArray(5000, 'a'), "Overflow",
         "KontoIni ("},
        {"names past record 9999", data + "/Konto/Transakt", qint64(36) * 9999, QByteArray(36, 't'),
         "Overflow", "Transakt ("},
        {"register of 92 bytes", kontoFil, 82, QByteArray(10, 'x'), "Bad record length",
         "KontoFil ("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBatch batch;
        batch.write(c.file, c.at, c.bytes);
        try {
            batch.commit();
            ADD_FAILURE() << "written";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), c.text);
            EXPECT_TRUE(!*c.where || e.where().startsWith(c.where)) << e.where().toStdString();
        }
    }
    EXPECT_EQ(readFile(victim), "orört");
    EXPECT_EQ(readFile(kontoFil), QByteArray(82, 'k'));
    EXPECT_EQ(readFile(data + "/KontoIni"), "1\r\nAnna\r\n");
    EXPECT_FALSE(QFileInfo::exists(data + "/Konto/Transakt"));
    // What the program does write goes on as before.
    WriteBatch batch;
    batch.write(data + "/Konto/Transakt", qint64(36) * 9998, QByteArray(36, 't'));
    batch.write(kontoFil, 82, QByteArray(82, 'n'));
    EXPECT_NO_THROW(batch.commit());
}

// A named pipe or a folder in a data file's place holds nothing up: a commit
// and a file made when missing are refused at once, and a journal that names
// them is set aside unreplayed.
TEST_F(JournalTest, NothingWaitsOnAPipeOrAFolderInAFilesPlace) {
    // Should anything wait on the pipe, the test ends here instead of hanging.
    ::alarm(60);
    const QString pipe = data + "/Konto/B-mall";
    const QString folder = data + "/Konto/Transakt";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& file : {pipe, folder}) {
        SCOPED_TRACE(file.toStdString());
        WriteBatch batch;
        batch.write(file, 0, "1   100 01 01  ");
        try {
            batch.commit();
            ADD_FAILURE() << "committed";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), "Path/File access error");
        }
        try {
            ensureFileExists(file);
            ADD_FAILURE() << "taken as a file";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), "Path/File access error");
        }
    }
    writeFile(journalPath(), entry({}, {{"Konto/B-mall", true, 0, 15, {{0, "1   100 01 01  "}}},
                                        {"Konto/Transakt", true, 0, 3, {{0, "abc"}}}}) +
                                 registerEntry());
    ASSERT_NO_THROW(recoverJournal());
    expectSetAside();
    EXPECT_TRUE(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    ::alarm(0);
}

// A disk that answers a lookup of the names a journal is set aside under
// with an error (a failing stick, a FUSE mount whose daemon died), or (0)
// that every one of them is there.
class AsideLookups final : public platform::DataWrites {
public:
    int answer = EIO;
    int statAt(int dir, const char* name, struct stat* st, int flags) override {
        if (!QByteArray(name).contains(".journal.skadad"))
            return DataWrites::statAt(dir, name, st, flags);
        if (answer == 0) {
            *st = {};
            st->st_mode = S_IFREG | 0644;
            return 0;
        }
        errno = answer;
        return -1;
    }
};

// The search for a name to set a journal aside under ends at the first answer
// that is neither a file nor none, or after a bounded number of names, and
// that failure is reported: at the start the journal stays in place,
// unreplayed, and a commit is refused with it until the journal can be moved,
// which the first commit after the disk answers again does.
TEST_F(JournalTest, ASearchForANameAsideEndsAtTheFirstFailure) {
    ::alarm(60); // a search without end fails here instead of hanging
    const QByteArray planted = registerEntry() + "this is not a journal entry";
    const std::pair<int, const char*> answers[] = {
        {EIO, "Device I/O error"},
        {ENOTCONN, "Device I/O error"},
        {0, "Path/File access error"},
    };
    for (const auto& [answer, said] : answers) {
        SCOPED_TRACE(answer);
        fakes.messages->calls.clear();
        writeFile(journalPath(), planted);
        setJournalPath(journalPath()); // a start
        platform::testing::InstalledWrites<AsideLookups> disk;
        disk->answer = answer;
        ASSERT_NO_THROW(recoverJournal());
        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        const QString text = fakes.messages->calls[0].text;
        EXPECT_EQ(fakes.messages->calls[0].title, "Ofullbordad ändring");
        EXPECT_TRUE(text.contains("Loggen ligger kvar som '.journal'")) << text.toStdString();
        EXPECT_TRUE(text.contains(QString("('") + said + "')")) << text.toStdString();
        EXPECT_TRUE(changePending());
        EXPECT_EQ(readFile(journalPath()), planted);
        WriteBatch batch;
        batch.write(kontoFil, 1, "N");
        try {
            batch.commit();
            ADD_FAILURE() << "saved beside a journal not moved aside";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), said);
        }
        EXPECT_EQ(readFile(kontoFil), QByteArray(82, 'k'));
    }
    WriteBatch batch;
    batch.write(kontoFil, 1, "N");
    ASSERT_NO_THROW(batch.commit());
    EXPECT_EQ(readFile(kontoFil).left(3), "kNk");
    EXPECT_EQ(readFile(journalPath() + ".skadad"), planted);
    EXPECT_FALSE(changePending());
    ::alarm(0);
}

// The program's own head, as a commit writes it.
QByteArray ourHead(JournalTest& t) {
    WriteBatch batch;
    batch.write(t.kontoFil, 0, "k");
    batch.commit();
    const QByteArray head = readFile(journalPath()).left(4096);
    EXPECT_TRUE(head.startsWith("FYNJ"));
    QFile::remove(journalPath());
    setJournalPath(journalPath());
    return head;
}

// A journal that is a hard link to a file outside the data folder, whatever
// it holds, is moved aside untouched before anything is written; and once the
// program runs, no open of the journal for writing goes through one.
TEST_F(JournalTest, AJournalThatIsAHardLinkIsMovedAsideUntouched) {
    const QByteArray head = ourHead(*this);
    const QString other = path("journal-utanför"); // beside the data folder
    const std::pair<const char*, QByteArray> held[] = {
        {"zeros", QByteArray(4096, '\0')},
        {"shorter than an entry's header", QByteArray("FYN3\x05", 5)},
        {"a valid head", head},
        {"a valid head and an entry", head + registerEntry()},
    };
    for (const auto& [name, bytes] : held) {
        SCOPED_TRACE(name);
        fakes.messages->calls.clear();
        QFile::remove(journalPath() + ".skadad");
        writeFile(other, bytes);
        ASSERT_EQ(::link(QFile::encodeName(other).constData(),
                         QFile::encodeName(journalPath()).constData()),
                  0);
        setJournalPath(journalPath());
        ASSERT_NO_THROW(recoverJournal());
        expectSetAside();
        EXPECT_EQ(readFile(other), bytes) << "the file outside was changed";
        // The next change begins a journal of its own.
        WriteBatch batch;
        batch.write(kontoFil, 1, "N");
        batch.commit();
        checkpoint();
        EXPECT_EQ(readFile(other), bytes);
        QFile::remove(journalPath());
        QFile::remove(other);
        writeFile(kontoFil, QByteArray(82, 'k'));
    }
    // Planted while the program runs: no commit, no checkpoint writes through it.
    WriteBatch first;
    first.write(kontoFil, 2, "F");
    first.commit();
    writeFile(other, head);
    QFile::remove(journalPath());
    ASSERT_EQ(
        ::link(QFile::encodeName(other).constData(), QFile::encodeName(journalPath()).constData()),
        0);
    WriteBatch next;
    next.write(kontoFil, 3, "G");
    EXPECT_THROW(next.commit(), RuntimeError);
    EXPECT_THROW(checkpoint(), RuntimeError);
    EXPECT_EQ(readFile(other), head);
}

// A sparse journal of 4 GiB less a byte, with a head of ours: nothing near
// its size is read at a start. Empty after its head, there is nothing to
// replay; with an entry that says it is as long as the file, it is not ours.
TEST_F(JournalTest, ASparseJournalIsNotReadWhole) {
    const QByteArray head = ourHead(*this);
    QByteArray claim("FYN3");
    put<quint64>(claim, quint64(3) << 30);
    for (const QByteArray& start : {head, head + claim}) {
        const bool entry = start.size() > head.size();
        SCOPED_TRACE(entry ? "an entry of 3 GiB" : "nothing after the head");
        fakes.messages->calls.clear();
        QFile::remove(journalPath() + ".skadad");
        {
            QFile f(journalPath());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(start);
            ASSERT_TRUE(f.resize((qint64(1) << 32) - 1));
        }
        setJournalPath(journalPath());
        const long long readBefore = fyn::safewrite_testing::journalBytesRead();
        struct rusage before {
        }, after{};
        ::getrusage(RUSAGE_SELF, &before);
        ASSERT_NO_THROW(recoverJournal());
        ::getrusage(RUSAGE_SELF, &after);
        EXPECT_LT(fyn::safewrite_testing::journalBytesRead() - readBefore, 1 << 20);
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "kB more at the peak";
        EXPECT_EQ(readFile(kontoFil), QByteArray(82, 'k'));
        if (entry)
            expectSetAside();
        else
            EXPECT_TRUE(fakes.messages->calls.empty());
        QFile::remove(journalPath());
    }
}

} // namespace
