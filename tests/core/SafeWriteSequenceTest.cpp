// Sequences of commits of every kind within one journal epoch, crashed at every
// write point: a replay gives the state before or after the commit the crash
// cut short, and never finds the journal's own entries inconsistent.
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <map>
#include <optional>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::writeFile;
namespace sw = fyn::safewrite_testing;

namespace {

// The ways a commit writes the posting file.
enum class Edit {
    Through, // rewritten whole with a record of another file: the entry names the new file
    Past,    // rewritten whole and alone, grown: a new file put in place, no entry needed
    Small,   // one record in place (and on a budget account one of the template)
};

const char* nameOf(Edit e) {
    return e == Edit::Through ? "Through" : e == Edit::Past ? "Past" : "Small";
}

struct Sequence {
    bool budget = false;
    std::vector<Edit> edits;
};

std::string nameOf(const Sequence& s) {
    std::string out = s.budget ? "Budget" : "Simple";
    for (Edit e : s.edits)
        out += nameOf(e);
    return out;
}

void PrintTo(const Sequence& s, std::ostream* os) {
    *os << nameOf(s);
}

std::vector<Sequence> allSequences() {
    const Edit kinds[] = {Edit::Through, Edit::Past, Edit::Small};
    std::vector<Sequence> out;
    for (bool budget : {false, true}) {
        for (Edit a : kinds)
            for (Edit b : kinds) {
                out.push_back({budget, {a, b}});
                for (Edit c : kinds)
                    out.push_back({budget, {a, b, c}});
            }
    }
    return out;
}

using Snapshot = std::map<QString, std::optional<QByteArray>>;

class SafeWriteSequence : public fyn::test::Sandbox,
                          public ::testing::WithParamInterface<Sequence> {
protected:
    QString data = path("FynData/Konto/KontoData");
    QString other; // B-mall of a budget account, Transakt of a simple one
    int length = 43;

    void SetUp() override {
        QDir(dir.path()).mkpath("FynData/Konto");
        setJournalPath(path("FynData/.journal"));
        const bool budget = GetParam().budget;
        other = path(budget ? "FynData/Konto/B-mall" : "FynData/Konto/Transakt");
        length = budget ? 77 : 43;
        sw::replaceWholeFrom(0); // small files, the roads of large ones
    }
    void TearDown() override {
        sw::armCrash(-1, false);
        sw::replaceWholeFrom(-1);
    }

    void writeStart() {
        QByteArray postings;
        for (int i = 0; i < 40; ++i)
            postings += QByteArray(length, char('a' + i % 26));
        writeFile(data, postings);
        writeFile(other, QByteArray(5 * 18, 'm'));
        QFile::remove(journalPath());
        setJournalPath(journalPath()); // a new start
    }

    Snapshot snapshot() const {
        Snapshot s;
        for (const QString& f : {data, other})
            s[f] = QFile::exists(f) ? std::optional(readFile(f)) : std::nullopt;
        return s;
    }

    // Commit number n of the sequence; what it writes depends on n alone, so
    // that every state of a run is told apart from the others.
    void commit(Edit e, int n) {
        const QByteArray old = readFile(data); // as memory holds it
        const int records = int(old.size() / length);
        const char mark = char('A' + n);
        WriteBatch batch;
        switch (e) {
        case Edit::Through:
            // A posting inserted at the start: every record moves up one.
            batch.write(data, 0, QByteArray(length, mark) + old);
            batch.write(other, 18 * (n % 5), QByteArray(18, mark));
            break;
        case Edit::Past:
            // A budgeting run: every record rewritten, two more at the end.
            batch.write(data, 0, QByteArray((records + 2) * length, mark));
            break;
        case Edit::Small:
            // A tick; on a budget account a confirmation that teaches the template.
            batch.write(data, qint64(length) * (n % records), QByteArray(length, mark));
            if (GetParam().budget)
                batch.write(other, 18 * ((n + 2) % 5), QByteArray(18, mark));
            break;
        }
        batch.knownContent(data, old.constData(), old.size());
        batch.commit();
    }

    // The sequence, then a tick: the commits to run.
    std::vector<Edit> commits() const {
        std::vector<Edit> all = GetParam().edits;
        all.push_back(Edit::Small);
        return all;
    }

    std::vector<QStringList> asides() const {
        return {QDir(path("FynData")).entryList({".journal.skadad*"}, QDir::Hidden | QDir::Files)};
    }
};

TEST_P(SafeWriteSequence, ACrashAtAnyPointGivesTheStateBeforeOrAfterThatCommit) {
    const std::vector<Edit> all = commits();
    // Once without a crash: the state after each commit and its write points.
    writeStart();
    std::vector<Snapshot> states{snapshot()};
    std::vector<int> points;
    for (size_t i = 0; i < all.size(); ++i) {
        sw::armCrash(-1, false);
        commit(all[i], int(i));
        points.push_back(sw::pointsPassed());
        states.push_back(snapshot());
    }
    // A crash after the last commit: the journal brings back what it holds.
    setJournalPath(journalPath());
    recoverJournal();
    EXPECT_EQ(snapshot(), states.back()) << "a crash after every commit";

    for (bool torn : {true, false}) {
        for (size_t i = 0; i < all.size(); ++i) {
            for (int k = 0; k < points[i]; ++k) {
                SCOPED_TRACE(testing::Message() << "commit " << i << " (" << nameOf(all[i])
                                                << "), point " << k << (torn ? ", torn" : ""));
                writeStart();
                for (size_t j = 0; j < i; ++j) {
                    sw::armCrash(-1, false);
                    commit(all[j], int(j));
                }
                sw::armCrash(k, torn);
                EXPECT_THROW(commit(all[i], int(i)), sw::Crash);
                sw::armCrash(-1, false);
                setJournalPath(journalPath()); // the next start
                ASSERT_NO_THROW(recoverJournal());
                const Snapshot now = snapshot();
                EXPECT_TRUE(now == states[i] || now == states[i + 1])
                    << "neither the state before the commit nor the one after it";
                ASSERT_TRUE(fakes.messages->calls.empty())
                    << "the journal was set aside: " << fakes.messages->calls[0].text.toStdString();
                EXPECT_EQ(asides(), std::vector<QStringList>{QStringList()});
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Edits, SafeWriteSequence, ::testing::ValuesIn(allSequences()),
                         [](const auto& info) { return nameOf(info.param); });

} // namespace
