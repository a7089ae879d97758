#pragma once
// The journal's formats: its head, its entries as written and read, and the
// names of the files a commit writes whole. Nothing here touches the disk.
//
// The journal opens with a head that names its epoch ("FYNJ", a version, the
// epoch and a checksum, in the first sector of a block of its own), and every
// entry carries the epoch it was written in. Entries begin with "FYN3" (an
// epoch in the body, a checksum over four lanes); a journal without a head
// holds "FYNW" entries, as earlier versions wrote them (no epoch, one lane).
#include <QByteArray>
#include <QString>
#include <functional>
#include <sys/stat.h>
#include <sys/uio.h>
#include <vector>

namespace fyn::safewrite {

struct Region {
    qint64 offset = 0;
    QByteArray now; // what the commit writes
};

struct FileChange {
    QString path;
    bool existed = false;
    // Written whole into its new file beforehand (wholeFile()); the regions
    // are then not journaled, only kept for writing it.
    bool whole = false;
    quint64 wholeId = 0;         // names that file (wholeFile())
    const char* known = nullptr; // the old bytes, for the stretches kept
    mode_t mode = 0644;
    qint64 oldSize = 0;
    qint64 newSize = 0;
    std::vector<Region> regions;
    bool skip = false; // replay: its folder is gone, or the file was removed
};

// An entry: a commit, the folders it makes and the files it writes. Once its
// entry is synced it stands, and it is finished, never taken back.
struct Entry {
    // The program writes commits only. Earlier versions took back a commit
    // whose files failed, and where the journal could not be cut they wrote
    // after it that it was given up (its files untouched, or their old bytes
    // back), or its undo still owed: each file back to its old length with
    // its old bytes (in each region's now), a file it made removed, and its
    // folders when empty. A replay reads them as they were meant.
    enum Kind : quint8 { Commit = 1, Abort = 2, Undo = 3 };
    Kind kind = Commit;
    std::vector<QString> folders; // made by the commit, in order
    std::vector<bool> skipFolder; // replay: the folder that holds it is gone
    std::vector<FileChange> files;
};

// The head's block; entries begin after it.
inline constexpr qint64 kJournalHead = 4096;
// Nothing the program writes comes near this; a journal that says more is not ours.
inline constexpr quint64 kMaxJournal = quint64(1) << 32;

QByteArray headBytes(quint64 epoch);

// An entry as the pieces it is written from: its own bytes (head, names,
// numbers) and, between them, the new bytes of the regions where they already
// lie in memory, so that a large edit is not copied once more.
class EncodedEntry {
public:
    template <class T> void put(T v) { meta(&v, sizeof v); }
    void putBytes(const QByteArray& b);
    // Region bytes: referred to, not copied; they must outlive the write.
    void putData(const QByteArray& b);
    void meta(const void* p, size_t n);
    qint64 size() const { return size_; }
    // The body's length, in the head written first.
    void patchLength(quint64 length);
    // Where each piece lies; valid until the entry changes.
    std::vector<iovec> pieces() const;

private:
    struct Piece {
        bool own; // in own_ (at is an offset), or elsewhere (at is the address)
        qsizetype at;
        qsizetype size;
    };
    QByteArray own_;
    std::vector<Piece> pieces_;
    qint64 size_ = 0;
};

// A RuntimeError ("Bad file name") for a file outside the data folder.
EncodedEntry encodeEntry(const Entry& e, quint64 epoch);

struct Journal {
    std::vector<Entry> entries;
    bool damaged = false;
    bool headed = false; // a head opens it (else it is as earlier versions wrote it)
    quint64 epoch = 0;   // the head's
    qint64 end = 0;      // where its last entry ends
};

// Size bytes at offset of the journal, fewer at its end.
using JournalBytes = std::function<QByteArray(qint64 offset, qint64 size)>;

// The entries of the head's epoch, in order, up to the first that is not one
// (a torn entry, or what an earlier epoch left behind), read an entry at a
// time from a journal of size bytes, and never more than budget bytes in
// all: a journal that would need more is not ours and reads as damaged. An
// entry of the epoch that does not hold together, or a head that does not,
// marks it damaged. A journal without a head is read as earlier versions
// wrote it.
Journal readJournal(qint64 size, const JournalBytes& bytes, qint64 budget);
// The same for a journal in memory.
Journal decodeJournal(const QByteArray& in);

// The new file a commit writes whole beside the old one: hidden, and named
// anew for every commit, so that a later commit's unfinished file is never
// taken for an earlier one's.
QString wholeFile(const QString& path, quint64 id);
bool isWholeFileName(const QString& name);

} // namespace fyn::safewrite
