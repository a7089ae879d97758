// The drives a user would see, from the mount table: the stand-in for the
// logical drives, their types and readiness.
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <unistd.h>

namespace platform {

namespace {

const QSet<QString> kNetworkTypes = {
    QStringLiteral("nfs"),        QStringLiteral("nfs4"),       QStringLiteral("cifs"),
    QStringLiteral("smb3"),       QStringLiteral("smbfs"),      QStringLiteral("sshfs"),
    QStringLiteral("fuse.sshfs"), QStringLiteral("davfs"),      QStringLiteral("fuse.davfs2"),
    QStringLiteral("ncpfs"),      QStringLiteral("afs"),        QStringLiteral("glusterfs"),
    QStringLiteral("ceph"),       QStringLiteral("fuse.rclone")};

const QSet<QString> kCdTypes = {QStringLiteral("iso9660"), QStringLiteral("udf")};

// The mount table writes blanks, tabs, new lines and backslashes as octal escapes.
QString unescape(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int c = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && c >= 0 && c < 256) {
                out += char(c);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QString::fromLocal8Bit(out);
}

bool under(const QString& path, const char* folder) {
    const QLatin1String f(folder);
    return path == f || path.startsWith(f + QLatin1Char('/'));
}

// Places the system keeps for itself, which no user would pick as a drive.
bool systemPlace(const QString& mp) {
    if (mp == QLatin1String("/"))
        return true;
    if (under(mp, "/run/media"))
        return false;
    for (const char* f : {"/boot", "/efi", "/proc", "/sys", "/dev", "/run", "/snap", "/var", "/tmp",
                          "/usr", "/etc", "/opt", "/srv"})
        if (under(mp, f))
            return true;
    return false;
}

QString withSlash(const QString& p) {
    return p.endsWith(QLatin1Char('/')) ? p : p + QLatin1Char('/');
}

} // namespace

std::vector<DriveInfo> drivesFromMounts(const QByteArray& mounts, const QString& driveRoot,
                                        const std::function<bool(const QString&)>& removable) {
    auto ready = [](const QString& root) {
        const QByteArray p = QFile::encodeName(root);
        return QFileInfo(root).isDir() && ::access(p.constData(), R_OK | X_OK) == 0;
    };
    std::vector<DriveInfo> out;
    QSet<QString> seen;
    const QString own = withSlash(QDir::cleanPath(driveRoot));
    out.push_back({own, DriveType::Fixed, ready(own)});
    seen.insert(own);
    for (const QByteArray& line : mounts.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 3)
            continue;
        const QString device = unescape(parts[0]);
        const QString mp = QDir::cleanPath(unescape(parts[1]));
        const QString type = QString::fromLatin1(parts[2]);
        const bool network = kNetworkTypes.contains(type);
        const bool block = device.startsWith(QLatin1String("/dev/")) &&
                           !device.startsWith(QLatin1String("/dev/loop"));
        if ((!network && !block) || systemPlace(mp) || !mp.startsWith(QLatin1Char('/')))
            continue;
        const QString root = withSlash(mp);
        if (seen.contains(root))
            continue;
        // A file mounted over a file (as containers do) is no drive.
        const QFileInfo info(mp);
        if (info.exists() && !info.isDir())
            continue;
        seen.insert(root);
        DriveType kind = DriveType::Fixed;
        if (network)
            kind = DriveType::Network;
        else if (kCdTypes.contains(type))
            kind = DriveType::CdRom;
        else if (removable && removable(device))
            kind = DriveType::Removable;
        out.push_back({root, kind, ready(root)});
    }
    return out;
}

// A block device is removable when its disk says so, or when it hangs on a USB
// or memory-card bus.
bool removableDevice(const QString& device) {
    QString dev = QFileInfo(device).canonicalFilePath();
    if (dev.isEmpty())
        dev = device;
    const QString name = dev.section(QLatin1Char('/'), -1);
    if (name.isEmpty())
        return false;
    const QString sys = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (sys.isEmpty())
        return false;
    if (sys.contains(QLatin1String("/usb")) || sys.contains(QLatin1String("/mmc")))
        return true;
    const QString disk =
        QFileInfo::exists(sys + QStringLiteral("/partition")) ? QFileInfo(sys).absolutePath() : sys;
    QFile flag(disk + QStringLiteral("/removable"));
    return flag.open(QIODevice::ReadOnly) && flag.readAll().trimmed() == "1";
}

} // namespace platform
