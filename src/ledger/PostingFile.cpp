#include "ledger/PostingFile.h"

#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "ledger/SideBySide.h"
#include "platform/SysError.h"

#include <QFileInfo>
#include <QtEndian>
#include <cstring>
#include <sys/mman.h>

namespace fyn::ledger {

namespace {
constexpr quintptr kHugePage = 2 * 1024 * 1024;

// Whether date a (10 bytes) comes after date b, as their bytes order them;
// compared as two numbers rather than by a call per pair.
inline bool datesDescend(const char* a, const char* b) {
    quint64 a8, b8;
    quint16 a2, b2;
    std::memcpy(&a8, a, 8);
    std::memcpy(&b8, b, 8);
    std::memcpy(&a2, a + 8, 2);
    std::memcpy(&b2, b + 8, 2);
    a8 = qFromBigEndian(a8);
    b8 = qFromBigEndian(b8);
    return a8 != b8 ? a8 > b8 : qFromBigEndian(a2) > qFromBigEndian(b2);
}
} // namespace

void PostingFile::open(const QString& path, Kind kind) {
    close();
    RecordFile f(path, recordLength(kind));
    const qint64 size = f.sizeInBytes();
    // Judged by its length before a byte is read: a file past the longest
    // posting file is refused at once, not read whole into memory first.
    if (size > kMaxBytes)
        throw RuntimeError(
            platform::kOverflow,
            QFileInfo(path).fileName() +
                QStringLiteral(", %1 byte: längre än en postfil kan vara").arg(size));
    // One buffer with room to grow, so that adding postings does not copy the
    // whole file; the read fills it, nothing is written into it first.
    QByteArray data;
    data.reserve(size + size / 8 + 64 * recordLength(kind));
    data.resize(size);
    // Large pages where the system offers them: a large account is read
    // without a fault for every 4 kB of it.
    const quintptr start = (quintptr(data.data()) + kHugePage - 1) & ~quintptr(kHugePage - 1);
    const quintptr end = quintptr(data.data() + data.capacity()) & ~quintptr(kHugePage - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    data.resize(f.readInto(data.data(), 0, size));
    path_ = path;
    open_ = true;
    kind_ = kind;
    data_ = std::move(data);
    count_ = long(divRoundHalfEven(data_.size(), recordLength(kind)));
    sortedTo_ = 0;
    learnOrder(1, count_);
}

void PostingFile::learnOrder(long first, long last) {
    // A change beyond the known order (and the first record out of it) leaves
    // it as it is.
    if (first > sortedTo_ + 1)
        return;
    auto inOrder = [&](long i) { return !datesDescend(dateAt(i - 1), dateAt(i)); };
    const long known = sortedTo_;
    const long until = qMin(last + 1, count_);
    long i = qMax(first, 2L);
    if (until - i > 65536) {
        // A long stretch (the whole file when it opens): pieces of it are
        // looked over side by side, the first record out of order wins.
        const long count = until - i + 1;
        const int pieces = piecesFor(count);
        std::vector<long> outOfOrder(static_cast<size_t>(pieces), 0);
        inPieces(count, pieces, [&](int p, long begin, long stop) {
            for (long k = i + begin; k < i + stop; ++k)
                if (!inOrder(k)) {
                    outOfOrder[size_t(p)] = k;
                    return;
                }
        });
        for (long k : outOfOrder)
            if (k > 0) {
                sortedTo_ = k - 1;
                return;
            }
        i = until + 1;
    }
    for (; i <= until; ++i)
        if (!inOrder(i)) {
            sortedTo_ = i - 1;
            return;
        }
    if (known >= until) {
        sortedTo_ = qMin(known, count_);
        return;
    }
    // Where the known order ended lay in the change: it may go on now.
    while (i <= count_ && inOrder(i))
        ++i;
    sortedTo_ = qMin(i - 1, count_);
}

void PostingFile::close() {
    open_ = false;
    data_.clear();
    count_ = 0;
}

QByteArray PostingFile::raw(long n) const {
    if (n < 1)
        raiseError(platform::kBadRecordNumber);
    const int len = recordLength(kind_);
    const qint64 at = qint64(n - 1) * len;
    QByteArray r = at < data_.size() ? data_.mid(at, len) : QByteArray();
    if (r.size() < len)
        r.append(QByteArray(len - r.size(), ' '));
    return r;
}

const char* PostingFile::record(long n) const {
    const qint64 at = qint64(n - 1) * recordLength(kind_);
    if (n < 1 || at + recordLength(kind_) > data_.size())
        return nullptr;
    return data_.constData() + at;
}

QByteArray PostingFile::rawRange(long first, long last) const {
    if (first < 1)
        raiseError(platform::kBadRecordNumber);
    const int len = recordLength(kind_);
    const qint64 at = qint64(first - 1) * len;
    const qint64 size = qMax<qint64>(0, qint64(last - first + 1) * len);
    QByteArray r = at < data_.size() ? data_.mid(at, size) : QByteArray();
    if (r.size() < size)
        r.append(QByteArray(size - r.size(), ' '));
    return r;
}

const char* PostingFile::records(long first, long last, QByteArray& held) const {
    const int len = recordLength(kind_);
    if (first >= 1 && qint64(last) * len <= data_.size())
        return data_.constData() + qint64(first - 1) * len;
    held = rawRange(first, last);
    return held.constData();
}

QString PostingFile::datum(long n) const {
    const qint64 at = qint64(n - 1) * recordLength(kind_);
    if (n < 1 || at >= data_.size())
        return QString(10, QLatin1Char(' '));
    return fromCp1252(raw(n).left(10));
}

long PostingFile::lastDated() const {
    for (long n = count_; n >= 1; --n)
        if (std::memcmp(dateAt(n), "          ", 10) != 0)
            return n;
    return 0;
}

long PostingFile::lastOnOrBefore(const QString& date, long from) const {
    // Compared as bytes in place: a date is plain ASCII, and so orders as its
    // text does against whatever a record holds.
    const QByteArray key = toCp1252(date).leftJustified(10, ' ', true);
    auto onOrBefore = [&](long n) { return std::memcmp(dateAt(n), key.constData(), 10) <= 0; };
    if (from <= sortedTo_) {
        // In date order: the same answer by halving.
        long lo = 0, hi = from; // onOrBefore holds up to lo, not after hi
        while (lo < hi) {
            const long mid = lo + (hi - lo + 1) / 2;
            if (onOrBefore(mid))
                lo = mid;
            else
                hi = mid - 1;
        }
        return lo;
    }
    for (long n = from; n >= 1; --n)
        if (onOrBefore(n))
            return n;
    return 0;
}

void PostingFile::Edit::put(long n, const QByteArray& record) {
    putRange(n, record.leftJustified(recordLength(file_.kind_), ' ', true));
}

void PostingFile::Edit::putRange(long first, const QByteArray& records) {
    if (first < 1)
        raiseError(platform::kBadRecordNumber);
    batch_.write(file_.path(), qint64(first - 1) * recordLength(file_.kind_), records);
    records_.emplace_back(first, records);
}

void PostingFile::Edit::commit() {
    batch_.knownContent(file_.path(), file_.data_.constData(), file_.data_.size());
    batch_.commit();
    const int len = recordLength(file_.kind_);
    for (const auto& [n, recs] : records_) {
        const qint64 at = qint64(n - 1) * len;
        if (file_.data_.size() < at + recs.size()) {
            const qint64 was = file_.data_.size();
            file_.data_.resize(at + recs.size());
            std::memset(file_.data_.data() + was, ' ', size_t(at - qMin(at, was)));
        }
        // A large edit is copied in by the cores side by side, a piece to
        // every megabyte or so: below that a thread costs more to start than
        // it saves.
        char* to = file_.data_.data() + at;
        const qint64 size = recs.size();
        const long blocks = long((size + 65535) / 65536);
        inPieces(blocks, piecesFor(blocks * 256), [&](int, long first, long end) {
            const qint64 from = qint64(first) * 65536;
            std::memcpy(to + from, recs.constData() + from,
                        size_t(qMin<qint64>(size, qint64(end) * 65536) - from));
        });
    }
    file_.count_ = long(divRoundHalfEven(file_.data_.size(), len));
    for (const auto& [n, recs] : records_)
        file_.learnOrder(n, n + long(recs.size() / len) - 1);
    records_.clear();
}

} // namespace fyn::ledger
