#include "platform/DataWrites.h"

#include <unistd.h>

namespace platform {

int DataWrites::sync(int fd) {
    return ::fdatasync(fd);
}

namespace {

class SystemDataWrites final : public DataWrites {
public:
    ssize_t pwritev(int fd, const iovec* pieces, int count, off_t offset) override {
        return ::pwritev(fd, pieces, count, offset);
    }
};

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
