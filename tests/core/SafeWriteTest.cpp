#include "core/SafeWrite.h"
#include "core/Errors.h"
#include "core/RecordFile.h"
#include "core/SafeWriteTesting.h"
#include "support/TestSupport.h"

#include <QFile>
#include <map>
#include <optional>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::writeFile;
namespace sw = fyn::safewrite_testing;

namespace {

// What a set of files holds; a missing file is nullopt.
using Snapshot = std::map<QString, std::optional<QByteArray>>;

class SafeWriteTest : public fyn::test::Sandbox {
protected:
    QString a = path("FynData/Konto/KontoData");
    QString b = path("FynData/KontoFil");
    QString c = path("FynData/Konto/Transakt"); // made by the commit
    QString d = path("FynData/KontoIni");       // replaced by a shorter text

    void SetUp() override { QDir(dir.path()).mkpath("FynData/Konto"); }

    void writeOld() {
        QByteArray data;
        for (int i = 1; i <= 6; ++i)
            data += QByteArray::number(i).repeated(43);
        writeFile(a, data);
        writeFile(b, QByteArray(82, 'k'));
        QFile::remove(c);
        writeFile(d, "12\r\nEn lång användare\r\n");
        QFile::remove(journalPath());
    }

    Snapshot snapshot() const {
        Snapshot s;
        for (const QString& f : {a, b, c, d})
            s[f] = QFile::exists(f) ? std::optional(readFile(f)) : std::nullopt;
        return s;
    }

    // One user action: two postings changed, one appended past the end, a
    // register record, a new file and a rewritten settings file.
    void commitAction() {
        WriteBatch batch;
        batch.write(a, 43 * 1, QByteArray(43, 'X'));
        batch.write(a, 43 * 2, QByteArray(43, 'Y')); // touches the one before: one write
        batch.write(a, 43 * 7, QByteArray(43, 'Z')); // past the end: record 7 blank-filled
        batch.write(b, 82, QByteArray(82, 'n'));
        batch.write(c, 0, QByteArray(36, 't'));
        batch.replaceFile(d, "3\r\nAnna\r\n");
        batch.commit();
    }
};

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
    // The journal holds the commit until a checkpoint empties it.
    EXPECT_GT(readFile(journalPath()).size(), 0);
    checkpoint();
    EXPECT_EQ(readFile(journalPath()).size(), 0);
    const Snapshot now = snapshot();
    recoverJournal();
    EXPECT_EQ(snapshot(), now);
}

// A crash at any write point of a commit, torn or clean, leaves after recovery
// either every file as before or every file as after.
TEST_F(SafeWriteTest, CrashAtEveryWritePointGivesOldOrNew) {
    writeOld();
    const Snapshot before = snapshot();
    sw::armCrash(-1, false);
    commitAction();
    const Snapshot after = snapshot();
    const int points = sw::pointsPassed();
    ASSERT_GT(points, 8);

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
        }
        EXPECT_GT(sawOld, 0);
        EXPECT_GT(sawNew, 0); // a crash after the last sync keeps the new state
    }
}

TEST_F(SafeWriteTest, FailedWriteIsRolledBackAndReported) {
    writeOld();
    // The device that is always full: the second file's write fails after the
    // first file has been written.
    const QString full = path("FynData/Full");
    ASSERT_TRUE(QFile::link("/dev/full", full));
    const Snapshot before = snapshot();
    WriteBatch batch;
    batch.write(a, 0, QByteArray(43, 'X'));
    batch.write(full, 0, QByteArray(10, 'F'));
    try {
        batch.commit();
        FAIL() << "a write to a full disk succeeded";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.text(), "Disk full");
    }
    EXPECT_EQ(snapshot(), before);
    // The journal cancels the failed commit: recovery does not redo it.
    QFile::remove(full);
    recoverJournal();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(SafeWriteTest, RecoveryReplaysEveryCommitInOrder) {
    writeOld();
    for (const char* text : {"AAAA", "BB", "C"}) {
        WriteBatch batch;
        batch.write(a, 0, text);
        batch.commit();
    }
    const Snapshot after = snapshot();
    EXPECT_EQ(readFile(a).left(4), "CBAA");
    // As if the writes had not reached the disk: the journal brings them back.
    const QByteArray journal = readFile(journalPath());
    writeOld();
    writeFile(journalPath(), journal);
    recoverJournal();
    EXPECT_EQ(snapshot(), after);
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
