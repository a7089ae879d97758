#include "core/SafeWriteFormat.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWrite.h"
#include "platform/SysError.h"

#include <algorithm>
#include <cstring>

namespace fyn::safewrite {

namespace {

// The marks of the head, of an entry ("FYNW": as earlier versions wrote them)
// and of an entry's end.
constexpr char kHeadMagic[4] = {'F', 'Y', 'N', 'J'};
constexpr char kMagic[4] = {'F', 'Y', 'N', '3'};
constexpr char kMagicOneLane[4] = {'F', 'Y', 'N', 'W'};
constexpr char kEnd[4] = {'D', 'O', 'N', 'E'};
constexpr qsizetype kHead = 12; // magic and the body's length
constexpr qsizetype kTail = 12; // checksum and end mark
constexpr quint64 kFnvBasis = 1469598103934665603ULL;
constexpr quint64 kFnvPrime = 1099511628211ULL;

// FNV-1a over 8 bytes at a time, then the tail, from h.
quint64 fnvFrom(quint64 h, const char* p, qsizetype n) {
    for (; n >= 8; p += 8, n -= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * kFnvPrime;
    }
    for (; n > 0; ++p, --n)
        h = (h ^ static_cast<unsigned char>(*p)) * kFnvPrime;
    return h;
}

// One lane ("FYNW").
quint64 oneLaneChecksum(const char* p, qsizetype n) {
    return fnvFrom(kFnvBasis, p, n);
}

// The same step on four lanes of 8 bytes each, then the tail on the first
// lane, then the lanes folded into one ("FYN2"). Bytes may come in pieces.
class Checksum {
public:
    void add(const char* p, size_t n) {
        if (held_ > 0) {
            const size_t take = qMin(n, kBlock - held_);
            std::memcpy(block_ + held_, p, take);
            held_ += take;
            p += take;
            n -= take;
            if (held_ < kBlock)
                return;
            step(block_);
            held_ = 0;
        }
        for (; n >= kBlock; p += kBlock, n -= kBlock)
            step(p);
        std::memcpy(block_, p, n);
        held_ = n;
    }
    quint64 value() const {
        quint64 h = fnvFrom(lane_[0], block_, qsizetype(held_));
        for (int k = 1; k < 4; ++k)
            h = (h ^ lane_[k]) * kFnvPrime;
        return h;
    }

private:
    static constexpr size_t kBlock = 32;
    void step(const char* p) {
        for (int k = 0; k < 4; ++k) {
            quint64 w;
            std::memcpy(&w, p + 8 * k, 8);
            lane_[k] = (lane_[k] ^ w) * kFnvPrime;
        }
    }
    quint64 lane_[4] = {kFnvBasis, kFnvBasis ^ 1, kFnvBasis ^ 2, kFnvBasis ^ 3};
    char block_[kBlock] = {};
    size_t held_ = 0;
};

quint64 checksum(const char* p, qsizetype n) {
    Checksum sum;
    sum.add(p, size_t(n));
    return sum.value();
}

} // namespace

void EncodedEntry::putBytes(const QByteArray& b) {
    put<quint32>(quint32(b.size()));
    meta(b.constData(), size_t(b.size()));
}

void EncodedEntry::putData(const QByteArray& b) {
    put<quint32>(quint32(b.size()));
    if (!b.isEmpty())
        pieces_.push_back({false, qsizetype(quintptr(b.constData())), b.size()});
    size_ += b.size();
}

void EncodedEntry::meta(const void* p, size_t n) {
    if (!pieces_.empty() && pieces_.back().own)
        pieces_.back().size += qsizetype(n);
    else
        pieces_.push_back({true, own_.size(), qsizetype(n)});
    own_.append(static_cast<const char*>(p), qsizetype(n));
    size_ += qsizetype(n);
}

void EncodedEntry::patchLength(quint64 length) {
    std::memcpy(own_.data() + 4, &length, sizeof length);
}

std::vector<iovec> EncodedEntry::pieces() const {
    std::vector<iovec> v;
    v.reserve(pieces_.size());
    for (const Piece& p : pieces_) {
        const char* at = p.own ? own_.constData() + p.at : reinterpret_cast<const char*>(p.at);
        v.push_back({const_cast<char*>(at), size_t(p.size)});
    }
    return v;
}

namespace {

template <class T> bool take(const QByteArray& in, qsizetype& at, T& v) {
    if (in.size() - at < qsizetype(sizeof v))
        return false;
    std::memcpy(&v, in.constData() + at, sizeof v);
    at += sizeof v;
    return true;
}

bool takeBytes(const QByteArray& in, qsizetype& at, QByteArray& b) {
    quint32 len = 0;
    if (!take(in, at, len) || quint64(in.size() - at) < len)
        return false;
    b = in.mid(at, len);
    at += len;
    return true;
}

// A path of the data folder as the journal names it: relative, plain components.
QByteArray journalName(const QString& path) {
    const QString rel = relativeToDataRoot(path);
    if (rel.isEmpty())
        raiseError(platform::kBadFileName); // never written outside the data folder
    return rel.toUtf8();
}

bool takePath(const QByteArray& in, qsizetype& at, QString& path) {
    QByteArray name;
    if (!takeBytes(in, at, name))
        return false;
    const QString rel = QString::fromUtf8(name);
    if (rel.toUtf8() != name || !isPlainRelativePath(rel))
        return false;
    path = dataRoot() + QLatin1Char('/') + rel;
    return true;
}

} // namespace

EncodedEntry encodeEntry(const Entry& e, quint64 epoch) {
    EncodedEntry out;
    out.meta(kMagic, 4);
    out.put<quint64>(0); // the body's length, filled in below
    const qint64 bodyAt = out.size();
    out.put<quint64>(epoch);
    out.put<quint8>(Entry::Commit); // the only kind the program writes now
    out.put<quint32>(quint32(e.folders.size()));
    for (const QString& f : e.folders)
        out.putBytes(journalName(f));
    out.put<quint32>(quint32(e.files.size()));
    for (const FileChange& f : e.files) {
        out.putBytes(journalName(f.path));
        out.put<quint8>((f.existed ? 1 : 0) | (f.whole ? 2 : 0));
        out.put<qint64>(f.oldSize);
        out.put<qint64>(f.newSize);
        out.put<quint32>(f.whole ? 0 : quint32(f.regions.size()));
        if (f.whole) {
            out.put<quint64>(f.wholeId);
            continue;
        }
        for (const Region& r : f.regions) {
            out.put<qint64>(r.offset);
            out.putData(r.now);
        }
    }
    const quint64 bodyLength = quint64(out.size() - bodyAt);
    Checksum sum;
    std::vector<iovec> pieces = out.pieces();
    qint64 skip = bodyAt;
    for (iovec& v : pieces) {
        const qint64 drop = qMin<qint64>(skip, qint64(v.iov_len));
        skip -= drop;
        sum.add(static_cast<const char*>(v.iov_base) + drop, v.iov_len - size_t(drop));
    }
    // The length goes in the head: the own bytes are patched where it stands.
    out.patchLength(bodyLength);
    out.put<quint64>(sum.value());
    out.meta(kEnd, 4);
    return out;
}

namespace {

// One entry's body (after its epoch, when it has one); false when it does
// not hold together.
bool decodeBody(const QByteArray& body, qsizetype q, Entry& e) {
    quint8 kind = 0;
    quint32 nfolders = 0, nfiles = 0;
    if (!take(body, q, kind) || kind < Entry::Commit || kind > Entry::Undo ||
        !take(body, q, nfolders))
        return false;
    e.kind = Entry::Kind(kind);
    for (quint32 i = 0; i < nfolders; ++i) {
        QString path;
        if (!takePath(body, q, path))
            return false;
        e.folders.push_back(path);
    }
    e.skipFolder.assign(e.folders.size(), false);
    if (!take(body, q, nfiles))
        return false;
    for (quint32 i = 0; i < nfiles; ++i) {
        FileChange f;
        quint8 existed = 0;
        quint32 nregions = 0;
        if (!takePath(body, q, f.path) || !take(body, q, existed) || existed > 3 || existed == 2 ||
            !take(body, q, f.oldSize) || !take(body, q, f.newSize) || !take(body, q, nregions))
            return false;
        if (f.oldSize < 0 || f.oldSize > kMaxFileBytes || f.newSize < 0 ||
            f.newSize > kMaxFileBytes || (!(existed & 1) && f.oldSize != 0))
            return false;
        f.existed = (existed & 1) != 0;
        f.whole = (existed & 2) != 0;
        if (f.whole && (nregions != 0 || !take(body, q, f.wholeId)))
            return false;
        for (quint32 k = 0; k < nregions; ++k) {
            Region r;
            if (!take(body, q, r.offset) || !takeBytes(body, q, r.now))
                return false;
            if (r.offset < 0 || r.offset > f.newSize || r.now.size() > f.newSize - r.offset)
                return false;
            f.regions.push_back(std::move(r));
        }
        e.files.push_back(std::move(f));
    }
    if (q != body.size())
        return false;
    // A commit given up names nothing; an undo puts back bytes, it writes no file whole.
    if (e.kind == Entry::Abort)
        return e.folders.empty() && e.files.empty();
    return e.kind == Entry::Commit || std::none_of(e.files.begin(), e.files.end(),
                                                   [](const FileChange& f) { return f.whole; });
}

bool allZero(const char* p, qsizetype n) {
    return std::all_of(p, p + n, [](char c) { return c == 0; });
}

} // namespace

QByteArray headBytes(quint64 epoch) {
    QByteArray head(kJournalHead, '\0');
    std::memcpy(head.data(), kHeadMagic, 4);
    const quint32 version = 1;
    std::memcpy(head.data() + 4, &version, 4);
    std::memcpy(head.data() + 8, &epoch, 8);
    const quint64 sum = checksum(head.constData(), 16);
    std::memcpy(head.data() + 16, &sum, 8);
    return head;
}

namespace {

// Whether head is the head of epoch old with the head of the next epoch
// written over it, cut short somewhere: the first bytes new, the rest old.
bool cutShortOver(const QByteArray& head, quint64 old) {
    const QByteArray was = headBytes(old).left(24);
    const QByteArray now = headBytes(old + 1).left(24);
    for (qsizetype n = 1; n < 24; ++n)
        if (head.left(n) == now.left(n) && head.mid(n) == was.mid(n))
            return true;
    return false;
}

// A checkpoint's head cut short. Its epoch reads as the new one, or as the
// new one's first bytes before the old one's last (a carry the cut divided).
bool cutShortHead(const QByteArray& head) {
    quint64 epoch = 0;
    std::memcpy(&epoch, head.constData() + 8, 8);
    if (cutShortOver(head, epoch - 1))
        return true;
    for (int low = 1; low < 8; ++low)
        if (cutShortOver(head, epoch | ((quint64(1) << (8 * low)) - 1)))
            return true;
    return false;
}

} // namespace

namespace {

// Reads the journal a piece at a time, never past its budget.
class Reader {
public:
    Reader(qint64 size, const JournalBytes& bytes, qint64 budget)
        : size_(size), bytes_(bytes), budget_(budget) {}
    qint64 size() const { return size_; }
    // Size bytes at offset; false when that would go past the budget, or
    // when fewer came (the file changed under the reader).
    bool read(qint64 offset, qint64 size, QByteArray& out) {
        if (size > budget_)
            return false;
        budget_ -= size;
        out = bytes_(offset, size);
        return out.size() == size;
    }
    // Whether every byte from offset on is zero (a torn write, or nothing).
    bool zerosFrom(qint64 offset, bool& within) {
        constexpr qint64 kPiece = 1 << 16;
        for (qint64 at = offset; at < size_; at += kPiece) {
            QByteArray piece;
            if (!read(at, qMin(kPiece, size_ - at), piece)) {
                within = false;
                return false;
            }
            if (!allZero(piece.constData(), piece.size()))
                return false;
        }
        return true;
    }

private:
    qint64 size_;
    const JournalBytes& bytes_;
    qint64 budget_;
};

// The entries from offset at on, as the magic and checksum of the journal's
// version say: a torn last entry (a crash while it was written) is left out;
// anything else that fails a check marks the journal damaged.
void readEntries(Reader& in, qint64 at, Journal& j) {
    const bool headed = j.headed;
    while (in.size() - at >= kHead + (headed ? kTail : 0)) {
        const qint64 left = in.size() - at;
        QByteArray head;
        if (!in.read(at, kHead, head)) {
            j.damaged = true;
            return;
        }
        if (std::memcmp(head.constData(), headed ? kMagic : kMagicOneLane, 4) != 0) {
            if (!headed) {
                bool within = true; // zeros: a torn write
                j.damaged = !in.zerosFrom(at, within) || !within;
            }
            return;
        }
        quint64 len = 0;
        std::memcpy(&len, head.constData() + 4, sizeof len);
        if (!headed && len > kMaxJournal) {
            j.damaged = true;
            return;
        }
        if ((headed && len < 8) || left < kHead + kTail || quint64(left - kHead - kTail) < len)
            return;      // torn: its end was never written
        QByteArray rest; // body and tail
        if (!in.read(at + kHead, qint64(len) + kTail, rest)) {
            j.damaged = true; // more than the program ever writes
            return;
        }
        const qint64 end = at + kHead + qint64(len) + kTail;
        quint64 sum = 0;
        std::memcpy(&sum, rest.constData() + len, sizeof sum);
        const bool endMark = std::memcmp(rest.constData() + len + 8, kEnd, 4) == 0;
        if (headed) {
            quint64 entryEpoch = 0;
            std::memcpy(&entryEpoch, rest.constData(), sizeof entryEpoch);
            // What an earlier epoch left behind, or a torn entry: the end.
            if (sum != checksum(rest.constData(), qsizetype(len)) || !endMark ||
                entryEpoch != j.epoch)
                return;
        } else if (sum != oneLaneChecksum(rest.constData(), qsizetype(len)) || !endMark) {
            // Only the last entry can have been cut short by a crash.
            j.damaged = end != in.size();
            return;
        }
        Entry e;
        rest.truncate(qsizetype(len));
        if (!decodeBody(rest, headed ? 8 : 0, e)) {
            j.damaged = true;
            return;
        }
        j.entries.push_back(std::move(e));
        j.end = end;
        at = end;
    }
}

} // namespace

Journal readJournal(qint64 size, const JournalBytes& bytes, qint64 budget) {
    Reader in(size, bytes, budget);
    Journal j;
    if (size <= 0)
        return j;
    QByteArray first;
    if (!in.read(0, qMin<qint64>(size, 24), first)) {
        j.damaged = true;
        return j;
    }
    // A head is written only where nothing before it counts any more: as the
    // first bytes of an empty journal, with the entry that opens it, or over
    // the last head once every file its entries wrote is synced. Cut short
    // there, it stands for nothing.
    if (size < 24 && headBytes(0).startsWith(first.left(8)))
        return {};
    if (size < 24 || std::memcmp(first.constData(), kHeadMagic, 4) != 0) {
        readEntries(in, 0, j);
        return j;
    }
    std::memcpy(&j.epoch, first.constData() + 8, 8);
    // Only the first sector of the head means anything; the rest is room.
    if (first != headBytes(j.epoch).left(24)) {
        j.damaged = !cutShortHead(first);
        return j;
    }
    j.headed = true;
    j.end = kJournalHead;
    readEntries(in, kJournalHead, j);
    return j;
}

Journal decodeJournal(const QByteArray& in) {
    return readJournal(
        in.size(), [&](qint64 offset, qint64 size) { return in.mid(offset, size); }, in.size());
}

QString wholeFile(const QString& path, quint64 id) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return path.left(slash + 1) + QLatin1Char('.') + path.mid(slash + 1) + QLatin1Char('.') +
           QString::number(id, 16) + QStringLiteral(".ny");
}

bool isWholeFileName(const QString& name) {
    return name.startsWith(QLatin1Char('.')) && name.endsWith(QStringLiteral(".ny"));
}

} // namespace fyn::safewrite
