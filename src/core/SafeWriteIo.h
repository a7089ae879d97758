#pragma once
// The system calls of safe writes, each a write point of the crash tests
// (SafeWriteTesting.h): every point counts, and the armed one stops the work
// dead, as a power cut would, or fails as a full or failing disk would.
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
// a crash throws, a failure raises the armed error.
void pointStep();
// The error armed for failing points.
int armedErrno();

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

// All the bytes at offset, past short writes; a RuntimeError when it fails.
void writeAll(int fd, const char* data, qint64 size, qint64 offset);
// The same, a write point: a crash there may put half the bytes first, a
// failure does.
void pointWrite(int fd, const char* data, qint64 size, qint64 offset);
// The first size bytes of the pieces at offset, a write point.
void pointWriteVector(int fd, const std::vector<iovec>& pieces, qint64 size, qint64 offset);

// Gives the file the length size unless it has it already; with point, the
// change of length is a write point.
void setLength(int fd, qint64 size, bool point = false);

// fdatasync through the data writes (a folder or a file that cannot be synced
// counts as synced); false with errno set when it failed.
bool syncData(int fd);
// The same, a write point; a RuntimeError when it fails.
void syncFd(int fd);
// Syncs a folder where a failure does not matter.
void syncDir(const QString& dir);
// The same, where the sync is what makes a commit stand: its failure counts.
void syncDirOrFail(const QString& dir);

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
// From which size a file mostly rewritten is written whole; -1: as the program does.
qint64 testedWholeFrom();

} // namespace fyn::safewrite
