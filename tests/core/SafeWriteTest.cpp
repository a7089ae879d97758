#include "core/SafeWrite.h"
#include "core/Errors.h"
#include "core/RecordFile.h"
#include "core/SafeWriteTesting.h"
#include "platform/testing/FakePlatform.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <map>
#include <optional>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::writeFile;
namespace sw = fyn::safewrite_testing;

namespace {

// What a set of files holds; a missing file is nullopt.
struct Snapshot {
    std::map<QString, std::optional<QByteArray>> files;
    bool operator==(const Snapshot&) const = default;
    std::optional<QByteArray>& operator[](const QString& f) { return files[f]; }
    const std::optional<QByteArray>& at(const QString& f) const { return files.at(f); }
};

// Short: each file's size and a hash, so that a failure stays readable.
void PrintTo(const Snapshot& s, std::ostream* os) {
    for (const auto& [path, bytes] : s.files)
        *os << QFileInfo(path).fileName().toStdString() << "="
            << (bytes ? std::to_string(bytes->size()) + "/" + std::to_string(qHash(*bytes))
                      : std::string("none"))
            << " ";
}

class SafeWriteTest : public fyn::test::Sandbox {
protected:
    QString a = path("FynData/Konto/KontoData");
    QString b = path("FynData/KontoFil");
    QString c = path("FynData/Konto/Transakt"); // made by the commit
    QString d = path("FynData/KontoIni");       // replaced by a shorter text
    // Large beside the journal, so that the commits stay in it until a checkpoint.
    QString e = path("FynData/Konto/Stor");

    void SetUp() override { QDir(dir.path()).mkpath("FynData/Konto"); }

    void writeOld() {
        QByteArray data;
        for (int i = 1; i <= 6; ++i)
            data += QByteArray::number(i).repeated(43);
        writeFile(a, data);
        writeFile(b, QByteArray(82, 'k'));
        QFile::remove(c);
        writeFile(d, "12\r\nEn lång användare\r\n");
        writeFile(e, QByteArray(20000, 's'));
        QFile::remove(journalPath());
    }

    Snapshot snapshot() const {
        Snapshot s;
        for (const QString& f : {a, b, c, d, e})
            s[f] = QFile::exists(f) ? std::optional(readFile(f)) : std::nullopt;
        return s;
    }

    // How commitAction writes the posting file a.
    enum class Way {
        Regions, // a few postings: its bytes go through the journal
        Whole,   // nearly all of it, with the other files: a new file, named by the entry
        Alone,   // nearly all of it and nothing else: a new file put in its place
    };
    Way way = Way::Regions;

    // One user action: two postings changed, one appended past the end, a
    // register record, a new file and a rewritten settings file.
    void commitAction() {
        WriteBatch batch;
        if (way != Way::Regions) {
            const QByteArray old = readFile(a); // as memory holds it
            batch.write(a, 0, QByteArray(43 * 5, 'W'));
            batch.write(a, 43 * 7, QByteArray(43, 'Z'));
            batch.knownContent(a, old.constData(), old.size());
            if (way == Way::Alone) {
                batch.commit();
                return;
            }
            batch.write(b, 82, QByteArray(82, 'n'));
            batch.write(c, 0, QByteArray(36, 't'));
            batch.replaceFile(d, "3\r\nAnna\r\n");
            batch.write(e, 100, "S");
            batch.commit();
            return;
        }
        batch.write(a, 43 * 1, QByteArray(43, 'X'));
        batch.write(a, 43 * 2, QByteArray(43, 'Y')); // touches the one before: one write
        batch.write(a, 43 * 7, QByteArray(43, 'Z')); // past the end: record 7 blank-filled
        batch.write(b, 82, QByteArray(82, 'n'));
        batch.write(c, 0, QByteArray(36, 't'));
        batch.replaceFile(d, "3\r\nAnna\r\n");
        batch.write(e, 100, "S");
        batch.commit();
    }
};

// The tests that follow run for each way of writing the posting file.
class SafeWriteWays : public SafeWriteTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        SafeWriteTest::SetUp();
        way = Way(GetParam());
        sw::replaceWholeFrom(0); // small files here
    }
    void TearDown() override { sw::replaceWholeFrom(-1); }
    // Files written whole that were left behind.
    QStringList leftOver() const {
        return QDir(path("FynData/Konto")).entryList({".*.ny"}, QDir::Files | QDir::Hidden);
    }
};

INSTANTIATE_TEST_SUITE_P(Ways, SafeWriteWays, ::testing::Values(0, 1, 2), [](const auto& info) {
    return std::string(info.param == 0 ? "Regions" : info.param == 1 ? "Whole" : "Alone");
});

TEST_F(SafeWriteTest, CommitWritesEverythingAndLeavesNoJournal) {
    writeOld();
    sw::armCrash(-1, false);
    commitAction();
    QByteArray expected = readFile(a);
    EXPECT_EQ(expected.size(), 43 * 8);
    EXPECT_EQ(expected.mid(43, 86), QByteArray(43, 'X') + QByteArray(43, 'Y'));
    EXPECT_EQ(expected.mid(43 * 6, 43), QByteArray(43, ' '));
    EXPECT_EQ(expected.mid(43 * 7), QByteArray(43, 'Z'));
    EXPECT_EQ(readFile(b), QByteArray(82, 'k') + QByteArray(82, 'n'));
    EXPECT_EQ(readFile(c), QByteArray(36, 't'));
    EXPECT_EQ(readFile(d), "3\r\nAnna\r\n");
    // The journal holds the commit until a checkpoint empties it: then what it
    // held no longer counts, even where the bytes are still in the file.
    EXPECT_GT(readFile(journalPath()).size(), 0);
    checkpoint();
    writeFile(a, "changed since"); // as a restore from a backup would
    const Snapshot now = snapshot();
    recoverJournal();
    EXPECT_EQ(snapshot(), now);
}

// A crash at any write point of a commit, torn or clean, leaves after recovery
// either every file as before or every file as after.
TEST_P(SafeWriteWays, CrashAtEveryWritePointGivesOldOrNew) {
    writeOld();
    const Snapshot before = snapshot();
    sw::armCrash(-1, false);
    commitAction();
    const Snapshot after = snapshot();
    const int points = sw::pointsPassed();
    ASSERT_GE(points, 4);

    for (bool torn : {true, false}) {
        int sawOld = 0, sawNew = 0;
        for (int k = 0; k < points; ++k) {
            writeOld();
            sw::armCrash(k, torn);
            EXPECT_THROW(commitAction(), sw::Crash) << "point " << k;
            sw::armCrash(-1, false);
            recoverJournal();
            const Snapshot now = snapshot();
            if (now == before)
                ++sawOld;
            else if (now == after)
                ++sawNew;
            else
                ADD_FAILURE() << "a mix after a crash at point " << k << (torn ? " (torn)" : "");
            EXPECT_FALSE(QFile::exists(journalPath()));
            EXPECT_EQ(leftOver(), QStringList()) << "point " << k;
        }
        EXPECT_GT(sawOld, 0);
        EXPECT_GT(sawNew, 0); // a crash after the last sync keeps the new state
    }
}

// The titles of what a commit that stands but is not finished tells the user.
bool toldPending(const std::vector<platform::testing::MessageCall>& calls) {
    return !calls.empty() && (calls.back().title == "Ändringen slutförs senare" ||
                              calls.back().title == "Ändringen är inte säkert sparad");
}

// A write that fails at any point is refused whole and reported (nothing of
// it written), or it stands and is finished before anything more is read, and
// a later restart keeps what the user was told. A full disk gives the
// journal's room back and tries once more.
TEST_P(SafeWriteWays, AFailedWriteIsRefusedWholeOrFinished) {
    writeOld();
    const Snapshot before = snapshot();
    sw::armCrash(-1, false);
    commitAction();
    const Snapshot after = snapshot();
    const int points = sw::pointsPassed();
    for (int error : {EIO, ENOSPC}) {
        int refused = 0;
        for (int k = 0; k < points; ++k) {
            writeOld();
            fakes.messages->calls.clear();
            sw::armFailure({k}, error);
            bool threw = false;
            try {
                commitAction();
            } catch (const RuntimeError& e) {
                threw = true;
                EXPECT_EQ(e.text(), "Device I/O error");
            }
            sw::armCrash(-1, false);
            refused += threw;
            EXPECT_TRUE(threw ? fakes.messages->calls.empty()
                              : fakes.messages->calls.empty() || toldPending(fakes.messages->calls))
                << "failure at point " << k;
            RecordFile(a, 43).count(); // read again: what waits is finished first
            checkpoint();
            EXPECT_EQ(snapshot(), threw ? before : after) << "failure at point " << k;
            EXPECT_EQ(leftOver(), QStringList()) << "failure at point " << k;
            setJournalPath(journalPath()); // a restart
            recoverJournal();
            EXPECT_EQ(snapshot(), threw ? before : after) << "restart after point " << k;
        }
        if (error == EIO)
            EXPECT_GT(refused, 0);
        else
            EXPECT_EQ(refused, 0) << "a full disk once is not a failure";
    }
}

// Two points fail: a write and then what puts it right (the undo, or cutting
// the entry off the journal). Nothing more is written until the journal is
// clean; then the next commit works and a restart keeps exactly that.
TEST_P(SafeWriteWays, AFailureThatCannotBeCancelledStopsFurtherWrites) {
    writeOld();
    sw::armCrash(-1, false);
    commitAction();
    const int points = sw::pointsPassed() + 8; // and the error paths
    auto second = [&] {
        WriteBatch batch;
        batch.write(b, 0, "andra");
        batch.commit();
    };
    writeOld();
    const Snapshot before = snapshot();
    second();
    const Snapshot beforeThenSecond = snapshot();
    writeOld();
    commitAction();
    second();
    const Snapshot afterThenSecond = snapshot();

    for (int k1 = 0; k1 < points; ++k1) {
        for (int k2 = k1 + 1; k2 < points; ++k2) {
            writeOld();
            setJournalPath(journalPath());
            sw::armFailure({k1, k2}, ENOSPC);
            bool threw = false;
            try {
                commitAction();
            } catch (const RuntimeError&) {
                threw = true;
            }
            // Still failing: nothing more goes to disk.
            const Snapshot stuck = snapshot();
            sw::armFailure({}, ENOSPC, 0);
            EXPECT_THROW(second(), RuntimeError);
            EXPECT_EQ(snapshot(), stuck);
            // The disk has room again.
            sw::armCrash(-1, false);
            second();
            const Snapshot& expected = threw ? beforeThenSecond : afterThenSecond;
            EXPECT_EQ(snapshot(), expected) << "failures at " << k1 << ", " << k2;
            setJournalPath(journalPath());
            recoverJournal();
            EXPECT_EQ(snapshot(), expected) << "restart, failures at " << k1 << ", " << k2;
        }
    }
    (void)before;
}

// A write fails, and from a later point on nothing more can be written (a
// disk with no room left, a stick that stopped answering). What the user was
// told is what the files come to hold: refused, the state before; told that
// the change is begun and will be finished, the state after. So whether the
// files are read again once the disk has room, or the program ends and
// starts again, first while nothing can be written and then with room.
TEST_P(SafeWriteWays, AFailedWriteEndsAsTheUserWasTold) {
    writeOld();
    sw::armCrash(-1, false);
    commitAction();
    const Snapshot after = snapshot();
    const int points = sw::pointsPassed() + 8; // and the error paths
    writeOld();
    const Snapshot before = snapshot();
    int toldLater = 0;
    for (int error : {ENOSPC, EIO}) {
        for (const bool restart : {false, true}) {
            for (int k1 = 0; k1 < points; ++k1) {
                for (int k2 = k1 + 1; k2 <= points; ++k2) {
                    const std::string where = "failures at " + std::to_string(k1) + " and from " +
                                              std::to_string(k2) + (restart ? ", restart" : "") +
                                              (error == EIO ? ", EIO" : ", ENOSPC");
                    writeOld();
                    setJournalPath(journalPath());
                    fakes.messages->calls.clear();
                    sw::armFailure({k1}, error, k2);
                    bool threw = false;
                    try {
                        commitAction();
                    } catch (const RuntimeError&) {
                        threw = true;
                    }
                    const auto& calls = fakes.messages->calls;
                    const bool later = toldPending(calls);
                    EXPECT_LE(calls.size(), size_t(1)) << where;
                    EXPECT_FALSE(threw && later) << where;
                    toldLater += later;
                    const Snapshot& told = threw ? before : after;
                    if (restart) {
                        setJournalPath(journalPath()); // ended while the disk is full
                        sw::armFailure({}, error, 0);
                        try {
                            recoverJournal();
                        } catch (const RuntimeError&) {
                        }
                        sw::armCrash(-1, false);
                        setJournalPath(journalPath()); // and started with room
                        recoverJournal();
                    } else {
                        sw::armCrash(-1, false);
                        RecordFile(a, 43); // read again
                        checkpoint();
                    }
                    EXPECT_EQ(snapshot(), told) << where;
                    EXPECT_LE(calls.size(), size_t(1)) << where;
                    EXPECT_EQ(leftOver(), QStringList()) << where;
                }
            }
        }
    }
    EXPECT_GT(toldLater, 0);
}

// What a journal entry wrote to a file before a later commit wrote the file
// whole is in that file already: a replay does not write it again over the
// newer bytes, and what came after is replayed.
TEST_F(SafeWriteTest, AFileWrittenWholeIsNotWrittenOverByEarlierEntries) {
    sw::replaceWholeFrom(0);
    writeOld();
    auto commit = [&](auto&& fill) {
        const QByteArray old = readFile(a);
        WriteBatch batch;
        fill(batch);
        batch.knownContent(a, old.constData(), old.size());
        batch.commit();
    };
    commit([&](WriteBatch& w) { w.write(a, 0, "AAAA"); });
    commit([&](WriteBatch& w) {
        w.write(a, 0, QByteArray(43 * 6, 'W'));
        w.write(b, 0, "B");
    });
    commit([&](WriteBatch& w) { w.write(a, 5, "CC"); });
    const Snapshot after = snapshot();
    EXPECT_EQ(readFile(a).left(8), "WWWWWCCW");
    setJournalPath(journalPath()); // a crash before any checkpoint, and a new start
    recoverJournal();
    EXPECT_EQ(snapshot(), after);
    sw::replaceWholeFrom(-1);
}

TEST_F(SafeWriteTest, RecoveryReplaysEveryCommitInOrder) {
    writeOld();
    for (const char* text : {"AAAA", "BB", "C"}) {
        WriteBatch batch;
        batch.write(e, 0, text);
        batch.commit();
    }
    const Snapshot after = snapshot();
    EXPECT_EQ(readFile(e).left(4), "CBAA");
    // As if the writes had not reached the disk: the journal brings them back.
    const QByteArray journal = readFile(journalPath());
    writeOld();
    writeFile(journalPath(), journal);
    recoverJournal();
    EXPECT_EQ(snapshot(), after);
}

// On a small stick the journal must not eat the free space: it is emptied
// whenever what it holds has grown larger than the files it stands for, and
// its file never holds more than its head and twice the files.
TEST_F(SafeWriteTest, TheJournalStaysWithinTwiceItsRoom) {
    writeOld();
    for (int i = 0; i < 20; ++i) {
        WriteBatch batch;
        batch.write(e, (i % 2) * 10000, QByteArray(10000, char('a' + i)));
        batch.commit();
        EXPECT_LE(QFileInfo(journalPath()).size(), 4096 + 2 * kJournalRoom * QFileInfo(e).size())
            << "commit " << i;
    }
    EXPECT_EQ(readFile(e), QByteArray(10000, 's') + QByteArray(10000, 't'));
}

// After a checkpoint the next entries go over the old ones: a whole old entry
// that still follows the newest one is not replayed after a crash.
TEST_F(SafeWriteTest, EntriesOfAnEmptiedJournalAreNotReplayed) {
    writeOld();
    for (char c : {'a', 'b'}) {
        WriteBatch batch;
        batch.write(e, c == 'a' ? 0 : 10000, QByteArray(10000, c));
        batch.commit();
    }
    checkpoint();
    writeFile(e, QByteArray(20000, 'Z')); // as a restore from a backup would
    // An entry just as long as the first: the old second one follows it whole.
    WriteBatch batch;
    batch.write(e, 0, QByteArray(10000, 'c'));
    batch.commit();
    const Snapshot now = snapshot();
    setJournalPath(journalPath()); // a crash and a new start
    recoverJournal();
    EXPECT_EQ(snapshot(), now);
    EXPECT_EQ(readFile(e), QByteArray(10000, 'c') + QByteArray(10000, 'Z'));
}

TEST_F(SafeWriteTest, MissingFolderFailsBeforeAnythingIsWritten) {
    writeOld();
    const Snapshot before = snapshot();
    WriteBatch batch;
    batch.write(a, 0, QByteArray(43, 'X'));
    batch.write(path("FynData/Borta/KontoData"), 0, QByteArray(43, 'X'));
    try {
        batch.commit();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.text(), "Path not found");
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(SafeWriteTest, RecoveryIgnoresAJournalThatWasNotFinished) {
    writeOld();
    const Snapshot before = snapshot();
    writeFile(journalPath(), "FYNJ\x01\x00\x00"); // cut short: its commit never began
    recoverJournal();
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(QFile::exists(journalPath()));
}

TEST_F(SafeWriteTest, LaterWritesOverTheSameBytesWin) {
    writeOld();
    WriteBatch batch;
    batch.write(a, 10, "aaaaa");
    batch.write(a, 12, "bb");
    batch.write(a, 8, "cc");
    batch.commit();
    EXPECT_EQ(readFile(a).mid(8, 7), "ccaabba");
}

} // namespace
