#include "platform/SysError.h"

#include <cerrno>
#include <cstring>

namespace platform {

QString sysErrorText(int e) {
    switch (e) {
    case EACCES:
    case EPERM:
    case EROFS:
        return kPermissionDenied;
    case ENOENT:
        return kFileNotFound;
    case ENOTDIR:
        return kPathNotFound;
    case ENOSPC:
    case EDQUOT:
        return kDiskFull;
    case EEXIST:
    case ENOTEMPTY:
    case EISDIR:
    case ELOOP: // a link where a file belongs
        return kPathFileAccess;
    case ENAMETOOLONG:
    case EINVAL:
        return kBadFileName;
    case ENOMEM:
        return kOutOfMemory;
    case EIO:
        return kDeviceIo;
    default:
        return QString::fromLocal8Bit(std::strerror(e));
    }
}

} // namespace platform
