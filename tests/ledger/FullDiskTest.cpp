// A disk that fills up in the middle of an edit, where the undo cannot be
// written either (a full file system that copies what it overwrites, as btrfs
// does): the half-written posting file is never read into memory, and the
// next edit never writes records computed from it.
#include "platform/testing/FullDisk.h"
#include "core/Errors.h"
#include "core/SafeWrite.h"
#include "ledger/Engine.h"
#include "platform/SysError.h"
#include "support/AccountFixture.h"
#include "support/LoopImage.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

using namespace fyn;
using namespace fyn::ledger;
using fyn::test::enkel;
using fyn::test::readFile;
using fyn::test::writeFile;

namespace {

constexpr long kPostings = 3000;

// Postings of 10 kronor each from 2020-01-02 on, with their running balances.
QByteArray postings() {
    QByteArray out;
    for (long i = 1; i <= kPostings; ++i)
        out += encodeRecord(enkel(QDate(2020, 1, 2).addDays(i / 3).toString("yyyy-MM-dd"), "2",
                                  "10", QString::number(10 * i)));
    return out;
}

const NewPosting kFirst{"2020-01-01", 2, 0, "", "5,00", "2026-12-09"};

// A posting file read afresh, or the error that refused it.
struct Reopened {
    std::optional<QByteArray> bytes;
    QString error;
    QString where;
};

Reopened reopen(const QString& path) {
    Reopened r;
    try {
        PostingFile f;
        f.open(path, Kind::Enkel);
        r.bytes = f.bytes();
    } catch (const RuntimeError& e) {
        r.error = e.text();
        r.where = e.where();
    }
    return r;
}

// After the disk has room again: the account opens as memory holds it, a
// posting changes, and a start after a crash finds every balance right.
void expectSoundAfterRoom(const QString& data, PostingFile& f, long n) {
    const Reopened again = reopen(data);
    ASSERT_TRUE(again.bytes) << again.error.toStdString();
    EXPECT_EQ(*again.bytes, f.bytes());
    f.open(data, Kind::Enkel);
    ASSERT_TRUE(changePosting(f, n, 2950, "", "25,00", "2026-12-09", "2026-12-09", nullptr).ok());
    const QByteArray now = f.bytes();
    setJournalPath(journalPath()); // a crash and a new start
    recoverJournal();
    PostingFile read;
    read.open(data, Kind::Enkel);
    EXPECT_EQ(read.bytes(), now);
    EXPECT_FALSE(checkBalances(read, 1, n).has_value()) << "running balances wrong";
}

class FullDiskTest : public fyn::test::Sandbox {
protected:
    QString data = path("FynData/Konto/KontoData");
    void SetUp() override { QDir(dir.path()).mkpath("FynData/Konto"); }
};

TEST_F(FullDiskTest, AHalfWrittenPostingFileIsNotReadUntilItsUndoIsDone) {
    // The room an insert's journal entry takes, measured once.
    writeFile(data, postings());
    PostingFile f;
    f.open(data, Kind::Enkel);
    ASSERT_TRUE(insertPosting(f, kPostings, kFirst, nullptr).ok());
    const qint64 journalBytes = QFileInfo(journalPath()).size();
    ASSERT_GT(journalBytes, qint64(kPostings) * 43);

    for (const bool copyOnWrite : {false, true}) {
        SCOPED_TRACE(copyOnWrite ? "overwrites need room" : "overwrites in place");
        QFile::remove(journalPath());
        setJournalPath(journalPath());
        writeFile(data, postings());
        f.open(data, Kind::Enkel);
        const QByteArray before = f.bytes();
        platform::testing::FullDiskInstalled disk;
        disk->overwritesNeedRoom = copyOnWrite;
        // The entry fits, and half of the posting file's write.
        disk->room = journalBytes + (copyOnWrite ? kPostings * 43 / 2 : 0);
        try {
            insertPosting(f, kPostings, kFirst, nullptr);
            FAIL() << "the insert did not fail";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), platform::kDiskFull);
        }
        EXPECT_EQ(f.bytes(), before); // memory as it was
        const Reopened full = reopen(data);
        if (copyOnWrite) {
            // The undo waits for room: the account is refused, with the reason.
            EXPECT_FALSE(full.bytes) << "the half-written file was read";
            EXPECT_EQ(full.error, platform::kDiskFull);
            EXPECT_TRUE(full.where.startsWith("KontoData")) << full.where.toStdString();
        } else {
            ASSERT_TRUE(full.bytes) << full.error.toStdString();
            EXPECT_EQ(*full.bytes, before);
        }
        disk->room = -1; // space freed
        expectSoundAfterRoom(data, f, kPostings);
        EXPECT_EQ(readFile(data).left(43), before.left(43)) << "the failed insert came back";
    }
}

// The same on a real btrfs image, filled up and given back a little at a time
// until the insert fits: whatever each failed attempt left, the file is never
// read as a mix.
TEST_F(FullDiskTest, OnAFullBtrfsTheHalfWrittenFileIsNeverRead) {
    test::LoopImage disk;
    if (const QString why = disk.mount("btrfs", 128 << 20, {"-q"}); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    const QString mountPoint = disk.root().chopped(1);
    struct ForgetJournal {
        ~ForgetJournal() { setJournalPath(QString()); }
    } forget;

    QDir(mountPoint).mkpath("FynData/Konto");
    setJournalPath(mountPoint + "/FynData/.journal");
    const QString onDisk = mountPoint + "/FynData/Konto/KontoData";
    writeFile(onDisk, postings());
    ::sync();
    PostingFile f;
    f.open(onDisk, Kind::Enkel);
    const QByteArray before = f.bytes();

    // Filled to the last byte.
    const QByteArray filler = QFile::encodeName(mountPoint + "/fyllnad");
    const int fill = ::open(filler.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fill, 0);
    qint64 filled = 0;
    for (const qint64 chunk : {qint64(1) << 20, qint64(4096)}) {
        const QByteArray bytes(chunk, 'z');
        ssize_t n;
        while ((n = ::write(fill, bytes.constData(), size_t(chunk))) > 0)
            filled += n;
    }
    ::fsync(fill);

    bool inserted = false;
    int refused = 0;
    for (int attempt = 0; attempt < 200 && !inserted; ++attempt) {
        try {
            inserted = insertPosting(f, kPostings, kFirst, nullptr).ok();
        } catch (const RuntimeError& e) {
            ASSERT_EQ(e.text(), platform::kDiskFull) << "attempt " << attempt;
            EXPECT_EQ(f.bytes(), before);
            const Reopened now = reopen(onDisk);
            if (now.bytes)
                EXPECT_EQ(*now.bytes, before) << "a mix was read, attempt " << attempt;
            else
                ++refused;
        }
        // A little room given back.
        filled = qMax<qint64>(0, filled - 16384);
        ASSERT_EQ(::ftruncate(fill, filled), 0);
        ::fsync(fill);
        ::sync();
    }
    ::close(fill);
    ::unlink(filler.constData());
    ::sync();
    ASSERT_TRUE(inserted) << "the insert never fitted";
    RecordProperty("refused while full", refused);
    expectSoundAfterRoom(onDisk, f, kPostings + 1);
}

} // namespace
