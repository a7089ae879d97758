#pragma once
// What the program writes in the data folder, and how long it can make each
// kind of file. A commit keeps to these limits, and a replay of the journal
// takes nothing beyond them: whatever a journal says, the files stay files
// the program could have written.
#include <QString>
#include <QtGlobal>

namespace fyn {

struct FileLimit {
    // Written through the journal at all: never a hidden name (the lock, the
    // journal, a file being written whole, a journal set aside).
    bool writable = false;
    // A file of records: a length it takes is a whole number of them (either
    // length, for the posting file of either kind). 0: text or unknown.
    int recordLength = 0;
    int otherRecordLength = 0;
    qint64 maxBytes = 0;

    bool wholeRecords(qint64 size) const;
};

// For a path relative to the data folder ("KontoFil", "Konto/KontoData").
// Names the program does not know (what a restore brings back beside its own
// files) are writable up to the longest file.
FileLimit fileLimit(const QString& relative);

// The most records the holiday register can hold.
inline constexpr long kMaxRedDays = 32767;

} // namespace fyn
