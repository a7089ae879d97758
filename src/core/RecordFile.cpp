#include "core/RecordFile.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/SafeOpen.h"
#include "core/SafeWrite.h"
#include "platform/SysError.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fyn {

RecordFile::RecordFile(const QString& path, int recordLength, Missing missing)
    : path_(path), length_(recordLength) {
    settleBeforeReading(path); // never a mix that a failed commit left
    const bool create = missing == Missing::Create;
    fd_ = create ? openMakingIt(path) : safeOpen(path, O_RDONLY);
    if (fd_ < 0) {
        const int e = errno;
        if (e == ENOENT && create)
            raiseError(platform::kPathNotFound); // the folder is missing
        // A link, a folder, a pipe or a device in the file's place.
        if (e == ELOOP || e == kNotAPlainFile)
            throw RuntimeError(platform::kPathFileAccess, QFileInfo(path).fileName());
        raiseErrno(e, path);
    }
}

RecordFile::RecordFile(RecordFile&& o) noexcept : path_(o.path_), length_(o.length_), fd_(o.fd_) {
    o.fd_ = -1;
}

RecordFile& RecordFile::operator=(RecordFile&& o) noexcept {
    if (this != &o) {
        close();
        path_ = o.path_;
        length_ = o.length_;
        fd_ = o.fd_;
        o.fd_ = -1;
    }
    return *this;
}

RecordFile::~RecordFile() {
    close();
}

void RecordFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

qint64 RecordFile::sizeInBytes() const {
    if (fd_ < 0)
        raiseError(platform::kBadFileName);
    settleBeforeReading(path_); // held open: what waits is finished first
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        raiseErrno(errno);
    return st.st_size;
}

long RecordFile::count() const {
    return long(divRoundHalfEven(sizeInBytes(), length_));
}

long RecordFile::countForReport() const noexcept {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return 0;
    return long(divRoundHalfEven(st.st_size, length_));
}

qint64 RecordFile::readInto(char* dst, qint64 offset, qint64 size) const {
    if (fd_ < 0)
        raiseError(platform::kBadFileName);
    settleBeforeReading(path_); // held open: what waits is finished first
    const qint64 got = readFully(fd_, dst, size, offset);
    if (got < 0)
        raiseErrno(errno);
    return got;
}

QByteArray RecordFile::readRange(long first, long last) const {
    if (fd_ < 0)
        raiseError(platform::kBadFileName);
    if (first < 1)
        raiseError(platform::kBadRecordNumber);
    const qint64 size = qMax<qint64>(qint64(last - first + 1) * length_, 0);
    QByteArray out(size, Qt::Uninitialized);
    const qint64 got = readInto(out.data(), qint64(first - 1) * length_, size);
    if (got < size) // past the end reads as blanks
        std::fill(out.begin() + got, out.end(), ' ');
    return out;
}

QByteArray RecordFile::readRaw(long n) const {
    return readRange(n, n);
}

QByteArray readWholeFile(const QString& path) {
    RecordFile f(path, 1, RecordFile::Missing::Fail);
    return f.readRange(1, long(f.sizeInBytes()));
}

void RecordFile::put(WriteBatch& batch, long n, const QByteArray& record) const {
    if (n < 1)
        raiseError(platform::kBadRecordNumber);
    QByteArray r = record.left(length_);
    if (r.size() < length_)
        r.append(QByteArray(length_ - r.size(), ' '));
    batch.write(path_, qint64(n - 1) * length_, r);
}

void RecordFile::putRange(WriteBatch& batch, long first, const QByteArray& records) const {
    if (first < 1)
        raiseError(platform::kBadRecordNumber);
    batch.write(path_, qint64(first - 1) * length_, records);
}

} // namespace fyn
