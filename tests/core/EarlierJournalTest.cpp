// Journals the previous version left when an edit's files failed: it then took
// the edit back, and where the journal could not be cut it wrote after the
// edit's entry that the edit was given up, or the undo it still owed. A start
// reads them as they were meant: the edits before are finished, the one given
// up is not, and a waiting undo puts the old bytes back.
//
// The journals in old-journals/ are that version's own bytes: its safe writes
// (commit b9a6568 of this repository), driven by its write-point failures, on
// a data folder of KontoFil (records "1" and "2" of 82 bytes), Hem/KontoData
// (postings "a", "b", "c" of 43) and Hem/B-mall (rows "m", "n" of 18):
// - undo.journal: an edit saved (row 2 of B-mall to "A", posting "d"
//   appended), then an edit (posting "e" appended, KontoFil record 1 to "N")
//   whose write points 3 and 4 failed with EIO: posting "e" was written, its
//   undo failed, and the undo was written after the edit's entry.
// - abort.journal: the same two edits, the second's entry sync and its cut
//   failing (points 1 and 2): given up, its files untouched.
// - undo-new-account.journal: an edit that makes the folder Ny, Ny/KontoData
//   (posting "x") and KontoFil record 3, points 4 and 5 failing:
//   Ny/KontoData was written, and its undo waits.
#include "core/Errors.h"
#include "core/SafeWrite.h"
#include "platform/testing/PowerCut.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <functional>
#include <map>
#include <optional>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::writeFile;
using platform::testing::PowerCut;

namespace {

QByteArray rows(const char* letters, int length) {
    QByteArray out;
    for (const char* c = letters; *c; ++c)
        out += QByteArray(length, *c);
    return out;
}

QByteArray fixture(const char* name) {
    const QByteArray bytes =
        readFile(QStringLiteral(FYN_TEST_SOURCE_DIR "/core/old-journals/") + name);
    EXPECT_FALSE(bytes.isEmpty()) << name;
    return bytes;
}

// The files as the start finds them, and as it should leave them (nullopt:
// no such file).
using Files = std::map<QString, std::optional<QByteArray>>;

class EarlierJournal : public fyn::test::Sandbox {
protected:
    std::optional<platform::testing::PowerCutInstalled> disk;

    void SetUp() override { QDir(dir.path()).mkpath("FynData/Hem"); }
    void TearDown() override { disk.reset(); }

    QString file(const QString& relative) const { return path("FynData/" + relative); }

    void lay(const Files& files, const QByteArray& journal) {
        disk.reset();
        QDir(file("Ny")).removeRecursively();
        for (const auto& [name, bytes] : files) {
            QDir().mkpath(QFileInfo(file(name)).absolutePath());
            writeFile(file(name), *bytes);
        }
        writeFile(journalPath(), journal);
        setJournalPath(journalPath()); // a start
    }

    void expectFiles(const Files& expected) {
        for (const auto& [name, bytes] : expected) {
            SCOPED_TRACE(name.toStdString());
            if (bytes)
                EXPECT_EQ(readFile(file(name)), *bytes);
            else
                EXPECT_FALSE(QFileInfo::exists(file(name)));
        }
    }
};

struct Left {
    const char* name;
    const char* journal;
    Files found;
    Files expected;
};

const Left kLeft[] = {
    // The template's row and the saved posting are written again, the failed
    // posting cut off, the register's record as it was.
    {"an undo, the saved edit's template bytes lost",
     "undo.journal",
     {{"KontoFil", rows("12", 82)},
      {"Hem/KontoData", rows("abcde", 43)},
      {"Hem/B-mall", rows("mn", 18)}},
     {{"KontoFil", rows("12", 82)},
      {"Hem/KontoData", rows("abcd", 43)},
      {"Hem/B-mall", rows("mA", 18)}}},
    {"an edit given up, the saved edit's bytes lost",
     "abort.journal",
     {{"KontoFil", rows("12", 82)},
      {"Hem/KontoData", rows("abc", 43)},
      {"Hem/B-mall", rows("mn", 18)}},
     {{"KontoFil", rows("12", 82)},
      {"Hem/KontoData", rows("abcd", 43)},
      {"Hem/B-mall", rows("mA", 18)}}},
    // The new account's file and folder go again.
    {"an undo of a new account",
     "undo-new-account.journal",
     {{"KontoFil", rows("12", 82)},
      {"Hem/KontoData", rows("abc", 43)},
      {"Hem/B-mall", rows("mn", 18)},
      {"Ny/KontoData", rows("x", 43)}},
     {{"KontoFil", rows("12", 82)},
      {"Hem/KontoData", rows("abc", 43)},
      {"Hem/B-mall", rows("mn", 18)},
      {"Ny/KontoData", std::nullopt},
      {"Ny", std::nullopt}}},
};

// The start replays the edits that stand and applies the marker after them,
// says nothing, and begins the journal anew; so also when any change of that
// start fails (EIO), the power then goes, and the program starts again.
TEST_F(EarlierJournal, IsReadAsItWasWritten) {
    for (const Left& c : kLeft) {
        SCOPED_TRACE(c.name);
        const QByteArray journal = fixture(c.journal);
        lay(c.found, journal);
        disk.emplace();
        int changes = 0;
        (*disk)->fault = [&](PowerCut::Op, const QString&) {
            ++changes;
            return 0;
        };
        ASSERT_NO_THROW(recoverJournal());
        expectFiles(c.expected);
        EXPECT_TRUE(fakes.messages->calls.empty());
        EXPECT_FALSE(QFileInfo::exists(journalPath()));
        EXPECT_FALSE(QFileInfo::exists(journalPath() + ".skadad"));
        EXPECT_FALSE(changePending());
        ASSERT_GT(changes, 3);
        for (int k = 0; k <= changes; ++k) {
            for (const auto leave :
                 {PowerCut::Leave::Nothing, PowerCut::Leave::Names, PowerCut::Leave::Data}) {
                SCOPED_TRACE("change " + std::to_string(k) + " fails, leave " +
                             std::to_string(int(leave)));
                lay(c.found, journal);
                disk.emplace();
                int n = 0;
                (*disk)->fault = [&](PowerCut::Op, const QString&) { return n++ == k ? EIO : 0; };
                try {
                    recoverJournal();
                } catch (const RuntimeError&) {
                }
                (*disk)->fault = nullptr;
                (*disk)->cut(leave);
                setJournalPath(journalPath());
                ASSERT_NO_THROW(recoverJournal());
                expectFiles(c.expected);
                EXPECT_FALSE(QFileInfo::exists(journalPath() + ".skadad"));
            }
        }
        fakes.messages->calls.clear();
    }
}

// The four-lane checksum of an entry's body, as the journal keeps it.
quint64 bodyChecksum(const QByteArray& body) {
    constexpr quint64 kBasis = 1469598103934665603ULL, kPrime = 1099511628211ULL;
    quint64 lane[4] = {kBasis, kBasis ^ 1, kBasis ^ 2, kBasis ^ 3};
    qsizetype at = 0;
    for (; body.size() - at >= 32; at += 32)
        for (int k = 0; k < 4; ++k) {
            quint64 w;
            std::memcpy(&w, body.constData() + at + 8 * k, 8);
            lane[k] = (lane[k] ^ w) * kPrime;
        }
    quint64 h = lane[0];
    for (; body.size() - at >= 8; at += 8) {
        quint64 w;
        std::memcpy(&w, body.constData() + at, 8);
        h = (h ^ w) * kPrime;
    }
    for (; at < body.size(); ++at)
        h = (h ^ static_cast<unsigned char>(body[at])) * kPrime;
    for (int k = 1; k < 4; ++k)
        h = (h ^ lane[k]) * kPrime;
    return h;
}

// The last entry (the marker) changed by change, its checksum made right again.
QByteArray withMarker(QByteArray journal, const std::function<void(QByteArray&)>& change) {
    const qsizetype at = journal.lastIndexOf("FYN3");
    QByteArray body = journal.mid(at + 12, journal.size() - at - 24);
    change(body);
    const quint64 sum = bodyChecksum(body);
    quint64 length = quint64(body.size());
    QByteArray entry = journal.mid(at, 4);
    entry.append(reinterpret_cast<const char*>(&length), 8);
    entry += body;
    entry.append(reinterpret_cast<const char*>(&sum), 8);
    entry += "DONE";
    return journal.left(at) + entry;
}

// An undo that does not hold together, writes where its edit did not, or past
// the file's old end, is not the program's: the journal is set aside whole and
// nothing of it is replayed, not even the saved edit before it.
TEST_F(EarlierJournal, ADamagedUndoSetsTheJournalAside) {
    const QByteArray undo = fixture("undo.journal");
    ASSERT_EQ(undo.count("FYN3"), 3);
    ASSERT_EQ(withMarker(undo, [](QByteArray&) {}), undo) << "not the journal's own checksum";
    // The undo's one region: KontoFil's record 1, at offset 0.
    auto regionOffset = [](QByteArray& body) -> char* {
        const qsizetype name = body.indexOf("KontoFil");
        return body.data() + name + 8 + 1 + 8 + 8 + 4;
    };
    const std::pair<const char*, std::function<void(QByteArray&)>> damaged[] = {
        {"another file", [](QByteArray& b) { b.replace("KontoFil", "KontoIni"); }},
        {"where its edit wrote nothing",
         [&](QByteArray& b) {
             const qint64 offset = 82;
             std::memcpy(regionOffset(b), &offset, 8);
         }},
        {"past the file's old end",
         [&](QByteArray& b) {
             const qint64 offset = 164 - 41;
             std::memcpy(regionOffset(b), &offset, 8);
         }},
        {"a byte left over", [](QByteArray& b) { b += 'x'; }},
    };
    const Files found = {{"KontoFil", rows("12", 82)},
                         {"Hem/KontoData", rows("abcde", 43)},
                         {"Hem/B-mall", rows("mn", 18)}};
    for (const auto& [name, change] : damaged) {
        SCOPED_TRACE(name);
        fakes.messages->calls.clear();
        QFile::remove(journalPath() + ".skadad");
        lay(found, withMarker(undo, change));
        ASSERT_NO_THROW(recoverJournal());
        expectFiles(found);
        EXPECT_FALSE(QFileInfo::exists(journalPath()));
        EXPECT_TRUE(QFileInfo::exists(journalPath() + ".skadad"));
        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        EXPECT_EQ(fakes.messages->calls[0].title, "Ofullbordad ändring");
    }
}

} // namespace
