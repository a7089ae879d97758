#include "support/LoopImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <unistd.h>

namespace fyn::test {

LoopImage::~LoopImage() {
    if (mounted_) {
        const QByteArray point = QFile::encodeName(mountPoint_);
        if (::umount2(point.constData(), 0) != 0)
            ::umount2(point.constData(), MNT_DETACH);
    }
    if (!device_.isEmpty())
        QProcess::execute("losetup", {"-d", device_});
}

QString LoopImage::mount(const QString& type, qint64 bytes, const QStringList& mkfsOptions,
                         const QByteArray& mountOptions, const QString& fuseHelper) {
    const QStringList sbin = {"/usr/sbin", "/sbin"};
    const QString mkfs = QStandardPaths::findExecutable("mkfs." + type, sbin);
    if (mkfs.isEmpty())
        return "no mkfs." + type;
    QString fuse;
    if (fuseHelper.isEmpty()) {
        QFile known("/proc/filesystems");
        if (!known.open(QIODevice::ReadOnly) || !known.readAll().contains(type.toLatin1()))
            return "this kernel cannot mount " + type + " (not in /proc/filesystems)";
    } else {
        fuse = QStandardPaths::findExecutable(fuseHelper, sbin);
        if (fuse.isEmpty() || !QFileInfo::exists("/dev/fuse"))
            return "no " + fuseHelper + " or no /dev/fuse";
    }
    if (::geteuid() != 0)
        return "mounting needs root";
    const QString image = scratch_.filePath("image");
    {
        QFile img(image);
        if (!img.open(QIODevice::WriteOnly) || !img.resize(bytes))
            return "no room for the image";
    }
    if (QProcess::execute(mkfs, mkfsOptions + QStringList{image}) != 0)
        return "mkfs." + type + " failed";
    QProcess losetup;
    losetup.start("losetup", {"-f", "--show", image});
    losetup.waitForFinished();
    const QString device = QString::fromLocal8Bit(losetup.readAllStandardOutput()).trimmed();
    if (losetup.exitCode() != 0 || device.isEmpty())
        return "no loop device may be set up here";
    device_ = device;
    mountPoint_ = scratch_.filePath("mnt");
    QDir().mkpath(mountPoint_);
    const bool ok =
        fuse.isEmpty()
            ? ::mount(QFile::encodeName(device_).constData(),
                      QFile::encodeName(mountPoint_).constData(), type.toLatin1().constData(), 0,
                      mountOptions.isEmpty() ? nullptr : mountOptions.constData()) == 0
            : QProcess::execute(fuse, {device_, mountPoint_}) == 0;
    if (!ok)
        return "mounting " + type + " is not allowed here";
    mounted_ = true;
    return {};
}

QString ReadOnlyFolder::mount(const QString& folder) {
    undo();
    if (::geteuid() != 0)
        return "a read-only mount needs root";
    const QByteArray point = QFile::encodeName(QDir::cleanPath(folder));
    if (::mount(point.constData(), point.constData(), nullptr, MS_BIND, nullptr) != 0)
        return "bind mounts are not allowed here: " + QString::fromLocal8Bit(std::strerror(errno));
    if (::mount(nullptr, point.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
        0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::umount2(point.constData(), MNT_DETACH);
        return "a bind mount cannot be made read-only here: " + why;
    }
    point_ = point;
    return {};
}

void ReadOnlyFolder::undo() {
    if (point_.isEmpty())
        return;
    if (::umount2(point_.constData(), 0) != 0)
        ::umount2(point_.constData(), MNT_DETACH);
    point_.clear();
}

QString RamFolder::mount(const QString& folder) {
    if (::geteuid() != 0)
        return "mounting needs root";
    const QByteArray point = QFile::encodeName(QDir::cleanPath(folder));
    if (::mount("ramfs", point.constData(), "ramfs", 0, nullptr) != 0)
        return "ramfs cannot be mounted here: " + QString::fromLocal8Bit(std::strerror(errno));
    point_ = point;
    return {};
}

RamFolder::~RamFolder() {
    if (!point_.isEmpty() && ::umount2(point_.constData(), 0) != 0)
        ::umount2(point_.constData(), MNT_DETACH);
}

OrdinaryUser::OrdinaryUser() : wasRoot_(::geteuid() == 0) {
    if (wasRoot_)
        ::setfsuid(65534);
}

OrdinaryUser::~OrdinaryUser() {
    if (wasRoot_)
        ::setfsuid(0);
}

} // namespace fyn::test
