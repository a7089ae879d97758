#pragma once
// The system calls of safe writes, each a write point of the crash tests
// (SafeWriteTesting.h): every point counts, and the armed one stops the work
// dead, as a power cut would, or fails as a full or failing disk would. Every
// change goes through the data writes (platform/DataWrites.h).
#include <QByteArray>
#include <QString>
#include <sys/types.h>
#include <sys/uio.h>
#include <utility>
#include <vector>

namespace fyn::safewrite {

enum class Point { Go, Crash, Fail };

// The next write point: what the tests armed for it.
Point nextPoint();
// A point where nothing but a step happens (a rename, a sync, a truncation):
// a crash throws, a failure raises the armed error (naming path).
void pointStep(const QString& path = {});

[[noreturn]] void fail(int e);
// The same, naming the file or folder the system refused.
[[noreturn]] void fail(int e, const QString& path);

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};

// safeOpen, or a RuntimeError with the system's text.
int openOrFail(const QString& path, int flags);

// All the bytes at offset, past short writes; a RuntimeError naming path
// when it fails.
void writeAll(int fd, const char* data, qint64 size, qint64 offset, const QString& path);
// The same, a write point: a crash there may put half the bytes first, a
// failure does.
void pointWrite(int fd, const char* data, qint64 size, qint64 offset, const QString& path);
// The first size bytes of the pieces at offset, a write point.
void pointWriteVector(int fd, const std::vector<iovec>& pieces, qint64 size, qint64 offset,
                      const QString& path);

// Gives the file the length size unless it has it already, a write point.
void setLength(int fd, qint64 size, const QString& path);
// Reserves the room of [offset, offset + length) without changing the length,
// a write point; where the file system cannot reserve, nothing happens.
void reserveRoom(int fd, qint64 offset, qint64 length, const QString& path);

// fdatasync through the data writes: false with errno set when it failed. A
// sync that failed leaves the bytes it covered possibly lost for good, even
// when a later sync succeeds: they must be written again first.
bool syncData(int fd);
// The same, a write point; a RuntimeError naming path when it fails.
void syncFile(int fd, const QString& path);
// Syncs a folder, a write point; a RuntimeError naming it when that fails or
// the folder cannot be opened.
void syncFolderOrFail(const QString& dir);

// Size bytes at offset (fewer at the end); a RuntimeError when it fails.
QByteArray readAt(int fd, qint64 offset, qint64 size);

QString parentOf(const QString& path);
bool isFolder(const QString& path);

// A file that a new one has taken the place of, closed beside the program's
// work when it is large (giving back its blocks takes as long as writing it).
void releaseLater(int fd, qint64 size);

} // namespace fyn::safewrite

namespace fyn::safewrite {

// What the tests read and set (SafeWriteTesting.h).
void resetDataBytes();
void countDataBytes(qint64 n);
void countJournalRead(qint64 n);
// From which size a file mostly rewritten is written whole; -1: as the program does.
qint64 testedWholeFrom();

} // namespace fyn::safewrite
