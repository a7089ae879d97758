#pragma once
// A small data folder of two accounts, folders standing in for drives, and
// what a folder tree holds, for the tests of backup and restore.
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "support/AccountFixture.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>
#include <ostream>
#include <unistd.h>

namespace fyn::test {

// Every file and folder under root, relative: a folder's content is "<dir>".
// Hidden entries only when asked for.
using TreeSnapshot = std::map<QString, QByteArray>;

inline TreeSnapshot treeOf(const QString& root, bool hidden = false) {
    TreeSnapshot out;
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System;
    if (hidden)
        filters |= QDir::Hidden;
    QDirIterator it(root, filters, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString rel = QDir(root).relativeFilePath(info.filePath());
        out[rel] = info.isSymLink() ? QByteArray("<link>")
                   : info.isDir()   ? QByteArray("<dir>")
                                    : readFile(info.filePath());
    }
    return out;
}

} // namespace fyn::test

// Short in a failure: the names and sizes.
inline void PrintTo(const fyn::test::TreeSnapshot& s, std::ostream* os) {
    for (const auto& [rel, bytes] : s)
        *os << rel.toStdString() << "(" << bytes.size() << ") ";
}

namespace fyn::test {

// Two accounts and the data folder's own files.
class BackupData : public Sandbox {
protected:
    FixtureAccount hushall() const {
        FixtureAccount a;
        a.name = "Hushåll";
        a.slag = "Bg";
        a.postings = {encodeRecord(budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                      encodeRecord(budget("2026-02-01", "3", "-120", "-120", "-120", "-120", "0"))};
        a.kategori = {"Mat"};
        return a;
    }
    FixtureAccount resa() const {
        FixtureAccount a;
        a.name = "Resa";
        a.slag = "Ek";
        a.postings = {encodeRecord(enkel("2026-03-01", "1", "0", "0")),
                      encodeRecord(enkel("2026-03-02", "2", "500", "500"))};
        return a;
    }
    void writeData() {
        writeAccount(hushall(), 1);
        writeAccount(resa(), 2);
        writeKontoIni("1\r\nAnna\r\n");
        writeFile(posFilPath(), QByteArray(140, ' '));
        writeFile(accountFile("Hushåll", "B-mall"), QByteArray(18, ' '));
    }
    QString data() const { return dataFolder(); }
    QString drive() const { return driveDir.path() + QLatin1Char('/'); }

    QTemporaryDir driveDir;
};

// A stick formatted exFAT, mounted through FUSE from an image on a loop
// device: it keeps no links, tells names apart without case, refuses ':' and
// '?', and cannot exchange two folders in one step.
class ExfatStick {
public:
    ExfatStick() = default;
    ExfatStick(const ExfatStick&) = delete;
    ExfatStick& operator=(const ExfatStick&) = delete;
    ~ExfatStick() {
        if (mounted_)
            QProcess::execute("umount", {mountPoint_});
        if (!device_.isEmpty())
            QProcess::execute("losetup", {"-d", device_});
    }
    // Empty once mounted; otherwise why it cannot be here, for a skip.
    QString mount() {
        const QStringList sbin = {"/usr/sbin", "/sbin"};
        const QString mkfs = QStandardPaths::findExecutable("mkfs.exfat", sbin);
        const QString fuse = QStandardPaths::findExecutable("mount.exfat-fuse", sbin);
        if (mkfs.isEmpty() || fuse.isEmpty())
            return "no mkfs.exfat or mount.exfat-fuse (packages exfatprogs, exfat-fuse)";
        if (::geteuid() != 0 || !QFileInfo::exists("/dev/fuse"))
            return "mounting needs root and /dev/fuse";
        const QString image = scratch_.filePath("stick.img");
        QFile img(image);
        if (!img.open(QIODevice::WriteOnly) || !img.resize(16 << 20))
            return "no room for the stick's image";
        img.close();
        QProcess run;
        run.start(mkfs, {image});
        if (!run.waitForFinished() || run.exitCode() != 0)
            return "mkfs.exfat failed";
        run.start("losetup", {"-f", "--show", image});
        run.waitForFinished();
        device_ = QString::fromLocal8Bit(run.readAllStandardOutput()).trimmed();
        if (run.exitCode() != 0 || device_.isEmpty()) {
            device_.clear();
            return "no loop device may be set up here";
        }
        mountPoint_ = scratch_.filePath("stick");
        QDir().mkpath(mountPoint_);
        if (QProcess::execute(fuse, {device_, mountPoint_}) != 0)
            return "mounting exFAT through FUSE is not allowed here";
        mounted_ = true;
        return {};
    }
    QString root() const { return mountPoint_ + "/"; }

private:
    QTemporaryDir scratch_;
    QString device_;
    QString mountPoint_;
    bool mounted_ = false;
};

} // namespace fyn::test
