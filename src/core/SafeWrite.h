#pragma once
// Writes to the data folder, committed as one unit: after a crash at any moment
// the files hold what they held before the commit or what it wrote, never a mix.
//
// A commit appends its new bytes (and the bytes they replace) to a journal
// beside the data and syncs it; then it writes the files. recoverJournal()
// replays what the journal holds; checkpoint() syncs the files and empties it.
#include <QByteArray>
#include <QString>
#include <map>
#include <vector>

namespace fyn {

// The journal file; start-up sets it inside the data folder.
void setJournalPath(const QString& path);
QString journalPath();

// The journal grows to this many times the files it stands for before a
// checkpoint empties it, and its file to twice that at most.
inline constexpr qint64 kJournalRoom = 3;

// The longest file of the data folder: the data files' lengths and record
// positions are 32-bit signed numbers. A commit that would make a file longer
// is refused ("Overflow"), and a journal that says more is not ours.
inline constexpr qint64 kMaxFileBytes = 0x7FFFFFFF;

class WriteBatch {
public:
    // Bytes at offset; a write past the end extends the file, and a gap is
    // filled with blanks. Later writes over the same bytes win.
    void write(const QString& path, qint64 offset, const QByteArray& bytes);
    // The whole file becomes bytes (created when missing).
    void replaceFile(const QString& path, const QByteArray& bytes);
    // What the file holds now, the whole of it, in memory: a failed commit puts
    // its old bytes back from there instead of reading them from the file
    // first. The bytes must stay as they are until commit() returns.
    void knownContent(const QString& path, const char* data, qint64 size);
    // A folder made by the commit (before its files); a rollback removes it.
    void createFolder(const QString& path);
    bool empty() const { return files_.empty() && folders_.empty(); }
    // Writes everything as one unit; it stands once the journal is synced. A
    // failure (a RuntimeError with the system's text) leaves every file as it
    // was. Where a commit that stands can neither be written to its files nor
    // taken back for good (a disk with no room for a byte more), it returns:
    // the user is told that the change is begun and will be finished, and it
    // is, before anything more is written or its files are read, or at the
    // next start. The batch is empty afterwards.
    void commit();

private:
    struct FilePlan {
        QString path;
        std::map<qint64, QByteArray> regions; // disjoint, not touching
        qint64 replaceSize = -1;              // >= 0: the file's new length
        const char* known = nullptr;          // the file's bytes, when in memory
        qint64 knownSize = -1;
        QString given; // the path as the caller gave it
    };
    FilePlan& plan(const QString& path);
    std::vector<FilePlan> files_;
    std::vector<QString> folders_;
};

// Writes again what the journal's commits wrote (a crash may have left them
// half on disk), syncs the files and removes the journal. Does nothing when
// there is no journal.
void recoverJournal();

// Syncs every file written since the last checkpoint and empties the journal;
// for the end of the program, before a folder is removed and before the data
// folder is copied. What a failed commit left is put right first. Throws a
// RuntimeError when that or a file's sync fails; the journal is then kept.
void checkpoint();

// Before a file of the data folder is read: when a failed commit could not put
// its old bytes back into the file yet, they go back now. While that cannot be
// done it throws a RuntimeError (what the failure said, the file named), and
// the file must not be read: it holds a mix of two states.
void settleBeforeReading(const QString& path);

// Makes what was removed from a folder (outside a commit) stay removed.
void syncFolder(const QString& path);

// Creates the file empty when it is missing (a harmless single step). Throws a
// RuntimeError ("Path not found", ...) when it cannot.
void ensureFileExists(const QString& path);

} // namespace fyn
