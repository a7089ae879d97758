#pragma once
// Writes to the data folder, committed as one unit: after a crash or a power
// cut at any moment the files hold what they held before the commit or what
// it wrote, never a mix, and what the user was told holds.
//
// A commit appends its new bytes to a journal beside the data and syncs it.
// That sync is the commit; the files are written after it, and once it
// stands the commit is finished, never taken back. recoverJournal() replays
// what the journal holds; checkpoint() syncs the files and empties it.
//
// A disk's answer is not taken at its word: after a sync that failed, the
// bytes it covered count as lost until they are written again and synced.
// Whatever a failure leaves waits in one state with one road out, the road a
// start takes (the journal's entries written again, the files synced, their
// folders, then the journal emptied), run before anything more is written or
// any file the journal holds is read, at the end of the program and at every
// start.
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
    // What the file holds now, the whole of it, in memory: a file mostly
    // rewritten is then written whole from there, into a new file that takes
    // its place. The bytes must stay as they are until commit() returns.
    void knownContent(const QString& path, const char* data, qint64 size);
    // A folder made by the commit (before its files); a rollback removes it.
    void createFolder(const QString& path);
    bool empty() const { return files_.empty() && folders_.empty(); }
    // Writes everything as one unit. A RuntimeError (the system's text, the
    // file named) when nothing of it was written and nothing of it can come
    // back, not even after a power cut. It returns when the commit stands:
    // saved; or its entry stands but its files could not all be written (the
    // user is told that it is finished later); or its entry could be neither
    // synced nor cut off (the user is told plainly that a power cut before it
    // is finished may lose it). What is left is finished before anything more
    // is written or its files are read, and at the next start at the latest.
    // The batch is empty afterwards.
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

// Syncs every file and folder written since the last checkpoint and empties
// the journal; for the end of the program, before a folder is removed and
// before the data folder is copied. What a failure left is put right first.
// Throws a RuntimeError (what failed, the file or folder named) when a step
// fails; the journal is then kept whole.
void checkpoint();

// Before a file of the data folder is read, through a new handle or one held
// open: while a failure waits that touches the file, it is put right first.
// While that cannot be done it throws a RuntimeError (what the failure said,
// the file named), and the file must not be read: what is on disk may not be
// what the program wrote.
void settleBeforeReading(const QString& path);

// Whether a failure waits to be put right (the user has been told).
bool changePending();
// What waits, in the user's words, for an error's "Felet finns i ...".
QString pendingChangeText();
// Whether a change of the user's (more than the program's own settings) waits
// only in the program's memory: its entry could be neither synced nor cut
// off, so it is lost if the program ends before the disk takes it.
bool changeOnlyInMemory();
// The exit's question while such a change waits: what is lost if the program
// ends now, and the ways on (try again, end anyway, stay open).
QString unsavedAtExitText();

// Makes what was removed from or made in a folder (outside a commit) stay so.
void syncFolder(const QString& path);

// Creates the file empty when it is missing (a harmless single step). Throws a
// RuntimeError ("Path not found", ...) when it cannot.
void ensureFileExists(const QString& path);

// Opens the file read-only, made empty first when it is missing. A file made
// so has its name synced into its folder before it is used: a commit writes
// into it in place, and after a power cut the replay takes a file it finds
// missing for one removed on purpose. The descriptor, or -1 with errno set;
// a RuntimeError naming the folder when its sync fails.
int openMakingIt(const QString& path);

// Removes a file of the data folder outside a commit (a link as a link), and
// syncs its folder: a power cut cannot bring it back. What the journal holds
// for the file is written home first, or a replay would make it again. A file
// that is not there is no error. A RuntimeError (the system's text, the file
// or folder named) when a step fails.
void removeFile(const QString& path);

// Gives a folder that lies directly in the data folder another name there, and
// syncs the data folder. A RuntimeError when either fails.
void renameFolder(const QString& from, const QString& to);

// Removes a folder that lies directly in the data folder, with all it holds:
// each name removed is synced out of its folder before the next goes, the
// folder's own last. Nothing is followed: a link in it goes as a link, and
// anything but a real folder in its place is refused. The journal must hold
// nothing in it (a checkpoint first). A folder that is not there is no error.
// A RuntimeError when a step fails; what is left stays.
void removeFolderTree(const QString& path);

} // namespace fyn
