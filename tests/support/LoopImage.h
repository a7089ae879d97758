#pragma once
// A file system of its own, made in an image on a loop device and mounted in a
// scratch folder, for tests on real disks and sticks; unmounted and detached
// when it goes. Needs root; a test skips with the reason mount() gives.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace fyn::test {

class LoopImage {
public:
    LoopImage() = default;
    LoopImage(const LoopImage&) = delete;
    LoopImage& operator=(const LoopImage&) = delete;
    ~LoopImage();

    // Makes an image of bytes with mkfs.<type> (mkfsOptions before its path)
    // and mounts it, by the kernel with mountOptions or through fuseHelper.
    // Empty once mounted; otherwise why it cannot be here, for a skip.
    QString mount(const QString& type, qint64 bytes, const QStringList& mkfsOptions = {},
                  const QByteArray& mountOptions = {}, const QString& fuseHelper = {});
    // The mount point, with a trailing "/".
    QString root() const { return mountPoint_ + "/"; }

private:
    QTemporaryDir scratch_;
    QString device_;
    QString mountPoint_;
    bool mounted_ = false;
};

// A folder made read-only where it stands, as a write-protected stick or a
// disk mounted read-only is: bound onto itself and the bind remounted
// read-only, so that every write in it is refused (EROFS), root's too. Undone
// when it goes. Needs root; a test skips with the reason mount() gives.
class ReadOnlyFolder {
public:
    ReadOnlyFolder() = default;
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    ~ReadOnlyFolder() { undo(); }

    // Empty once read-only; otherwise why it cannot be, for a skip.
    QString mount(const QString& folder);
    // Writable again.
    void undo();

private:
    QByteArray point_;
};

// A folder on a file system in memory that counts no blocks (ramfs: its
// total and free are 0), mounted over the folder while one lives. What the
// folder held is hidden until then. Needs root; a test skips with the reason
// mount() gives.
class RamFolder {
public:
    RamFolder() = default;
    RamFolder(const RamFolder&) = delete;
    RamFolder& operator=(const RamFolder&) = delete;
    ~RamFolder();

    // Empty once mounted; otherwise why it cannot be, for a skip.
    QString mount(const QString& folder);

private:
    QByteArray point_;
};

// While one lives, this thread opens files with the rights of an ordinary
// user (nobody), so that a folder's owner and permissions refuse even when
// the tests run as root (EACCES).
class OrdinaryUser {
public:
    OrdinaryUser();
    ~OrdinaryUser();
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;

private:
    bool wasRoot_;
};

} // namespace fyn::test
