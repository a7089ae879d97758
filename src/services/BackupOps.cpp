#include "services/BackupOps.h"

#include "core/AccountName.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "core/Records.h"
#include "core/Register.h"
#include "core/SafeOpen.h"
#include "core/SafeWrite.h"
#include "platform/FileWrites.h"
#include "platform/SysError.h"
#include "services/BackupTesting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fyn {

namespace backup_testing {
namespace {
int g_crashAt = -1;
int g_passed = 0;
} // namespace
void armCrash(int n) {
    g_crashAt = n;
    g_passed = 0;
}
int pointsPassed() {
    return g_passed;
}
} // namespace backup_testing

namespace backup {

namespace {

// A step that leaves something behind on a drive or in the data folder.
void point() {
    if (backup_testing::g_passed++ == backup_testing::g_crashAt)
        throw backup_testing::Crash{};
}

// Deeper than any tree the program writes; a deeper one is not a backup.
constexpr int kMaxDepth = 16;
// Far beyond the program's own files; the journal holds a restore whole.
constexpr qint64 kMaxBackupBytes = qint64(1) << 30;
constexpr size_t kCopyBuffer = size_t(1) << 20;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& o) noexcept : fd_(o.release()) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = o.release();
        }
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Every failure names the file or folder the system refused, so that the
// message can tell a drive from the data folder.

// A folder that is not there is "Path not found", as the runtime said.
[[noreturn]] void failOpen(int e, const QString& path) {
    if (e == ENOENT) {
        RuntimeError missing(platform::kPathNotFound);
        missing.setPath(path);
        throw missing;
    }
    raiseErrno(e, path);
}

QString withSlash(const QString& p) {
    return p.endsWith(QLatin1Char('/')) ? p : p + QLatin1Char('/');
}

// The path of the entry raw in the folder at dir.
QString within(const QString& dir, const QByteArray& raw) {
    return withSlash(dir) + QFile::decodeName(raw);
}

// A drive's root, as the user chose it.
int openRoot(const QString& root) {
    return ::open(QFile::encodeName(QDir::cleanPath(root)).constData(),
                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// A folder, without following a link in its own place: inside the data folder
// through the data folder's own walk, which follows none.
int openFolder(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    if (insideDataRoot(clean))
        return safeOpen(clean, O_RDONLY | O_DIRECTORY);
    return ::open(QFile::encodeName(clean).constData(),
                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int openSub(int dirFd, const QByteArray& raw) {
    return ::openat(dirFd, raw.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

struct Ent {
    QByteArray raw;
    QString name;
    bool named = true; // the name reads back as the same bytes
    mode_t mode = 0;
    qint64 size = 0;
};

// The entries of the folder at path, open in dirFd, in the order of their
// names; hidden ones only when asked for. Nothing is followed.
std::vector<Ent> entries(int dirFd, const QString& path, bool hidden) {
    const int dup = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (dup < 0)
        raiseErrno(errno, path);
    DIR* dir = ::fdopendir(dup);
    if (!dir) {
        const int e = errno;
        ::close(dup);
        raiseErrno(e, path);
    }
    ::rewinddir(dir);
    std::vector<Ent> out;
    for (;;) {
        errno = 0;
        const dirent* d = ::readdir(dir);
        if (!d) {
            const int e = errno;
            if (e != 0) {
                ::closedir(dir);
                raiseErrno(e, path);
            }
            break;
        }
        const QByteArray raw(d->d_name);
        if (raw == "." || raw == ".." || (!hidden && raw.startsWith('.')))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue; // gone meanwhile
            const int e = errno;
            ::closedir(dir);
            raiseErrno(e, within(path, raw));
        }
        Ent ent;
        ent.raw = raw;
        ent.name = QFile::decodeName(raw);
        ent.named = QFile::encodeName(ent.name) == raw;
        ent.mode = st.st_mode;
        ent.size = st.st_size;
        out.push_back(std::move(ent));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(), [](const Ent& a, const Ent& b) { return a.raw < b.raw; });
    return out;
}

QString joinRel(const QString& prefix, const QString& name) {
    return prefix.isEmpty() ? name : prefix + QLatin1Char('/') + name;
}

// Removes a file or a folder tree; a link is removed, never followed. False
// when something stayed.
bool removeTree(int dirFd, const QByteArray& raw, int depth = 0) {
    struct stat st {};
    if (::fstatat(dirFd, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(dirFd, raw.constData(), 0) == 0;
    if (depth > 4 * kMaxDepth)
        return false;
    bool ok = true;
    {
        Fd sub(openSub(dirFd, raw));
        if (sub.get() < 0)
            return false;
        try {
            for (const Ent& e : entries(sub.get(), QString(), true))
                ok = removeTree(sub.get(), e.raw, depth + 1) && ok;
        } catch (const RuntimeError&) {
            ok = false;
        }
    }
    return ok && ::unlinkat(dirFd, raw.constData(), AT_REMOVEDIR) == 0;
}

// ---- Writing to a drive ---------------------------------------------------------

void writeAll(int fd, const char* p, qint64 n, const QString& path) {
    while (n > 0) {
        const ssize_t w = platform::fileWrites().write(fd, p, size_t(n));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            raiseErrno(errno, path);
        }
        if (w == 0)
            raiseErrno(EIO, path);
        p += w;
        n -= w;
    }
}

void syncFd(int fd, const QString& path) {
    if (platform::fileWrites().sync(fd) != 0 && errno != EINVAL)
        raiseErrno(errno, path);
}

struct Copied {
    bool folder = false;
    qint64 size = 0;
};

// A file of its own, from the folder at src to the folder at dst: created
// anew with the default permissions, the bytes, synced. A file the drive
// will not take names the folder that refused it.
qint64 copyFile(int srcDir, const QString& src, int dstDir, const QString& dst,
                const QByteArray& raw) {
    const QString from = within(src, raw);
    const QString to = within(dst, raw);
    Fd in(::openat(srcDir, raw.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (in.get() < 0)
        failOpen(errno, from);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        raiseErrno(errno, from);
    if (!S_ISREG(st.st_mode))
        raiseError(platform::kPathFileAccess);
    point();
    Fd out(::openat(dstDir, raw.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666));
    if (out.get() < 0)
        raiseErrno(errno, dst);
    std::vector<char> buffer(kCopyBuffer);
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            raiseErrno(errno, from);
        }
        if (n == 0)
            break;
        writeAll(out.get(), buffer.data(), n, to);
        total += n;
    }
    point();
    syncFd(out.get(), to);
    // A drive may report a lost write only when the file closes.
    if (::close(out.release()) != 0)
        raiseErrno(errno, to);
    return total;
}

void copyTree(int srcFd, const QString& src, int dstFd, const QString& dst, const QString& prefix,
              int depth, std::map<QString, Copied>& done) {
    for (const Ent& e : entries(srcFd, src, false)) {
        if (!e.named)
            continue;
        const QString rel = joinRel(prefix, e.name);
        if (S_ISDIR(e.mode)) {
            if (depth >= kMaxDepth)
                raiseError(platform::kPathFileAccess);
            const QString from = within(src, e.raw);
            const QString to = within(dst, e.raw);
            Fd srcSub(openSub(srcFd, e.raw));
            if (srcSub.get() < 0)
                raiseErrno(errno, from);
            point();
            if (::mkdirat(dstFd, e.raw.constData(), 0777) != 0)
                raiseErrno(errno, dst);
            Fd dstSub(openSub(dstFd, e.raw));
            if (dstSub.get() < 0)
                raiseErrno(errno, to);
            done[rel] = {true, 0};
            copyTree(srcSub.get(), from, dstSub.get(), to, rel, depth + 1, done);
            point();
            syncFd(dstSub.get(), to);
        } else if (S_ISREG(e.mode)) {
            done[rel] = {false, copyFile(srcFd, src, dstFd, dst, e.raw)};
        }
        // Links and special files are not ours to copy.
    }
}

// What lies in a copied tree at path, for the check against what was copied.
void scanTree(int dirFd, const QString& path, const QString& prefix, int depth,
              std::map<QString, Copied>& found) {
    for (const Ent& e : entries(dirFd, path, true)) {
        const QString rel = joinRel(prefix, e.name);
        if (S_ISDIR(e.mode) && depth < kMaxDepth) {
            found[rel] = {true, 0};
            Fd sub(openSub(dirFd, e.raw));
            if (sub.get() < 0)
                raiseErrno(errno, within(path, e.raw));
            scanTree(sub.get(), within(path, e.raw), rel, depth + 1, found);
        } else {
            found[rel] = {false, S_ISREG(e.mode) ? e.size : -1};
        }
    }
}

std::map<QString, Copied> scanned(int dirFd, const QString& path) {
    std::map<QString, Copied> found;
    scanTree(dirFd, path, QString(), 0, found);
    return found;
}

bool sameCopy(const std::map<QString, Copied>& a, const std::map<QString, Copied>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.first == y.first && x.second.folder == y.second.folder &&
               x.second.size == y.second.size;
    });
}

int renameIn(int rootFd, const QByteArray& from, const QByteArray& to, bool exchange = false) {
    return platform::fileWrites().rename(rootFd, from.constData(), to.constData(), exchange);
}

// Whether the folder holds an entry of exactly this name: a case-blind drive
// (a stick) finds "HUS…" when asked for "Hus…", which is another account's.
bool exactEntry(int rootFd, const QString& root, const QByteArray& raw) {
    for (const Ent& e : entries(rootFd, root, true))
        if (e.raw == raw)
            return true;
    return false;
}

// Puts the staging folder in the place of the final name. An older backup of
// that name is replaced whole: exchanged in one step where the file system
// can, else moved aside first; either way never merged. Returns the name the
// older backup lies under now (empty when there was none); it stays until the
// new one has been checked in its place. A rename the drive refuses names the
// drive's root, where the names are.
QByteArray swapIn(int rootFd, const QString& root, const QByteArray& staging,
                  const QByteArray& final) {
    struct stat st {};
    if (::fstatat(rootFd, final.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            raiseErrno(errno, within(root, final));
        point();
        if (renameIn(rootFd, staging, final) != 0)
            raiseErrno(errno, root);
        return {};
    }
    // A file or link of that name is not a backup, nor is another name that
    // a case-blind drive takes for it.
    if (!S_ISDIR(st.st_mode) || !exactEntry(rootFd, root, final))
        raiseError(platform::kPathFileAccess);
    point();
    if (renameIn(rootFd, staging, final, true) == 0)
        return staging; // the old one, under the staging name now
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        raiseErrno(errno, root);
    // A crash between the two renames leaves the old one aside and the new one
    // staged; the next listing of the drive puts the old one back.
    const QByteArray aside = "." + final + ".old";
    removeTree(rootFd, aside);
    point();
    if (renameIn(rootFd, final, aside) != 0)
        raiseErrno(errno, root);
    point();
    if (renameIn(rootFd, staging, final) != 0) {
        const int e = errno;
        renameIn(rootFd, aside, final);
        raiseErrno(e, root);
    }
    return aside;
}

// Undoes swapIn when the new backup fails its check in place: the older one
// (or none) under the final name again, the new one under the staging name,
// which the caller removes.
void putBack(int rootFd, const QByteArray& old, const QByteArray& staging,
             const QByteArray& final) {
    if (old.isEmpty()) {
        renameIn(rootFd, final, staging);
        return;
    }
    if (old == staging) {
        renameIn(rootFd, staging, final, true);
        return;
    }
    // Aside first, so that a crash in between leaves the old one to be put
    // back, never a new one half removed under the final name.
    if (renameIn(rootFd, final, staging) == 0)
        renameIn(rootFd, old, final);
}

// Twelve digits end a backup's name.
bool stamped(const QByteArray& name) {
    if (name.size() <= 12)
        return false;
    return std::all_of(name.end() - 12, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What a backup cut short left on a drive: an older backup that a swap set
// aside is put back under its name when that is free (it was whole and
// checked) and removed when the new one stands there; an unfinished copy is
// removed. Best effort: a drive that refuses is left as it is.
void tidyDrive(int rootFd) {
    std::vector<Ent> all;
    try {
        all = entries(rootFd, QString(), true);
    } catch (const RuntimeError&) {
        return;
    }
    for (const Ent& e : all) {
        if (!S_ISDIR(e.mode) || !e.raw.startsWith('.'))
            continue;
        const bool old = e.raw.endsWith(".old");
        if (!old && !e.raw.endsWith(".partial"))
            continue;
        const QByteArray real = e.raw.mid(1, e.raw.size() - 1 - (old ? 4 : 8));
        if (!stamped(real))
            continue;
        if (old) {
            struct stat st {};
            if (::fstatat(rootFd, real.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT)
                    continue;
                point();
                renameIn(rootFd, e.raw, real);
                continue;
            }
            if (!S_ISDIR(st.st_mode))
                continue; // something else stands in its place: leave both
        }
        point();
        removeTree(rootFd, e.raw);
    }
}

// ---- Reading a backup -------------------------------------------------------------

struct Reader {
    qint64 total = 0;
    bool tooLarge = false;
};

// The file at path, raw in the folder open in dirFd.
QByteArray readFileAt(int dirFd, const QByteArray& raw, const QString& path) {
    Fd fd(::openat(dirFd, raw.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0)
        raiseErrno(errno, path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        raiseErrno(errno, path);
    if (!S_ISREG(st.st_mode))
        raiseError(platform::kPathFileAccess);
    QByteArray out(qsizetype(st.st_size), Qt::Uninitialized);
    const qint64 got = readFully(fd.get(), out.data(), out.size(), 0);
    if (got < 0)
        raiseErrno(errno, path);
    out.truncate(qsizetype(got));
    return out;
}

// What lies in the folder at path, without reading a byte: whatever it is,
// nothing of a folder that cannot be a backup is read.
void listTree(int dirFd, const QString& path, const QString& prefix, int depth, Tree& tree,
              Reader& r) {
    for (const Ent& e : entries(dirFd, path, false)) {
        if (r.tooLarge)
            return;
        const QString rel = joinRel(prefix, e.name);
        if (!e.named) {
            tree.misnamed << rel;
        } else if (S_ISDIR(e.mode)) {
            if (depth >= kMaxDepth) {
                r.tooLarge = true;
                return;
            }
            Fd sub(openSub(dirFd, e.raw));
            if (sub.get() < 0)
                raiseErrno(errno, within(path, e.raw));
            tree.folders << rel;
            listTree(sub.get(), within(path, e.raw), rel, depth + 1, tree, r);
        } else if (S_ISREG(e.mode)) {
            r.total += e.size;
            if (r.total > kMaxBackupBytes) {
                r.tooLarge = true;
                return;
            }
            tree.files.push_back({rel, e.size, {}});
        } else {
            tree.passedOver << rel;
        }
    }
}

// The files' bytes, each reached from the folder at root without following a
// link.
void readContents(int rootFd, const QString& root, Tree& tree) {
    for (TreeFile& f : tree.files) {
        const QStringList parts = f.rel.split(QLatin1Char('/'));
        Fd dir(::fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
        QString at = root;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            at = withSlash(at) + parts[i];
            Fd sub(openSub(dir.get(), QFile::encodeName(parts[i])));
            if (sub.get() < 0)
                raiseErrno(errno, at);
            std::swap(dir, sub);
        }
        f.bytes = readFileAt(dir.get(), QFile::encodeName(parts.last()), withSlash(root) + f.rel);
        f.size = f.bytes.size();
    }
}

const TreeFile* findFile(const Tree& t, const QString& rel) {
    for (const TreeFile& f : t.files)
        if (f.rel == rel)
            return &f;
    return nullptr;
}

QString fileLengthProblem(const Tree& t, const QString& prefix, const char* file, int length,
                          bool required) {
    const TreeFile* f = findFile(t, prefix + QLatin1String(file));
    if (!f)
        return required ? QStringLiteral("Filen '%1' finns inte i katalogen.").arg(file)
                        : QString();
    if (f->size % length != 0)
        return QStringLiteral("Filen '%1' har inte postlängden %2 tecken.").arg(file).arg(length);
    return {};
}

bool dateField(const char* p) {
    if (std::all_of(p, p + 10, [](char c) { return c == ' '; }))
        return true;
    for (int i = 0; i < 10; ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? p[i] != '-' : (p[i] < '0' || p[i] > '9'))
            return false;
    }
    return true;
}

QString kindName(bool budget) {
    return budget ? QStringLiteral("budgetkonto") : QStringLiteral("enkelt konto");
}

// Why the files under prefix are no account of kind kontoSlag ("Ek" or "Bg");
// empty when they are. Only the files' lengths, or with contents the dates of
// the postings too: both kinds' lengths divide 43 × 77 bytes.
QString accountFilesProblem(const Tree& t, const QString& prefix, const QString& kontoSlag,
                            bool contents) {
    for (const char* file : {"KontoData", "Transakt"})
        if (!findFile(t, prefix + QLatin1String(file)))
            return QStringLiteral("Filen '%1' finns inte i katalogen.").arg(file);
    const bool budget = kontoSlag == QLatin1String("Bg");
    if (budget || kontoSlag == QLatin1String("Ek")) {
        const int length = budget ? BudgetKontoPost::Length : EnkelKontoPost::Length;
        const TreeFile& data = *findFile(t, prefix + QStringLiteral("KontoData"));
        if (data.size % length != 0)
            return QStringLiteral("Filen 'KontoData' har inte postlängden för ett %1 (%2 tecken).")
                .arg(kindName(budget))
                .arg(length);
        for (qsizetype at = 0; contents && at < data.bytes.size(); at += length)
            if (!dateField(data.bytes.constData() + at))
                return QStringLiteral("Filen 'KontoData' har inget giltigt datum i post %1, "
                                      "och hör alltså inte till ett %2.")
                    .arg(at / length + 1)
                    .arg(kindName(budget));
    }
    for (const auto& [file, length] :
         {std::pair{"Transakt", TransPost::Length}, std::pair{"Kategori", KategoriPost::Length},
          std::pair{"B-mall", BudgMallPost::Length}})
        if (QString p = fileLengthProblem(t, prefix, file, length, false); !p.isEmpty())
            return p;
    return {};
}

QString sharedRefusal(const Tree& t, const Reader& r) {
    if (r.tooLarge)
        return QStringLiteral("Katalogen är för stor för att vara en BackUp av programmets filer.");
    if (!t.misnamed.isEmpty())
        return QStringLiteral("Katalogen innehåller '%1', vars namn inte går att läsa som text "
                              "(det är inte skrivet i UTF-8). Sådana namn återställer "
                              "programmet inte.")
            .arg(t.misnamed.first());
    if (!t.passedOver.isEmpty())
        return QStringLiteral("Katalogen innehåller '%1', som är en symbolisk länk eller en "
                              "specialfil. Sådana återställer programmet inte.")
            .arg(t.passedOver.first());
    return {};
}

// Why the tree cannot be written over base: a file of the backup where the
// data folder has a folder, or the other way round, or a link there that the
// writes would not follow. Empty when it can.
QString targetConflict(const Tree& t, const QString& base) {
    const auto link = [](const QString& rel) {
        return QStringLiteral("I datamappen står en symbolisk länk där BackUp-katalogen har '%1'.")
            .arg(rel);
    };
    for (const QString& f : t.folders) {
        const QFileInfo there(base + QLatin1Char('/') + f);
        if (there.isSymLink())
            return link(f);
        if (there.exists() && !there.isDir())
            return QStringLiteral("'%1' är en katalog i BackUp-katalogen, men i datamappen står en "
                                  "fil med samma namn.")
                .arg(f);
    }
    for (const TreeFile& f : t.files) {
        const QFileInfo there(base + QLatin1Char('/') + f.rel);
        if (there.isSymLink())
            return link(f.rel);
        if (there.isDir())
            return QStringLiteral("'%1' är en fil i BackUp-katalogen, men i datamappen står en "
                                  "katalog med samma namn.")
                .arg(f.rel);
    }
    return {};
}

QString dataFolderRefusal() {
    return QStringLiteral("Katalogen är programmets egen datamapp, ligger i den eller rymmer den.");
}

// Lists the folder, which stays open in fd; false (with the refusal) when it
// cannot be a backup.
bool listBackupFolder(const QString& folder, Tree& tree, QString& refusal, Fd& fd) {
    if (overlap(folder, dataFolder())) {
        refusal = dataFolderRefusal();
        return false;
    }
    fd = Fd(openFolder(folder));
    if (fd.get() < 0) {
        if (errno == ELOOP || errno == ENOTDIR) {
            refusal = QStringLiteral("Katalogen är en symbolisk länk, som programmet inte följer.");
            return false;
        }
        failOpen(errno, folder);
    }
    Reader r;
    listTree(fd.get(), folder, QString(), 0, tree, r);
    refusal = sharedRefusal(tree, r);
    return refusal.isEmpty();
}

// There must be room for the journal and the files both. A file system that
// counts no blocks (ramfs, many FUSE ones) answers 0 free of 0: unknown, not
// full; the commit's own reservation and the disk's answers decide there.
void ensureRoom(qint64 bytes) {
    const QStorageInfo info(dataFolder());
    if (info.isValid() && info.bytesTotal() > 0 && info.bytesAvailable() >= 0 &&
        info.bytesAvailable() < 2 * bytes + 65536)
        raiseError(platform::kDiskFull);
}

void restoreInto(const Tree& tree, const QString& base, bool createBase) {
    WriteBatch batch;
    if (createBase)
        batch.createFolder(base);
    for (const QString& f : tree.folders)
        batch.createFolder(base + QLatin1Char('/') + f);
    for (const TreeFile& f : tree.files)
        batch.replaceFile(base + QLatin1Char('/') + f.rel, f.bytes);
    ensureRoom(tree.bytes());
    point();
    batch.commit();
    point();
}

} // namespace

QString stamp(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyyMMddHHmm"));
}

bool isBackupName(const QString& folderName, const QString& key) {
    if (key.isEmpty() || folderName.size() != key.size() + 12 || !folderName.startsWith(key))
        return false;
    for (qsizetype i = key.size(); i < folderName.size(); ++i)
        if (folderName.at(i) < QLatin1Char('0') || folderName.at(i) > QLatin1Char('9'))
            return false;
    return true;
}

bool windowsNamesOnly(const QString& root) {
    static const QStringList kinds = {
        QStringLiteral("vfat"),    QStringLiteral("msdos"), QStringLiteral("fat"),
        QStringLiteral("exfat"),   QStringLiteral("ntfs"),  QStringLiteral("ntfs3"),
        QStringLiteral("fuseblk"), // exFAT and NTFS through FUSE
        QStringLiteral("cifs"),    QStringLiteral("smb3"),  QStringLiteral("smbfs")};
    const QStorageInfo info(root);
    return info.isValid() && kinds.contains(QString::fromLatin1(info.fileSystemType()));
}

namespace {

// Walks what a copy of the folder at path would hold, for the first name that
// a Windows drive cannot take; account is the account it belongs to, or empty
// for the data folder's own files.
QString namesProblem(int dirFd, const QString& path, const QString& account, const QString& prefix,
                     int depth) {
    const std::vector<Ent> all = entries(dirFd, path, false);
    for (const Ent& e : all) {
        if (!e.named || !(S_ISDIR(e.mode) || S_ISREG(e.mode)))
            continue; // not copied
        const bool top = prefix.isEmpty() && account.isEmpty();
        const QString owner = top && S_ISDIR(e.mode) ? e.name : account;
        const QString rel = joinRel(prefix, e.name);
        if (const QString why = stickNameProblem(e.name); !why.isEmpty()) {
            if (owner.isEmpty())
                return QStringLiteral("Filen '%1' i datamappen kan inte kopieras dit: %2")
                    .arg(rel, why);
            return rel == owner && account.isEmpty()
                       ? QStringLiteral("Kontot '%1' kan inte kopieras dit: %2").arg(owner, why)
                       : QStringLiteral("Kontot '%1' kan inte kopieras dit, eftersom det "
                                        "innehåller '%2': %3")
                             .arg(owner, rel, why);
        }
        for (const Ent& other : all)
            if (&other != &e && other.named && other.name != e.name &&
                other.name.compare(e.name, Qt::CaseInsensitive) == 0 &&
                (S_ISDIR(other.mode) || S_ISREG(other.mode))) {
                if (top)
                    return QStringLiteral("Kontona '%1' och '%2' skiljer sig bara i stora och "
                                          "små bokstäver, som drive-enheten inte skiljer på, så "
                                          "de kan inte kopieras dit tillsammans.")
                        .arg(std::min(e.name, other.name), std::max(e.name, other.name));
                return QStringLiteral("Kontot '%1' kan inte kopieras dit, eftersom '%2' och "
                                      "'%3' skiljer sig bara i stora och små bokstäver, som "
                                      "drive-enheten inte skiljer på.")
                    .arg(owner.isEmpty() ? QStringLiteral("datamappen") : owner,
                         joinRel(prefix, std::min(e.name, other.name)),
                         joinRel(prefix, std::max(e.name, other.name)));
            }
        if (S_ISDIR(e.mode) && depth < kMaxDepth) {
            const QString at = within(path, e.raw);
            Fd sub(openSub(dirFd, e.raw));
            if (sub.get() < 0)
                raiseErrno(errno, at);
            if (QString p = namesProblem(sub.get(), at, owner, rel, depth + 1); !p.isEmpty())
                return p;
        }
    }
    return {};
}

} // namespace

QString stickProblem(const QString& source, const QString& account) {
    if (!account.isEmpty())
        if (const QString why = stickNameProblem(account); !why.isEmpty())
            return QStringLiteral("Kontot '%1' kan inte kopieras dit: %2").arg(account, why);
    Fd fd(openFolder(source));
    if (fd.get() < 0)
        failOpen(errno, source);
    return namesProblem(fd.get(), source, account, QString(), 0);
}

QString accountKeyProblem(const QString& kontoNamn) {
    if (QString p = accountNameProblem(kontoNamn); !p.isEmpty())
        return p;
    if (kontoNamn.compare(kAllStem, Qt::CaseInsensitive) == 0)
        return QStringLiteral("Kontonamnet '%1' är upptaget av säkerhetskopiorna av samtliga "
                              "konton !")
            .arg(kontoNamn);
    return {};
}

std::vector<Folder> listFolders(const QString& root) {
    Fd fd(openRoot(root));
    if (fd.get() < 0)
        failOpen(errno, root);
    tidyDrive(fd.get());
    std::vector<Folder> out;
    for (const Ent& e : entries(fd.get(), root, false))
        if (S_ISDIR(e.mode) && e.named)
            out.push_back({e.name, withSlash(root) + e.name});
    std::stable_sort(out.begin(), out.end(), [](const Folder& a, const Folder& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return out;
}

qint64 Tree::bytes() const {
    qint64 sum = 0;
    for (const TreeFile& f : files)
        sum += f.size;
    return sum;
}

bool overlap(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (ca.isEmpty() || cb.isEmpty())
        return false;
    auto inside = [](const QString& x, const QString& y) {
        return x == y || x.startsWith(y == QLatin1String("/") ? y : y + QLatin1Char('/'));
    };
    return inside(ca, cb) || inside(cb, ca);
}

QString makeBackup(const QString& source, const QString& driveRoot, const QString& finalName,
                   QString* stagingLeft) {
    if (stagingLeft)
        stagingLeft->clear();
    if (finalName.isEmpty() || finalName.startsWith(QLatin1Char('.')) ||
        finalName.contains(QLatin1Char('/')))
        raiseError(platform::kBadFileName);
    const QString root = withSlash(driveRoot);
    // A drive inside the folder being copied would take the copy in too.
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonicalSource = QFileInfo(source).canonicalFilePath();
    if (!canonicalRoot.isEmpty() && !canonicalSource.isEmpty() &&
        (canonicalRoot == canonicalSource ||
         canonicalRoot.startsWith(canonicalSource + QLatin1Char('/'))))
        raiseError(platform::kPathFileAccess);

    Fd src(openFolder(source));
    if (src.get() < 0)
        failOpen(errno, source);
    Fd rootFd(openRoot(root));
    if (rootFd.get() < 0)
        failOpen(errno, root);
    const QByteArray final = QFile::encodeName(finalName);
    const QByteArray staging = "." + final + ".partial";
    const QString stagingPath = root + QFile::decodeName(staging);
    tidyDrive(rootFd.get());
    removeTree(rootFd.get(), staging); // what a crash left
    point();
    // A write-protected stick refuses here: the drive is named.
    if (::mkdirat(rootFd.get(), staging.constData(), 0777) != 0)
        raiseErrno(errno, root);
    try {
        std::map<QString, Copied> copied;
        {
            Fd dst(openSub(rootFd.get(), staging));
            if (dst.get() < 0)
                raiseErrno(errno, stagingPath);
            copyTree(src.get(), source, dst.get(), stagingPath, QString(), 0, copied);
            point();
            syncFd(dst.get(), stagingPath);
            if (!sameCopy(copied, scanned(dst.get(), stagingPath)))
                raiseError(platform::kDeviceIo);
        }
        const QByteArray old = swapIn(rootFd.get(), root, staging, final);
        try {
            point();
            syncFd(rootFd.get(), root);
            // Once more where it stands now: a rename must not have lost a file.
            Fd placed(openSub(rootFd.get(), final));
            if (placed.get() < 0)
                raiseErrno(errno, root + finalName);
            if (!sameCopy(copied, scanned(placed.get(), root + finalName)))
                raiseError(platform::kDeviceIo);
        } catch (const std::exception&) {
            putBack(rootFd.get(), old, staging, final);
            throw;
        }
        point();
        if (!old.isEmpty())
            removeTree(rootFd.get(), old);
        syncFd(rootFd.get(), root);
    } catch (const std::exception&) {
        if (!removeTree(rootFd.get(), staging) && stagingLeft)
            *stagingLeft = root + QFile::decodeName(staging);
        throw;
    }
    return root + finalName;
}

AccountBackup readAccountBackup(const QString& folder, const QString& kontoNamn,
                                const QString& kontoSlag) {
    AccountBackup b;
    b.named = isBackupName(QFileInfo(QDir::cleanPath(folder)).fileName(), kontoNamn);
    Fd fd;
    if (!listBackupFolder(folder, b.tree, b.refusal, fd))
        return b;
    if (findFile(b.tree, QStringLiteral("KontoFil"))) {
        b.refusal = QStringLiteral("Katalogen är en BackUp av samtliga konton, eftersom den "
                                   "innehåller kontoregistret 'KontoFil'.");
        return b;
    }
    b.refusal = accountFilesProblem(b.tree, QString(), kontoSlag, false);
    if (!b.refusal.isEmpty())
        return b;
    readContents(fd.get(), folder, b.tree);
    b.refusal = accountFilesProblem(b.tree, QString(), kontoSlag, true);
    if (b.refusal.isEmpty() && accountNameProblem(kontoNamn).isEmpty())
        b.refusal = targetConflict(b.tree, accountFolder(kontoNamn));
    return b;
}

AllBackup readAllBackup(const QString& folder) {
    AllBackup b;
    b.named = isBackupName(QFileInfo(QDir::cleanPath(folder)).fileName(), kAllStem);
    Fd fd;
    if (!listBackupFolder(folder, b.tree, b.refusal, fd))
        return b;
    // A folder whose name can be no account is not brought back, and the
    // user is told so.
    const auto leaveOut = [&](const QString& name, const QString& why) {
        for (const LeftOut& l : b.leftOut)
            if (l.name == name)
                return;
        b.leftOut.push_back({name, why});
    };
    for (const QString& f : std::as_const(b.tree.folders))
        if (!f.contains(QLatin1Char('/')))
            if (QString why = accountNameProblem(f); !why.isEmpty())
                leaveOut(f, why);
    const auto unsafe = [](const QString& rel) {
        return !accountNameProblem(rel.section(QLatin1Char('/'), 0, 0)).isEmpty();
    };
    b.tree.folders.removeIf(unsafe);
    std::erase_if(b.tree.files, [&](const TreeFile& f) {
        return f.rel.contains(QLatin1Char('/')) && unsafe(f.rel);
    });

    const TreeFile* reg = findFile(b.tree, QStringLiteral("KontoFil"));
    if (!reg) {
        b.refusal = QStringLiteral("Kontoregistret 'KontoFil' finns inte i katalogen.");
        return b;
    }
    if (reg->size == 0 || reg->size % KontoFilPost::Length != 0) {
        b.refusal = QStringLiteral("Kontoregistret 'KontoFil' i katalogen är tomt eller skadat.");
        return b;
    }
    for (const auto& [file, length] :
         {std::pair{"PosFil", PosFilPost::Length}, std::pair{"RedDayFil", RedDayPost::Length}}) {
        b.refusal = fileLengthProblem(b.tree, QString(), file, length, false);
        if (!b.refusal.isEmpty())
            return b;
    }
    readContents(fd.get(), folder, b.tree);
    reg = findFile(b.tree, QStringLiteral("KontoFil"));
    if (reg->size == 0 || reg->size % KontoFilPost::Length != 0) {
        b.refusal = QStringLiteral("Kontoregistret 'KontoFil' i katalogen är tomt eller skadat.");
        return b;
    }
    b.registerCount = long(reg->size / KontoFilPost::Length);
    for (long i = 1; i <= b.registerCount; ++i) {
        QByteArray raw = reg->bytes.mid((i - 1) * KontoFilPost::Length, KontoFilPost::Length);
        // Control characters of a damaged record read as blanks, bar the
        // fund-account mark at the name's end.
        const KontoFilPost rec = decodeRecord<KontoFilPost>(raw);
        QString name = rec.KontoNamn;
        for (QChar& c : name)
            if (c.unicode() < 32 && c.unicode() != 6)
                c = QLatin1Char(' ');
        name = trimBlanks(name);
        if (name.isEmpty())
            continue;
        if (name.back().unicode() < 33)
            name.chop(1);
        if (QString why = accountNameProblem(name); !why.isEmpty()) {
            leaveOut(name, why); // names no folder; the account choice refuses it
            continue;
        }
        if (!b.tree.folders.contains(name)) {
            if (findFile(b.tree, name)) {
                b.refusal = QStringLiteral("Kontot '%1' är en fil i katalogen, inte en "
                                           "kontokatalog.")
                                .arg(name);
                return b;
            }
            b.missing.push_back({i, name});
            continue;
        }
        if (const QString p = accountFilesProblem(b.tree, name + QLatin1Char('/'),
                                                  trimBlanks(rec.KontoSlag), true);
            !p.isEmpty()) {
            b.refusal = QStringLiteral("Kontot '%1' i katalogen är skadat: %2").arg(name, p);
            return b;
        }
    }
    b.refusal = targetConflict(b.tree, dataFolder());
    return b;
}

QStringList unlistedAccountFolders() {
    QStringList listed;
    if (QFileInfo::exists(kontoFilPath())) {
        const RecordFile kontoFil = openExistingRecordFile<KontoFilPost>(kontoFilPath());
        for (const RegisterItem& item : registerItems(kontoFil))
            listed << accountNameOf(kontoFil.get<KontoFilPost>(item.number).KontoNamn);
    }
    Fd fd(openFolder(dataFolder()));
    if (fd.get() < 0)
        failOpen(errno, dataFolder());
    QStringList out;
    for (const Ent& e : entries(fd.get(), dataFolder(), false))
        if (S_ISDIR(e.mode) && e.named && accountNameProblem(e.name).isEmpty() &&
            !listed.contains(e.name))
            out << e.name;
    return out;
}

LeftAccount readLeftAccount(const QString& kontoNamn, const QString& chosen) {
    LeftAccount left;
    left.slag = chosen;
    if (QString p = accountNameProblem(kontoNamn); !p.isEmpty()) {
        left.refusal = p;
        return left;
    }
    const QString folder = accountFolder(kontoNamn);
    Fd fd(openFolder(folder));
    if (fd.get() < 0) {
        if (errno == ELOOP || errno == ENOTDIR) {
            left.refusal =
                QStringLiteral("Katalogen är en symbolisk länk, som programmet inte följer.");
            return left;
        }
        failOpen(errno, folder);
    }
    // The checks of a restore of one account, the folder being its own target.
    Tree tree;
    Reader r;
    listTree(fd.get(), folder, QString(), 0, tree, r);
    left.refusal = sharedRefusal(tree, r);
    if (left.refusal.isEmpty() && findFile(tree, QStringLiteral("KontoFil")))
        left.refusal = QStringLiteral("Katalogen är en BackUp av samtliga konton, eftersom den "
                                      "innehåller kontoregistret 'KontoFil'.");
    if (left.refusal.isEmpty())
        left.refusal = accountFilesProblem(tree, QString(), QString(), false);
    if (!left.refusal.isEmpty())
        return left;
    readContents(fd.get(), folder, tree);
    // The kind is the files': the record length and the dates at each record's
    // start; a budget template tells where both would do.
    const bool budget = accountFilesProblem(tree, QString(), QStringLiteral("Bg"), true).isEmpty();
    const bool simple = accountFilesProblem(tree, QString(), QStringLiteral("Ek"), true).isEmpty();
    const TreeFile* mall = findFile(tree, QStringLiteral("B-mall"));
    if (budget && simple)
        left.slag = mall && mall->size > 0 ? QStringLiteral("Bg") : chosen;
    else if (budget || simple)
        left.slag = budget ? QStringLiteral("Bg") : QStringLiteral("Ek");
    else {
        const TreeFile& data = *findFile(tree, QStringLiteral("KontoData"));
        const QString likely = data.size % BudgetKontoPost::Length == 0  ? QStringLiteral("Bg")
                               : data.size % EnkelKontoPost::Length == 0 ? QStringLiteral("Ek")
                                                                         : chosen;
        left.refusal = accountFilesProblem(tree, QString(), likely, true);
        return left;
    }
    const TreeFile& data = *findFile(tree, QStringLiteral("KontoData"));
    const int length =
        left.slag == QLatin1String("Bg") ? BudgetKontoPost::Length : EnkelKontoPost::Length;
    for (qsizetype at = 0; at + length <= data.bytes.size(); at += length)
        if (data.bytes.at(at) != ' ')
            ++left.postings;
    return left;
}

void restoreAccount(const Tree& tree, const QString& kontoNamn) {
    if (!accountKeyProblem(kontoNamn).isEmpty())
        raiseError(platform::kBadFileName);
    restoreInto(tree, accountFolder(kontoNamn), true);
}

void restoreAll(const Tree& tree) {
    restoreInto(tree, dataFolder(), false);
}

} // namespace backup
} // namespace fyn
