#include "platform/FileWrites.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

class SystemFileWrites final : public FileWrites {
public:
    ssize_t write(int fd, const void* data, size_t size) override {
        return ::write(fd, data, size);
    }
    int sync(int fd) override { return ::fsync(fd); }
    int rename(int dirFd, const char* from, const char* to, bool exchange) override {
        return exchange ? ::renameat2(dirFd, from, dirFd, to, RENAME_EXCHANGE)
                        : ::renameat(dirFd, from, dirFd, to);
    }
};

std::unique_ptr<FileWrites>& installed() {
    static std::unique_ptr<FileWrites> s;
    return s;
}

} // namespace

FileWrites& fileWrites() {
    static SystemFileWrites system;
    const std::unique_ptr<FileWrites>& s = installed();
    return s ? *s : system;
}

void setFileWrites(std::unique_ptr<FileWrites> s) {
    installed() = std::move(s);
}

} // namespace platform
