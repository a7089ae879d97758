#include "core/SafeWriteJournal.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteIo.h"
#include "core/SafeWriteRoads.h"
#include "platform/DataWrites.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fyn::safewrite {

// ---- What the journal stands for ----------------------------------------------

namespace {
// One name for a file however a caller spelled it: a replay names files from
// the data folder, a commit as its caller did.
QString key(const QString& path) {
    return QDir::cleanPath(path);
}
} // namespace

void EpochFiles::entered(const Entry& e) {
    for (const QString& f : e.folders)
        unsyncedFolders_.insert(parentOf(f));
    for (const FileChange& f : e.files) {
        held_.insert(key(f.path));
        sizes_[key(f.path)] = f.newSize;
        // A file put in place changes its folder; one written in place (or
        // made, or cut) is synced itself.
        if (f.whole || !f.existed)
            unsyncedFolders_.insert(parentOf(f.path));
        if (!f.whole)
            unsynced_.insert(f.path);
    }
}

void EpochFiles::replacedAlone(const QString& path, qint64 newSize) {
    // Synced, folder and all, before the commit returned: no entry holds it.
    sizes_[key(path)] = newSize;
}

void EpochFiles::folderChanged(const QString& dir) {
    unsyncedFolders_.insert(dir);
}

bool EpochFiles::journalHolds(const QString& path) const {
    return held_.count(key(path)) > 0;
}

qint64 EpochFiles::filesBytes() const {
    qint64 sum = 0;
    for (const auto& [path, size] : sizes_)
        sum += size;
    return sum;
}

void EpochFiles::emptied() {
    held_.clear();
    unsynced_.clear();
    unsyncedFolders_.clear();
}

void EpochFiles::clear() {
    emptied();
    sizes_.clear();
}

JournalState& journal() {
    static JournalState state;
    return state;
}

// ---- The journal file -------------------------------------------------------------

quint64 freshEpoch() {
    std::random_device random;
    return (quint64(random()) << 32 | random()) | 1;
}

int openJournal(int flags) {
    const QString& path = journal().path;
    Fd fd(safeOpen(path, flags));
    if (fd.get() < 0) {
        if (errno == ENOENT && (flags & O_CREAT))
            raiseError(platform::kPathNotFound);
        fail(errno, path);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        fail(errno, path);
    if (st.st_nlink > 1) {
        RuntimeError e(
            platform::kPathFileAccess,
            QStringLiteral(".journal, som har fler än ett namn på disken (en hård länk)"));
        e.setPath(path);
        throw e;
    }
    return fd.release();
}

namespace {

// Cuts the journal back to length and syncs that; shrinking needs no new room.
// False when either failed.
bool cutBack(int fd, qint64 length) {
    JournalState& j = journal();
    try {
        pointStep(j.path);
    } catch (const RuntimeError&) {
        return false;
    }
    if (platform::dataWrites().truncate(fd, length) != 0 || !syncData(fd))
        return false;
    j.end = length;
    j.fresh = j.fresh || length == 0;
    return true;
}

std::vector<iovec> piecesAt(const EncodedEntry& entry, qint64 at, const QByteArray& head) {
    std::vector<iovec> pieces = entry.pieces();
    if (at == 0)
        pieces.insert(pieces.begin(),
                      iovec{const_cast<char*>(head.constData()), size_t(head.size())});
    return pieces;
}

// Every file the journal stood for synced, then every folder whose names
// changed; a file or folder gone with its account is nothing to sync.
void syncEpochFiles() {
    JournalState& j = journal();
    for (const QString& path : j.files.unsyncedFiles()) {
        Fd fd(safeOpen(path, O_RDONLY));
        if (fd.get() < 0) {
            if (errno == ENOENT)
                continue;
            fail(errno, path);
        }
        syncFile(fd.get(), path);
    }
    for (const QString& dir : j.files.unsyncedFolders()) {
        if (!isFolder(dir) && !QFileInfo::exists(dir))
            continue;
        syncFolderOrFail(dir);
    }
}

} // namespace

QByteArray entryBytes(const EncodedEntry& entry, qint64 at) {
    const QByteArray head = at == 0 ? headBytes(journal().epoch) : QByteArray();
    QByteArray out;
    out.reserve(head.size() + entry.size());
    for (const iovec& v : piecesAt(entry, at, head))
        out.append(static_cast<const char*>(v.iov_base), qsizetype(v.iov_len));
    return out;
}

std::optional<RuntimeError> appendEntry(const EncodedEntry& entry, qint64& at) {
    JournalState& j = journal();
    struct stat st {};
    // A journal this open makes (its folder made again under the program)
    // stands only once its name does.
    if (safeLstat(j.path, st) != 0 && errno == ENOENT)
        j.named = false;
    Fd fd(openJournal(O_WRONLY | O_CREAT));
    if (::fstat(fd.get(), &st) != 0)
        fail(errno, j.path);
    // A journal that lost entries under us holds nothing to go on from: what
    // they wrote is synced first, then it begins anew.
    if (!j.fresh && st.st_size < j.end) {
        syncEpochFiles();
        j.fresh = true;
    }
    if (j.fresh && st.st_size > 0) {
        // Nothing in it is needed: gone first, so that a head cut short
        // leaves only a piece of itself, never a mix with the old one.
        pointStep(j.path);
        if (platform::dataWrites().truncate(fd.get(), 0) != 0)
            fail(errno, j.path);
    }
    at = j.fresh ? 0 : j.end;
    const QByteArray head = at == 0 ? headBytes(j.epoch) : QByteArray();
    const qint64 size = head.size() + entry.size();
    // Room first: on a disk that writes in place, a full disk refuses the
    // edit here, before anything of it stands.
    reserveRoom(fd.get(), at, size, j.path);
    try {
        pointWriteVector(fd.get(), piecesAt(entry, at, head), size, at, j.path);
    } catch (const RuntimeError&) {
        (void)cutBack(fd.get(), at); // never whole, so never replayed: tidied if it can be
        throw;
    }
    std::optional<RuntimeError> uncertain;
    try {
        syncFile(fd.get(), j.path);
        // A journal made by this run stands only once its name does.
        if (!j.named) {
            syncFolderOrFail(dataRoot());
            j.named = true;
        }
    } catch (const RuntimeError& e) {
        // Its bytes may be on disk or not, and a later sync would not tell:
        // only a cut that is synced makes sure it never comes back.
        if (cutBack(fd.get(), at))
            throw;
        if (!j.named)
            j.files.folderChanged(dataRoot());
        uncertain = e;
    }
    // Nothing reads the journal back but a start after a crash: its pages
    // are given back at once, so that the next entry finds memory ready.
    ::posix_fadvise(fd.get(), at, size, POSIX_FADV_DONTNEED);
    if (j.fresh && !uncertain)
        j.files.emptied(); // the journal begun anew is on disk: the old one is gone
    j.fresh = false;
    j.end = at + size;
    return uncertain;
}

void nextEpoch() {
    JournalState& j = journal();
    if (j.path.isEmpty())
        return;
    pointStep(j.path);
    struct stat st {};
    if (safeLstat(j.path, st) != 0 && errno == ENOENT) {
        j.fresh = true; // removed at the start, or never made: nothing to empty
        return;
    }
    Fd fd(openJournal(O_WRONLY));
    // From here the head on disk may be the old one, the new one or a mix of
    // them: until a head is written and synced, the next entry starts the
    // journal anew instead of following entries under a head it may not match.
    j.fresh = true;
    // The head's meaning lies in its first sector, which a disk writes whole.
    const QByteArray head = headBytes(j.epoch + 1).left(24);
    pointWrite(fd.get(), head.constData(), head.size(), 0, j.path);
    syncFile(fd.get(), j.path);
    j.epoch += 1;
    j.end = kJournalHead;
    j.fresh = false;
    // Old entries may stay as room for the next ones, up to twice the room; a
    // cut that does not land leaves bytes that count for nothing.
    if (::fstat(fd.get(), &st) == 0 &&
        st.st_size > kJournalHead + 2 * kJournalRoom * j.files.filesBytes())
        (void)platform::dataWrites().truncate(fd.get(), kJournalHead);
}

// ---- What a failure leaves, and the road out -----------------------------------------

namespace {

// The words for a file of the data folder, by what it holds.
QString fileWords(const QString& name) {
    static const std::pair<const char*, const char*> kWords[] = {
        {"KontoData", "posterna"},
        {"Transakt", "huvudtransaktionerna"},
        {"Kategori", "subtransaktionerna"},
        {"B-mall", "budgetmallen"},
        {"KontoFil", "kontoregistret"},
        {"KontoIni", "inställningarna (senaste konto och användarnamn)"},
        {"PosFil", "fönstrens lägen"},
        {"RedDayFil", "registret över röda dagar"},
    };
    for (const auto& [file, words] : kWords)
        if (name == QLatin1String(file))
            return QString::fromUtf8(words);
    return name;
}

QString describeFiles(const std::vector<QString>& paths, bool& settingsOnly) {
    settingsOnly = false;
    if (paths.empty())
        return QStringLiteral("de senaste ändringarna");
    // By account, in the order first named.
    std::vector<std::pair<QString, QStringList>> groups;
    settingsOnly = true;
    for (const QString& path : paths) {
        const QStringList parts = relativeToDataRoot(path).split(QLatin1Char('/'));
        const QString account = parts.size() > 1 ? parts.first() : QString();
        const QString words = fileWords(parts.last());
        settingsOnly =
            settingsOnly && account.isEmpty() &&
            (parts.last() == QLatin1String("KontoIni") || parts.last() == QLatin1String("PosFil"));
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const auto& g) { return g.first == account; });
        if (it == groups.end()) {
            groups.emplace_back(account, QStringList());
            it = std::prev(groups.end());
        }
        if (!it->second.contains(words))
            it->second << words;
    }
    if (settingsOnly)
        return QStringLiteral("programmets egna inställningar (") +
               groups.front().second.join(QStringLiteral(", ")) + QLatin1Char(')');
    QStringList out;
    for (const auto& [account, words] : groups)
        out << (account.isEmpty() ? words.join(QStringLiteral(", "))
                                  : QStringLiteral("kontot '") + account + QStringLiteral("' (") +
                                        words.join(QStringLiteral(", ")) + QLatin1Char(')'));
    return QStringLiteral("ändringen i ") + out.join(QStringLiteral(" och "));
}

} // namespace

QString describeChange(const Entry& e, bool& settingsOnly) {
    std::vector<QString> paths;
    for (const FileChange& f : e.files)
        paths.push_back(f.path);
    return describeFiles(paths, settingsOnly);
}

void unsettle(const RuntimeError& e, const QString& what, bool settingsOnly) {
    JournalState& j = journal();
    if (!j.unsettled) {
        j.unsettled.emplace();
        j.unsettled->what = what;
        j.unsettled->settingsOnly = settingsOnly;
    }
    j.unsettled->text = e.text();
    j.unsettled->path = e.path();
}

void settle() {
    JournalState& j = journal();
    try {
        if (j.unsettled && j.unsettled->aside) {
            moveAside();
            j.unsettled.reset(); // nothing of it is replayed
        }
        if (j.unsettled && j.unsettled->entry) {
            // Written again before any later sync of the journal is trusted.
            const auto& [at, bytes] = *j.unsettled->entry;
            Fd fd(openJournal(O_WRONLY | O_CREAT));
            pointWrite(fd.get(), bytes.constData(), bytes.size(), at, j.path);
            syncFile(fd.get(), j.path);
            j.unsettled->entry.reset();
        }
        // What the failure may have lost is written again from the journal;
        // a journal begun anew holds nothing to write.
        if (j.unsettled && !j.fresh && !replayJournal(false)) {
            RuntimeError e(platform::kDeviceIo,
                           QStringLiteral("datamappens logg över pågående ändringar (.journal), "
                                          "som inte längre går att läsa som programmet skrev den"));
            e.setPath(j.path);
            throw e;
        }
        syncEpochFiles();
    } catch (const RuntimeError& e) {
        if (!j.unsettled) {
            // The periodic checkpoint's failure: the edits it stood for are
            // in the journal, and are what waits.
            std::vector<QString> held(j.files.unsyncedFiles().begin(),
                                      j.files.unsyncedFiles().end());
            bool settings = false;
            unsettle(e, describeFiles(held, settings), settings);
        } else {
            unsettle(e, {}, false);
        }
        throw;
    }
    // Every file and folder holds what the journal stands for: a head that
    // fails now loses nothing, and the next entry begins the journal anew.
    j.unsettled.reset();
    nextEpoch();
    j.files.emptied();
}

} // namespace fyn::safewrite
