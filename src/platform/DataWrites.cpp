#include "platform/DataWrites.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform {

ssize_t DataWrites::pwritev(int fd, const iovec* pieces, int count, off_t offset) {
    return ::pwritev(fd, pieces, count, offset);
}

int DataWrites::sync(int fd) {
    return ::fdatasync(fd);
}

int DataWrites::syncFolder(int fd) {
    return ::fsync(fd);
}

int DataWrites::truncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

int DataWrites::reserve(int fd, off_t offset, off_t length) {
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, offset, length);
}

int DataWrites::openAt(int dir, const char* name, int flags, mode_t mode) {
    return ::openat(dir, name, flags, mode);
}

int DataWrites::renameAt(int dir, const char* from, const char* to) {
    return ::renameat(dir, from, dir, to);
}

int DataWrites::unlinkAt(int dir, const char* name, int flags) {
    return ::unlinkat(dir, name, flags);
}

int DataWrites::mkdirAt(int dir, const char* name, mode_t mode) {
    return ::mkdirat(dir, name, mode);
}

int DataWrites::statAt(int dir, const char* name, struct stat* st, int flags) {
    return ::fstatat(dir, name, st, flags);
}

namespace {

class SystemDataWrites final : public DataWrites {};

std::unique_ptr<DataWrites>& installed() {
    static std::unique_ptr<DataWrites> s;
    return s;
}

} // namespace

DataWrites& dataWrites() {
    static SystemDataWrites system;
    const std::unique_ptr<DataWrites>& s = installed();
    return s ? *s : system;
}

void setDataWrites(std::unique_ptr<DataWrites> s) {
    installed() = std::move(s);
}

} // namespace platform
