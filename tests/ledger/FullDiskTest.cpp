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
#include <functional>
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

// On a disk that takes new bytes only, the insert is undone and refused. On
// one where an overwrite needs room too (btrfs), neither the undo nor the
// journal's word that the insert failed can be written, and a start would
// bring it back: the insert is finished instead, and the user told so.
// Either way the half-written file is never read, and once the disk has room
// the file holds what the user was told.
TEST_F(FullDiskTest, AHalfWrittenPostingFileIsNeverRead) {
    // The room an insert's journal entry takes, measured once.
    writeFile(data, postings());
    PostingFile f;
    f.open(data, Kind::Enkel);
    ASSERT_TRUE(insertPosting(f, kPostings, kFirst, nullptr).ok());
    const QByteArray inserted = f.bytes();
    const qint64 journalBytes = QFileInfo(journalPath()).size();
    ASSERT_GT(journalBytes, qint64(kPostings) * 43);

    for (const bool copyOnWrite : {false, true}) {
        SCOPED_TRACE(copyOnWrite ? "overwrites need room" : "overwrites in place");
        QFile::remove(journalPath());
        setJournalPath(journalPath());
        fakes.messages->calls.clear();
        writeFile(data, postings());
        f.open(data, Kind::Enkel);
        const QByteArray before = f.bytes();
        platform::testing::FullDiskInstalled disk;
        disk->overwritesNeedRoom = copyOnWrite;
        // The entry fits, and half of the posting file's write.
        disk->room = journalBytes + (copyOnWrite ? kPostings * 43 / 2 : 0);
        QString refusal;
        try {
            insertPosting(f, kPostings, kFirst, nullptr);
        } catch (const RuntimeError& e) {
            refusal = e.text();
        }
        const QByteArray told = copyOnWrite ? inserted : before;
        if (copyOnWrite) {
            EXPECT_TRUE(refusal.isEmpty()) << refusal.toStdString();
            ASSERT_EQ(fakes.messages->calls.size(), 1u);
            EXPECT_TRUE(fakes.messages->calls[0].text.startsWith(
                "Disken är full. Ändringen är påbörjad och slutförs när det finns plats"));
        } else {
            EXPECT_EQ(refusal, platform::kDiskFull);
            EXPECT_TRUE(fakes.messages->calls.empty());
        }
        EXPECT_EQ(f.bytes(), told); // memory as the user was told
        const Reopened full = reopen(data);
        if (copyOnWrite) {
            // The insert waits for room: the account is refused, with the reason.
            EXPECT_FALSE(full.bytes) << "the half-written file was read";
            EXPECT_EQ(full.error, platform::kDiskFull);
            EXPECT_TRUE(full.where.startsWith("KontoData")) << full.where.toStdString();
        } else {
            ASSERT_TRUE(full.bytes) << full.error.toStdString();
            EXPECT_EQ(*full.bytes, before);
        }
        disk->room = -1; // space freed
        EXPECT_EQ(reopen(data).bytes, told);
        expectSoundAfterRoom(data, f, kPostings + (copyOnWrite ? 1 : 0));
        EXPECT_EQ(readFile(data).left(43), told.left(43));
    }
}

// A real btrfs image, filled to the last byte, then given back a little at a
// time until an edit fits. After every attempt the program ends while the
// disk is still full, starts while it still is (the journal stays), and then
// with room: the file holds what the user was told (refused: as it was; told
// that the edit is begun and will be finished, or saved: the edit), and a
// file half written is never read.
TEST_F(FullDiskTest, OnAFullBtrfsEveryEditEndsAsTheUserWasTold) {
    test::LoopImage disk;
    if (const QString why = disk.mount("btrfs", 128 << 20, {"-q"}); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    const QString mountPoint = disk.root().chopped(1);
    struct ForgetJournal {
        ~ForgetJournal() { setJournalPath(QString()); }
    } forget;
    QDir(mountPoint).mkpath("FynData/Konto");
    const QString onDisk = mountPoint + "/FynData/Konto/KontoData";
    const QByteArray filler = QFile::encodeName(mountPoint + "/fyllnad");

    struct Edit {
        const char* name;
        std::function<void(PostingFile&, long n)> run;
    };
    const NewPosting middle{"2021-06-15", 2, 0, "", "-7,50", "2026-12-09"};
    const Edit edits[] = {
        {"insert first", [](PostingFile& f, long n) { insertPosting(f, n, kFirst, nullptr); }},
        {"insert in the middle",
         [&](PostingFile& f, long n) { insertPosting(f, n, middle, nullptr); }},
        {"remove", [](PostingFile& f, long n) { removePosting(f, n, 2); }},
        {"change",
         [](PostingFile& f, long n) {
             changePosting(f, n, 1500, "", "25,00", "2026-12-09", "2026-12-09", nullptr);
         }},
        {"move", [](PostingFile& f,
                    long n) { movePostings(f, n, 10, 40, "2023-01-01", "2026-12-09", nullptr); }},
    };
    int toldLater = 0;
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.name);
        ::unlink(filler.constData());
        writeFile(onDisk, postings());
        QFile::remove(mountPoint + "/FynData/.journal");
        setJournalPath(mountPoint + "/FynData/.journal");
        ::sync();
        const int fill = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fill, 0);
        qint64 filled = 0;
        for (const qint64 chunk : {qint64(1) << 20, qint64(4096)}) {
            const QByteArray bytes(chunk, 'z');
            ssize_t n;
            while ((n = ::write(fill, bytes.constData(), size_t(chunk))) > 0)
                filled += n;
        }
        ::fsync(fill);
        auto giveBack = [&] {
            filled = qMax<qint64>(0, filled - 16384);
            ASSERT_EQ(::ftruncate(fill, filled), 0);
            ::fsync(fill);
            ::sync();
        };

        bool saved = false;
        for (int attempt = 0; attempt < 300 && !saved; ++attempt) {
            SCOPED_TRACE("attempt " + std::to_string(attempt));
            PostingFile f;
            f.open(onDisk, Kind::Enkel); // the account as a start reads it
            const QByteArray start = f.bytes();
            fakes.messages->calls.clear();
            bool refused = false;
            try {
                edit.run(f, f.lastDated());
            } catch (const RuntimeError& e) {
                ASSERT_EQ(e.text(), platform::kDiskFull);
                refused = true;
            }
            const bool later = !fakes.messages->calls.empty();
            if (later) {
                EXPECT_EQ(fakes.messages->calls.back().title, "Ändringen slutförs senare");
            }
            toldLater += later;
            saved = !refused && !later;
            const QByteArray told = refused ? start : f.bytes();
            const Reopened meanwhile = reopen(onDisk);
            if (meanwhile.bytes) {
                EXPECT_EQ(*meanwhile.bytes, told) << "a mix was read";
            }
            // The program ends while the disk is full: what cannot be written
            // now stays in the journal.
            try {
                checkpoint();
            } catch (const RuntimeError&) {
            }
            // It starts while the disk is still full, and again as room comes.
            for (int starts = 0;; ++starts) {
                ASSERT_LT(starts, 300) << "no start could finish the journal";
                setJournalPath(journalPath());
                try {
                    recoverJournal();
                    break;
                } catch (const RuntimeError& e) {
                    ASSERT_EQ(e.text(), platform::kDiskFull);
                }
                giveBack();
            }
            EXPECT_EQ(readFile(onDisk), told);
            giveBack();
        }
        ::close(fill);
        ::unlink(filler.constData());
        ::sync();
        EXPECT_TRUE(saved) << "the edit never fitted";
    }
    RecordProperty("told that the edit is finished later", toldLater);
}

} // namespace
