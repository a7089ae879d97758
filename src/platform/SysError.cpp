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
    case EFBIG: // a FAT stick's largest file
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
    case EMFILE:
    case ENFILE:
        return kTooManyFiles;
    // A medium pulled out or gone away: a stick, a network share.
    case EIO:
    case ENOTCONN:
    case ENXIO:
    case ENODEV:
    case ESTALE:
        return kDeviceIo;
    default:
        break;
    }
    // Any other in the runtime's language, never the machine's.
    if (const char* english = ::strerrordesc_np(e))
        return QString::fromLatin1(english);
    return QStringLiteral("Error %1").arg(e);
}

} // namespace platform
