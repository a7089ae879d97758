#include "ledger/Engine.h"

#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "ledger/SideBySide.h"
#include "platform/SysError.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <optional>

namespace fyn::ledger {

namespace {

constexpr int kAmountWidth = 11;
const QByteArray kBlankDate(10, ' ');

// Where the numbers of a posting lie in its record.
struct Layout {
    int length;
    int amounts;    // 1 (simple) or 2 (budget: budget, actual)
    int amount[2];  // offsets of the amount fields
    int balance[2]; // offsets of the balance fields
    int diff;       // SaldoDiff, -1 for a simple account
    int kryss;
    int bstatus; // -1 for a simple account
    int subRef;
    int reserv;
};

constexpr Layout kEnkel{43, 1, {14, -1}, {25, -1}, -1, 36, -1, 37, 41};
constexpr Layout kBudget{77, 2, {14, 25}, {36, 47}, 58, 69, 70, 71, 75};

const Layout& layoutOf(const PostingFile& f) {
    return f.kind() == Kind::Budget ? kBudget : kEnkel;
}

Amount fieldAmount(const char* rec, int offset) {
    return Amount::parseField(rec + offset, kAmountWidth);
}

// Writes text into a field, padded with blanks; false when it does not fit.
bool putChars(char* rec, int offset, int width, const char* text, int size) {
    if (size > width)
        return false;
    std::memcpy(rec + offset, text, size_t(size));
    std::memset(rec + offset + size, ' ', size_t(width - size));
    return true;
}

bool putText(char* rec, int offset, int width, const QByteArray& text) {
    return putChars(rec, offset, width, text.constData(), int(text.size()));
}

bool putText(QByteArray& rec, int offset, int width, const QByteArray& text) {
    return putText(rec.data(), offset, width, text);
}

// The numbers of a posting as the engine computes with them.
struct Numbers {
    Amount amount[2];
    Amount balance[2];
    Amount diff;
};

// The numbers of record r of f, read from rec (its bytes, or an edit's copy of
// them). A field that is no number fails naming the record.
Numbers numbersOf(const PostingFile& f, long r, const char* rec) {
    return inRecord(f.path(), r, [&] {
        const Layout& l = layoutOf(f);
        Numbers n;
        for (int k = 0; k < l.amounts; ++k) {
            n.amount[k] = fieldAmount(rec, l.amount[k]);
            n.balance[k] = fieldAmount(rec, l.balance[k]);
        }
        if (l.diff >= 0)
            n.diff = fieldAmount(rec, l.diff);
        return n;
    });
}

Numbers numbersOf(const PostingFile& f, long r) {
    return numbersOf(f, r, f.raw(r).constData());
}

// Only the balances: what the shifting loops need (they leave amounts alone).
Numbers balancesOf(const PostingFile& f, long r, const char* rec) {
    return inRecord(f.path(), r, [&] {
        const Layout& l = layoutOf(f);
        Numbers n;
        for (int k = 0; k < l.amounts; ++k)
            n.balance[k] = fieldAmount(rec, l.balance[k]);
        if (l.diff >= 0)
            n.diff = fieldAmount(rec, l.diff);
        return n;
    });
}

// Only the amounts: what a first look over many postings needs.
Numbers amountsOf(const PostingFile& f, long r, const char* rec) {
    return inRecord(f.path(), r, [&] {
        const Layout& l = layoutOf(f);
        Numbers n;
        for (int k = 0; k < l.amounts; ++k)
            n.amount[k] = fieldAmount(rec, l.amount[k]);
        return n;
    });
}

// Builds the records of an edit, checking every value it writes before any
// of them reaches the file.
class Checked {
public:
    explicit Checked(const Layout& l) : l_(l) {}
    Refusal refusal = Refusal::None;

    // A balance (limit-tested) into its field.
    void balance(char* rec, int k, Amount v) {
        limit(v);
        number(rec, l_.balance[k], v);
    }
    void diff(char* rec, Amount v) {
        if (l_.diff >= 0)
            number(rec, l_.diff, v);
    }
    // An amount in the shortest form.
    void amount(char* rec, int k, Amount v) {
        limit(v);
        number(rec, l_.amount[k], v);
    }
    // An amount that is stored as typed is limit-tested on its own.
    void limit(Amount v) {
        if (v.overLimit())
            refuse(Refusal::OverLimit);
    }
    // An amount text as the entry holds it.
    void amountText(char* rec, int k, const QString& text) {
        if (!putText(rec, l_.amount[k], kAmountWidth, toCp1252(trimBlanks(text))))
            refuse(Refusal::FieldTooLong);
    }

private:
    void number(char* rec, int offset, Amount v) {
        static_assert(kAmountWidth == 11, "the amount fields are 11 wide");
        if (!v.storeInField(rec + offset))
            refuse(Refusal::FieldTooLong);
    }
    const Layout& l_;

public:
    // A refusal met elsewhere (a piece of the same edit) counts as met here.
    void refuse(Refusal r) {
        if (refusal == Refusal::None)
            refusal = r;
    }
};

// The amounts of an entry: a simple account's one, a budget account's two.
struct EntryAmounts {
    Amount value[2];
};

EntryAmounts entryAmounts(const Layout& l, const QString& budgText, const QString& verklText) {
    EntryAmounts e;
    if (l.amounts == 1) {
        e.value[0] = Amount::parse(verklText);
    } else {
        e.value[0] = Amount::parse(budgText);
        e.value[1] = Amount::parse(verklText);
    }
    return e;
}

QByteArray refText(long n) {
    return QByteArray::number(n < 0 ? -n : n);
}

bool confirmedOn(const QString& date, const QString& today) {
    return date <= today;
}

// Commits an edit with the template's share of it.
void commitEdit(PostingFile::Edit& edit, BudgetTemplate* t) {
    try {
        edit.commit();
    } catch (...) {
        if (t)
            t->discard();
        throw;
    }
    if (t)
        t->applied();
}

// The buffer an edit builds its records in: kept from edit to edit, so that a
// large edit does not pay for fresh memory each time. The batch shares it only
// until the edit is over.
QByteArray& editBuffer(qint64 size) {
    static QByteArray buffer;
    if (!buffer.isDetached())
        buffer = QByteArray();
    buffer.resize(size);
    return buffer;
}

// Records first..last of f into dst, blanks past what the file holds.
void copyRecords(const PostingFile& f, long first, long last, char* dst) {
    const int len = recordLength(f.kind());
    const qint64 size = qint64(last - first + 1) * len;
    if (size <= 0)
        return;
    const qint64 at = qint64(first - 1) * len;
    const qint64 there = qBound<qint64>(0, f.bytes().size() - at, size);
    std::memcpy(dst, f.bytes().constData() + at, size_t(there));
    std::memset(dst + there, ' ', size_t(size - there));
}

// Record i of f into dst (blanks past what the file holds).
inline void copyRecord(const PostingFile& f, long i, char* dst) {
    if (const char* src = f.record(i))
        std::memcpy(dst, src, size_t(recordLength(f.kind())));
    else
        copyRecords(f, i, i, dst);
}

// Copies count records of f, from record from on, to dst one after another,
// each balance moved by by[k] and the difference by byDiff, every value
// checked; shared among the cores when there are many. The first refusal in
// file order, as one pass would have met it.
Refusal shiftBalances(const PostingFile& f, long from, long count, char* dst, const Amount* by,
                      Amount byDiff) {
    const Layout& l = layoutOf(f);
    const int pieces = piecesFor(count);
    std::vector<Refusal> refusals(size_t(pieces), Refusal::None);
    inPieces(count, pieces, [&](int piece, long first, long end) {
        Checked check(l);
        // Copied in one go, then patched: a copy per record costs more.
        if (end > first)
            copyRecords(f, from + first, from + end - 1, dst + qint64(first) * l.length);
        for (long i = first; i < end; ++i) {
            char* rec = dst + qint64(i) * l.length;
            const Numbers num = balancesOf(f, from + i, rec);
            for (int k = 0; k < l.amounts; ++k)
                check.balance(rec, k, num.balance[k] + by[k]);
            check.diff(rec, num.diff + byDiff);
        }
        refusals[size_t(piece)] = check.refusal;
    });
    for (Refusal r : refusals)
        if (r != Refusal::None)
            return r;
    return Refusal::None;
}

// A slice of the edit buffer, handed to the batch without a copy.
QByteArray slice(const QByteArray& buffer, qint64 from, qint64 size) {
    return QByteArray::fromRawData(buffer.constData() + from, qsizetype(size));
}

// Learns from many confirmed postings as learning them one by one in file
// order would leave the template: each transaction and month once, from its
// last posting, the new ones added in the order they first came. The records
// lie in one buffer, so their addresses order them as the file does.
class Learner {
public:
    // rec: a budget record that stays as it is until learnt.
    void add(const char* rec) {
        // Keyed by the bytes as they stand, two loads and no trimming: a year
        // holds few such keys, and those that trim alike are joined at the end.
        quint32 ref;
        quint16 month;
        std::memcpy(&ref, rec + 10, 4);
        std::memcpy(&month, rec + 5, 2);
        const quint64 raw = ref | quint64(month) << 32 | quint64(1) << 63; // never 0
        const Slot& at = slots_[home(raw)];
        if (at.raw == raw) // the usual case, kept small enough to be inlined
            seen_[at.at].last = rec;
        else
            probe(raw, rec);
    }

    bool empty() const { return seen_.empty(); }
    // What another learner saw after everything this one saw (in the same
    // buffer, further on).
    void merge(const Learner& later) {
        seen_.insert(seen_.end(), later.seen_.begin(), later.seen_.end());
    }
    void learnInto(BudgetTemplate& t, WriteBatch& batch) const {
        // Keys that trim alike are one row of the template: the first time
        // any of them came and the last posting of them all.
        std::map<quint64, Seen> byKey;
        for (const Seen& s : seen_) {
            const auto [it, fresh] = byKey.try_emplace(keyOf(s.first), s);
            if (!fresh) {
                it->second.first = std::min(it->second.first, s.first, std::less<>());
                it->second.last = std::max(it->second.last, s.last, std::less<>());
            }
        }
        std::vector<Seen> order;
        order.reserve(byKey.size());
        for (const auto& [key, s] : byKey)
            order.push_back(s);
        std::sort(order.begin(), order.end(),
                  [](const Seen& a, const Seen& b) { return std::less<>()(a.first, b.first); });
        std::vector<const char*> last;
        last.reserve(order.size());
        for (const Seen& s : order)
            last.push_back(s.last);
        t.learn(batch, last);
    }

private:
    struct Seen {
        const char* first;
        const char* last;
    };
    struct Slot {
        quint64 raw = 0;
        size_t at = 0;
    };
    // The trimmed TransRef, its length and the month, packed: the template
    // tells its rows apart so.
    static quint64 keyOf(const char* rec) {
        int b = 10, e = 14;
        while (b < e && rec[b] == ' ')
            ++b;
        while (e > b && rec[e - 1] == ' ')
            --e;
        unsigned char k[8] = {};
        std::memcpy(k, rec + b, size_t(e - b));
        k[4] = static_cast<unsigned char>(e - b);
        k[5] = static_cast<unsigned char>(rec[5]);
        k[6] = static_cast<unsigned char>(rec[6]);
        quint64 key;
        std::memcpy(&key, k, 8);
        return key;
    }
    void probe(quint64 raw, const char* rec) {
        const size_t mask = slots_.size() - 1;
        size_t i = home(raw);
        while (slots_[i].raw != raw) {
            if (slots_[i].raw == 0) {
                slots_[i] = {raw, seen_.size()};
                seen_.push_back({rec, rec});
                if (seen_.size() * 8 > slots_.size())
                    grow();
                return;
            }
            i = (i + 1) & mask;
        }
        seen_[slots_[i].at].last = rec;
    }
    // The top bits of the product: every byte of the key plays a part in them.
    size_t home(quint64 raw) const { return size_t((raw * 0x9E3779B97F4A7C15ull) >> shift_); }
    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        --shift_;
        const size_t mask = slots_.size() - 1;
        for (const Slot& s : old)
            if (s.raw != 0) {
                size_t i = home(s.raw);
                while (slots_[i].raw != 0)
                    i = (i + 1) & mask;
                slots_[i] = s;
            }
    }
    // An open table, kept sparse: few probes, and small enough to stay close.
    std::vector<Slot> slots_ = std::vector<Slot>(256);
    int shift_ = 64 - 8; // 2^(64 - shift_) slots
    std::vector<Seen> seen_;
};

} // namespace

// ---- The budget template ---------------------------------------------------------

void BudgetTemplate::open(const QString& path) {
    RecordFile f = openRecordFile<BudgMallPost>(path);
    std::vector<BudgMallPost> records;
    const long count = f.count();
    records.reserve(size_t(count));
    for (long n = 1; n <= count; ++n)
        records.push_back(f.get<BudgMallPost>(n));
    file_ = std::move(f);
    records_ = std::move(records);
    pending_ = records_;
    indexRows();
    dirty_ = false;
}

void BudgetTemplate::close() {
    file_.close();
    records_.clear();
    pending_.clear();
    rows_.clear();
    dirty_ = false;
}

long templateAmount(const QString& verklBelopp) {
    const QString a = trimBlanks(verklBelopp);
    constexpr std::int64_t ten = 10 * Amount::kScale;
    auto floorDiv = [](std::int64_t x, std::int64_t y) {
        return x >= 0 ? x / y : -((-x + y - 1) / y);
    };
    if (a.startsWith(QLatin1Char('-'))) {
        const Amount x = Amount::parse(trimBlanks(a.mid(1)));
        if (divRoundHalfEven(x.abs().raw(), Amount::kScale) < 1 || x.isNegative())
            return 0;
        // Up to the next ten strictly above; the largest that fits its field.
        return long(qMin<std::int64_t>(floorDiv(x.raw() + ten, ten) * 10, 99999990));
    }
    const Amount x = Amount::parse(a);
    if (x.isNegative() || divRoundHalfEven(x.raw(), Amount::kScale) < 1)
        return 0;
    return long(floorDiv(x.raw() - ten, ten) * 10);
}

namespace {
// s without the blanks at either end, in place.
QStringView blanksTrimmed(QStringView s) {
    while (!s.isEmpty() && s.front() == QLatin1Char(' '))
        s = s.mid(1);
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s;
}

// A template row's key: its month (two characters) and trimmed TransRef.
QString rowKey(QStringView month, QStringView ref) {
    QString key = month.toString();
    key += blanksTrimmed(ref);
    return key;
}
} // namespace

void BudgetTemplate::indexRows() {
    rows_.clear();
    for (size_t i = pending_.size(); i-- > 0;) // the first of alike rows stays
        rows_.insert(rowKey(pending_[i].Manad, pending_[i].TransRef), i);
}

void BudgetTemplate::learn(WriteBatch& batch, const std::vector<const char*>& postings) {
    size_t from = pending_.size(); // the first record this changes
    for (const char* rec : postings) {
        const QString ref = trimBlanks(fromCp1252(rec + 10, 4));
        const QString month = fromCp1252(rec + 5, 2);
        const QString day = fromCp1252(rec + 8, 2);
        const QString amount =
            QString::number(templateAmount(fromCp1252(rec + kBudget.amount[1], kAmountWidth)));
        const QString key = rowKey(month, ref);
        const auto at = rows_.constFind(key);
        const bool fresh = at == rows_.constEnd();
        const size_t i = fresh ? pending_.size() : *at;
        if (fresh) {
            rows_.insert(key, i);
            pending_.push_back(BudgMallPost{ref, amount, month, day, QStringLiteral("  ")});
        } else {
            pending_[i].Dag = day;
            pending_[i].Belopp = amount;
        }
        from = qMin(from, i);
        dirty_ = true;
    }
    // One write from the first record changed on (those between are
    // written as they are).
    if (from == pending_.size())
        return;
    QByteArray out(qsizetype(pending_.size() - from) * BudgMallPost::Length, Qt::Uninitialized);
    for (size_t i = from; i < pending_.size(); ++i)
        encodeRecordInto(pending_[i], out.data() + qsizetype(i - from) * BudgMallPost::Length);
    file_.putRange(batch, long(from + 1), out);
}

void BudgetTemplate::applied() {
    records_ = pending_;
    dirty_ = false;
}

void BudgetTemplate::discard() {
    pending_ = records_;
    indexRows();
    dirty_ = false;
}

namespace {

bool yearDigits(const char* d) {
    return std::all_of(d, d + 4, [](char c) { return c >= '0' && c <= '9'; });
}

// The postings of lastYear: from after the last one of an earlier year, found
// walking back from n (blank dates passed over), to the last of lastYear, or
// to n when there is none.
std::pair<long, long> yearByWalking(const PostingFile& f, long n, int lastYear) {
    long start = 1;
    long end = 0;
    for (long i = n; i >= 1; --i) {
        const char* d = f.dateAt(i);
        if (std::memcmp(d, "          ", 10) == 0)
            continue;
        const int year = yearDigits(d) ? (d[0] - '0') * 1000 + (d[1] - '0') * 100 +
                                             (d[2] - '0') * 10 + (d[3] - '0')
                                       : QByteArray::fromRawData(d, 4).toInt();
        if (year == lastYear && end == 0)
            end = i;
        if (year < lastYear) {
            start = i + 1;
            break;
        }
    }
    return {start, end == 0 ? n : end};
}

// The same range by halving, when the postings are in date order and the
// walk's answer is sure to be the same: the posting before the year and
// every one after it carry a year of four digits. Otherwise none.
std::optional<std::pair<long, long>> yearByHalving(const PostingFile& f, long n, int lastYear) {
    if (n < 1 || !f.inDateOrder(n) || lastYear < 1000 || lastYear > 9999)
        return std::nullopt;
    const QByteArray year = QByteArray::number(lastYear);
    // The last posting in 1..n for which before(date) holds, before holding
    // for a first stretch of them.
    auto lastOf = [&](auto before) {
        long lo = 0, hi = n;
        while (lo < hi) {
            const long mid = lo + (hi - lo + 1) / 2;
            if (before(f.dateAt(mid)))
                lo = mid;
            else
                hi = mid - 1;
        }
        return lo;
    };
    const long b = lastOf([&](const char* d) { return std::memcmp(d, year.constData(), 4) < 0; });
    const long e = lastOf([&](const char* d) { return std::memcmp(d, year.constData(), 4) <= 0; });
    if (b >= 1 && !yearDigits(f.dateAt(b)))
        return std::nullopt;
    // b+1..e carry this very year; after e, all carry one prefix or each is looked at.
    if (e < n && std::memcmp(f.dateAt(e + 1), f.dateAt(n), 4) != 0) {
        for (long i = e + 1; i <= n; ++i)
            if (!yearDigits(f.dateAt(i)))
                return std::nullopt;
    } else if (e < n && !yearDigits(f.dateAt(n))) {
        return std::nullopt;
    }
    return std::pair{b + 1, e > b ? e : n};
}

} // namespace

void buildTemplate(const PostingFile& f, long n, const QString& today, BudgetTemplate& t) {
    const int lastYear = toInt(today.left(4)) - 1;
    const auto halved = yearByHalving(f, n, lastYear);
    const auto [start, end] = halved ? *halved : yearByWalking(f, n, lastYear);
    WriteBatch batch;
    QByteArray held;
    const char* recs = f.records(start, end, held);
    // One pass: it goes at the pace the memory delivers the records, which
    // more threads (started for it) did not better. They are asked for a
    // page or so ahead: the processor's own reading ahead stops at each page,
    // and a year of a large account is seldom in its caches.
    Learner learner;
    constexpr long kAhead = 64;
    const long count = end - start + 1;
    for (long i = 0; i < count; ++i) {
        const char* rec = recs + qint64(i) * kBudget.length;
        if (i + kAhead < count)
            __builtin_prefetch(rec + kAhead * kBudget.length);
        if (rec[kBudget.bstatus] != ' ')
            learner.add(rec);
    }
    try {
        learner.learnInto(t, batch);
        batch.commit();
    } catch (...) {
        t.discard();
        throw;
    }
    t.applied();
}

// ---- Inserting ---------------------------------------------------------------------

long insertPoint(const PostingFile& f, long n, const QString& date) {
    return f.lastOnOrBefore(date, n) + 1;
}

namespace {

// A new posting's record after prev (the numbers of the posting before it),
// every value checked; true when it is a confirmed budget posting.
bool newRecord(const Layout& l, const NewPosting& p, const EntryAmounts& e, const Numbers& prev,
               Checked& check, char* rec) {
    std::memset(rec, ' ', size_t(l.length));
    putText(rec, 0, 10, toCp1252(p.datum));
    putText(rec, 10, 4, refText(p.transRef));
    if (l.amounts == 1) {
        check.amount(rec, 0, e.value[0]);
    } else {
        check.amountText(rec, 0, p.budgText);
        check.amountText(rec, 1, p.verklText);
    }
    for (int k = 0; k < l.amounts; ++k) {
        check.limit(e.value[k]);
        check.balance(rec, k, prev.balance[k] + e.value[k]);
    }
    check.diff(rec, prev.diff + (l.amounts == 2 ? e.value[1] - e.value[0] : Amount()));
    rec[l.kryss] = ' ';
    const bool confirmed = l.bstatus >= 0 && confirmedOn(p.datum, p.today);
    if (l.bstatus >= 0)
        rec[l.bstatus] = confirmed ? '*' : ' ';
    putText(rec, l.subRef, 4, p.subRef > 0 ? QByteArray::number(p.subRef) : QByteArray());
    putText(rec, l.reserv, 2, QByteArray());
    return confirmed;
}

} // namespace

EditResult insertPosting(PostingFile& f, long n, const NewPosting& p, BudgetTemplate* t) {
    return insertPostings(f, n, {p}, t);
}

EditResult insertPostings(PostingFile& f, long n, const std::vector<NewPosting>& ps,
                          BudgetTemplate* t) {
    const Layout& l = layoutOf(f);
    if (ps.empty())
        return {Refusal::None, 0, n};
    for (size_t j = 1; j < ps.size(); ++j)
        if (ps[j].datum < ps[j - 1].datum)
            raiseError(platform::kBadRecordNumber); // the plan comes in date order
    std::vector<EntryAmounts> amounts;
    std::vector<long> at; // where each goes among the postings there are now
    for (const NewPosting& p : ps) {
        amounts.push_back(entryAmounts(l, p.budgText, p.verklText));
        at.push_back(insertPoint(f, n, p.datum));
    }

    // The records from the first new one on, as they will be: each new posting
    // after the postings of its day (and the new ones before it), the later
    // postings moved up past the new ones with their balances raised by them.
    const long k = long(ps.size());
    QByteArray& out = editBuffer(qint64(n - at[0] + 1 + k) * l.length);
    char* next = out.data();
    // The later balances are tested before the new postings' own values, as a
    // single insert tests them.
    Checked check(l);
    Checked own(l);
    Numbers prev;
    if (at[0] >= 2)
        prev = numbersOf(f, at[0] - 1);
    Amount raise[2];
    Amount raiseDiff;
    Learner confirmed;
    for (long j = 0; j <= k; ++j) {
        // The postings there are now up to the next new one (or the end).
        const long from = j == 0 ? at[0] : at[size_t(j - 1)];
        const long until = j < k ? at[size_t(j)] : n + 1;
        if (until > from) {
            check.refuse(shiftBalances(f, from, until - from, next, raise, raiseDiff));
            next += qint64(until - from) * l.length;
            prev = balancesOf(f, until - 1, next - l.length);
        }
        if (j == k)
            break;
        const EntryAmounts& e = amounts[size_t(j)];
        if (newRecord(l, ps[size_t(j)], e, prev, own, next))
            confirmed.add(next);
        next += l.length;
        const Amount diff = l.amounts == 2 ? e.value[1] - e.value[0] : Amount();
        for (int m = 0; m < l.amounts; ++m) {
            prev.balance[m] += e.value[m];
            raise[m] += e.value[m];
        }
        prev.diff += diff;
        raiseDiff += diff;
    }
    check.refuse(own.refusal);
    if (check.refusal != Refusal::None)
        return {check.refusal, 0, n};

    PostingFile::Edit edit(f);
    edit.putRange(at[0], out);
    BudgetTemplate* learnt = !confirmed.empty() && t ? t : nullptr;
    if (learnt)
        confirmed.learnInto(*learnt, edit.batch());
    commitEdit(edit, learnt);
    return {Refusal::None, at[0], n + k};
}

Amount balanceEntryAmount(const PostingFile& f, long n, const QString& date, Amount newBalance,
                          long& insertAt) {
    insertAt = insertPoint(f, n, date);
    const Amount prev =
        insertAt >= 2 ? balancesOf(f, insertAt - 1, f.raw(insertAt - 1).constData()).balance[0]
                      : Amount();
    return newBalance - prev;
}

// ---- Removing, changing, moving -------------------------------------------------------

EditResult removePosting(PostingFile& f, long n, long r) {
    const Layout& l = layoutOf(f);
    if (n < 2 || r < 1 || r > n)
        raiseError(platform::kBadRecordNumber);
    const Numbers removed = numbersOf(f, r);
    const Amount diffRemoved = l.amounts == 2 ? removed.amount[1] - removed.amount[0] : Amount();

    // Records r..n: the later ones one record down with lowered balances, then
    // record n freed (its bytes kept, its date blank).
    QByteArray& out = editBuffer(qint64(n - r + 1) * l.length);
    Checked check(l);
    const Amount lower[2] = {-removed.amount[0], -removed.amount[1]};
    check.refuse(shiftBalances(f, r + 1, n - r, out.data(), lower, -diffRemoved));
    copyRecords(f, n, n, out.data() + (n - r) * l.length);
    std::memcpy(out.data() + (n - r) * l.length, kBlankDate.constData(), 10);
    if (check.refusal != Refusal::None)
        return {check.refusal, 0, n};

    PostingFile::Edit edit(f);
    edit.putRange(r, out);
    edit.commit();
    return {Refusal::None, r == n ? n - 1 : r, n - 1};
}

EditResult changePosting(PostingFile& f, long n, long r, const QString& budgText,
                         const QString& verklText, const QString& workDate, const QString& today,
                         BudgetTemplate* t) {
    const Layout& l = layoutOf(f);
    if (r < 1 || r > n)
        raiseError(platform::kBadRecordNumber);
    const EntryAmounts e = entryAmounts(l, budgText, verklText);
    const Numbers old = numbersOf(f, r);
    Amount delta[2];
    for (int k = 0; k < l.amounts; ++k)
        delta[k] = e.value[k] - old.amount[k];
    const Amount diffDelta = l.amounts == 2 ? delta[1] - delta[0] : Amount();

    QByteArray& out = editBuffer(qint64(n - r + 1) * l.length);
    Checked check(l);
    char* changed = out.data();
    copyRecord(f, r, changed);
    if (l.amounts == 1) {
        check.amountText(changed, 0, verklText);
    } else {
        check.amountText(changed, 0, budgText);
        check.amountText(changed, 1, verklText);
    }
    for (int k = 0; k < l.amounts; ++k)
        check.limit(e.value[k]);
    const bool confirmed = l.bstatus >= 0 && confirmedOn(workDate, today);
    if (l.bstatus >= 0)
        changed[l.bstatus] = confirmed ? '*' : ' ';
    // The changed posting first (its new amounts above stay), then the later ones.
    char texts[kBudget.length];
    std::memcpy(texts, changed, size_t(l.length));
    check.refuse(shiftBalances(f, r, n - r + 1, out.data(), delta, diffDelta));
    for (int k = 0; k < l.amounts; ++k)
        std::memcpy(changed + l.amount[k], texts + l.amount[k], kAmountWidth);
    if (l.bstatus >= 0)
        changed[l.bstatus] = texts[l.bstatus];
    if (check.refusal != Refusal::None)
        return {check.refusal, 0, n};

    PostingFile::Edit edit(f);
    edit.putRange(r, out);
    BudgetTemplate* learnt = confirmed && t ? t : nullptr;
    if (learnt)
        learnt->learn(edit.batch(), {out.constData()});
    commitEdit(edit, learnt);
    return {Refusal::None, r, n};
}

EditResult movePostings(PostingFile& f, long n, long first, long last, const QString& date,
                        const QString& today, BudgetTemplate* t) {
    const Layout& l = layoutOf(f);
    if (n < 2) {
        // The only posting just takes the new date.
        QByteArray rec = f.raw(1);
        putText(rec, 0, 10, toCp1252(date));
        PostingFile::Edit edit(f);
        edit.put(1, rec);
        edit.commit();
        return {Refusal::None, 1, n};
    }
    if (first < 1 || last > n || first > last)
        raiseError(platform::kBadRecordNumber);
    const long count = last - first + 1;

    // The postings that stay, in order (s = 0, 1, ...), and where the moved ones
    // go among them: after every staying posting dated on or before the new date.
    const long staying = n - count;
    auto stay = [&](long s) { return s < first - 1 ? s + 1 : s + 1 + count; };
    const QByteArray key = toCp1252(date).leftJustified(10, ' ', true);
    long at = staying;
    while (at > 0 && std::memcmp(f.dateAt(stay(at - 1)), key.constData(), 10) > 0)
        --at;

    // The balances move as a removal of each moved posting and a re-insert
    // would move them: a staying posting loses the moved amounts that stood
    // before it and gains them back when it comes after the new place.
    Amount moved[2];
    Amount movedDiff;
    std::vector<Numbers> rows;
    rows.reserve(size_t(count));
    for (long i = first; i <= last; ++i) {
        rows.push_back(numbersOf(f, i));
        for (int k = 0; k < l.amounts; ++k)
            moved[k] += rows.back().amount[k];
        if (l.amounts == 2)
            movedDiff += rows.back().amount[1] - rows.back().amount[0];
    }

    // The new order from the first record that changes: going forward, the
    // postings that stood between the moved ones and the place come first,
    // having lost the moved amounts, then the moved ones; going back, the moved
    // ones come first, then the postings they passed, having gained them. The
    // postings beyond keep their balances.
    const bool forward = at >= first;
    const long lo = forward ? first : at + 1;
    const long passedFrom = forward ? last + 1 : at + 1;
    const long passed = forward ? (at > first - 1 ? stay(at - 1) - last : 0) : first - 1 - at;
    const long hi = lo + passed + count - 1;
    Checked check(l);
    QByteArray& out = editBuffer(qint64(hi - lo + 1) * l.length);
    char* movedAt = out.data() + (forward ? qint64(passed) * l.length : 0);
    char* passedAt = out.data() + (forward ? 0 : qint64(count) * l.length);
    const Amount lower[2] = {-moved[0], -moved[1]};
    check.refuse(forward ? shiftBalances(f, passedFrom, passed, passedAt, lower, -movedDiff)
                         : shiftBalances(f, passedFrom, passed, passedAt, moved, movedDiff));

    // The moved postings after the one now before them.
    Numbers prev;
    const long before = forward ? lo + passed - 1 : lo - 1;
    if (before >= lo)
        prev = balancesOf(f, before, passedAt + qint64(passed - 1) * l.length);
    else if (before >= 1)
        prev = numbersOf(f, before);
    Learner confirmed;
    for (long i = first; i <= last; ++i) {
        char* rec = movedAt + qint64(i - first) * l.length;
        copyRecord(f, i, rec);
        const Numbers& row = rows[size_t(i - first)];
        putText(rec, 0, 10, toCp1252(date));
        putText(rec, 10, 4, toCp1252(trimBlanks(fromCp1252(rec + 10, 4))));
        for (int k = 0; k < l.amounts; ++k) {
            check.amount(rec, k, row.amount[k]);
            prev.balance[k] += row.amount[k];
            check.balance(rec, k, prev.balance[k]);
        }
        prev.diff += l.amounts == 2 ? row.amount[1] - row.amount[0] : Amount();
        check.diff(rec, prev.diff);
        if (l.bstatus >= 0) {
            rec[l.bstatus] = confirmedOn(date, today) ? '*' : ' ';
            if (rec[l.bstatus] == '*')
                confirmed.add(rec);
        }
        putText(rec, l.subRef, 4, toCp1252(trimBlanks(fromCp1252(rec + l.subRef, 4))));
        putText(rec, l.reserv, 2, QByteArray());
    }
    if (check.refusal != Refusal::None)
        return {check.refusal, 0, n};

    // Only what changed is written.
    PostingFile::Edit edit(f);
    QByteArray held;
    const char* was = f.records(lo, hi, held);
    long runStart = -1;
    for (long i = 0; i <= hi - lo + 1; ++i) {
        const bool differs =
            i <= hi - lo && std::memcmp(out.constData() + qint64(i) * l.length,
                                        was + qint64(i) * l.length, size_t(l.length)) != 0;
        if (differs && runStart < 0)
            runStart = i;
        if (!differs && runStart >= 0) {
            edit.putRange(lo + runStart,
                          slice(out, qint64(runStart) * l.length, qint64(i - runStart) * l.length));
            runStart = -1;
        }
    }
    BudgetTemplate* learnt = !confirmed.empty() && t ? t : nullptr;
    if (learnt)
        confirmed.learnInto(*learnt, edit.batch());
    commitEdit(edit, learnt);
    return {Refusal::None, at + 1, n};
}

void toggleTick(PostingFile& f, long r) {
    const Layout& l = layoutOf(f);
    QByteArray rec = f.raw(r);
    if (rec[l.kryss] == 'x')
        rec[l.kryss] = ' ';
    else if (rec[l.kryss] == ' ')
        rec[l.kryss] = 'x';
    else
        return;
    PostingFile::Edit edit(f);
    edit.put(r, rec);
    edit.commit();
}

void confirmPosting(PostingFile& f, long r, BudgetTemplate* t) {
    const Layout& l = layoutOf(f);
    if (l.bstatus < 0)
        return;
    QByteArray rec = f.raw(r);
    rec[l.bstatus] = '*';
    PostingFile::Edit edit(f);
    edit.put(r, rec);
    if (t)
        inRecord(f.path(), r, [&] { t->learn(edit.batch(), {rec.constData()}); });
    commitEdit(edit, t);
}

void setSubRef(PostingFile& f, long r, long subRef) {
    const Layout& l = layoutOf(f);
    QByteArray rec = f.raw(r);
    putText(rec, l.subRef, 4, subRef > 0 ? QByteArray::number(subRef) : QByteArray());
    PostingFile::Edit edit(f);
    edit.put(r, rec);
    edit.commit();
}

// ---- Changes of a transaction's postings -------------------------------------------------

namespace {

// A number field of 4 bytes, read in place: blanks around it, an optional
// sign, digits. False when it is none.
bool smallNumber(const char* field, long& out) {
    int b = 0, e = 4;
    auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (b < e && space(field[b]))
        ++b;
    while (e > b && space(field[e - 1]))
        --e;
    bool negative = false;
    if (b < e && (field[b] == '-' || field[b] == '+'))
        negative = field[b++] == '-';
    if (b == e)
        return false;
    long v = 0;
    for (; b < e; ++b) {
        if (field[b] < '0' || field[b] > '9')
            return false;
        v = v * 10 + (field[b] - '0');
    }
    out = negative ? -v : v;
    return true;
}

long refOf(const char* rec) {
    long ref = 0;
    return smallNumber(rec + 10, ref) ? (ref < 0 ? -ref : ref) : -1;
}

} // namespace

namespace {
// Commits other writes alone, when an edit found nothing to change.
void commitAlone(const AlsoWrite& alsoWrite) {
    if (!alsoWrite)
        return;
    WriteBatch batch;
    alsoWrite(batch);
    batch.commit();
}
} // namespace

TransactionEditResult changeTransaction(PostingFile& f, long n, const TransactionEdit& e,
                                        BudgetTemplate* t, const AlsoWrite& alsoWrite) {
    const Layout& l = layoutOf(f);
    TransactionEditResult result;
    result.antalPoster = n;
    long first = 0;
    QByteArray held;
    const char* all = f.records(1, n, held);
    for (long i = e.onlyRecord > 0 ? e.onlyRecord : 1; i <= n; ++i) {
        if (e.onlyRecord > 0 ? i == e.onlyRecord
                             : refOf(all + qint64(i - 1) * l.length) == e.oldRef) {
            first = i;
            break;
        }
        if (e.onlyRecord > 0)
            break;
    }
    if (first == 0) {
        commitAlone(alsoWrite);
        return result;
    }

    const long last = (e.onlyRecord > 0 && !e.resign) ? first : n;
    const long count = last - first + 1;
    QByteArray& out = editBuffer(qint64(count) * l.length);
    const bool negative = e.newSign == QLatin1String("-");
    const QByteArray today = toCp1252(e.today).leftJustified(10, ' ', true);
    const QByteArray newRef = refText(e.newRef);
    auto ours = [&](long i, const char* rec) {
        return e.onlyRecord > 0 ? i == e.onlyRecord : refOf(rec) == e.oldRef;
    };
    // What a posting of the transaction adds to the balances from it on.
    auto deltaOf = [&](const Numbers& num, Amount* delta) {
        for (int k = 0; k < l.amounts; ++k) {
            const Amount now = negative ? -num.amount[k].abs() : num.amount[k].abs();
            delta[k] = e.resign ? now - num.amount[k] : Amount();
        }
    };

    // First what each piece adds, so that every piece knows what the ones
    // before it carry into it; then the pieces are built side by side.
    struct Piece {
        Amount carries[2]; // what the piece's own postings add
        Amount from[2];    // what the pieces before it carried
        long changed = 0;
        Refusal refusal = Refusal::None;
        Learner confirmed;
    };
    const int pieces = piecesFor(count);
    std::vector<Piece> part(static_cast<size_t>(pieces));
    inPiecesButLast(count, pieces, [&](int p, long begin, long end) {
        try {
            for (long i = first + begin; i < first + end; ++i) {
                const char* rec = all + qint64(i - 1) * l.length;
                if (!ours(i, rec))
                    continue;
                Amount delta[2];
                deltaOf(amountsOf(f, i, rec), delta);
                for (int k = 0; k < l.amounts; ++k)
                    part[size_t(p)].carries[k] += delta[k];
            }
        } catch (const RuntimeError&) {
            // The building below meets it, or an earlier fault, in file order.
        }
    });
    for (size_t p = 1; p < part.size(); ++p)
        for (int k = 0; k < 2; ++k)
            part[p].from[k] = part[p - 1].from[k] + part[p - 1].carries[k];
    inPieces(count, pieces, [&](int p, long begin, long end) {
        Piece& piece = part[size_t(p)];
        Checked check(l);
        Amount carry[2] = {piece.from[0], piece.from[1]};
        if (end > begin)
            copyRecords(f, first + begin, first + end - 1, out.data() + qint64(begin) * l.length);
        for (long i = first + begin; i < first + end; ++i) {
            char* rec = out.data() + qint64(i - first) * l.length;
            const bool mine = ours(i, rec);
            // Another posting's amounts play no part: only its balances are
            // read, as when postings are shifted.
            Numbers num = mine ? numbersOf(f, i, rec) : balancesOf(f, i, rec);
            if (mine) {
                ++piece.changed;
                putText(rec, 10, 4, newRef);
                Amount delta[2];
                deltaOf(num, delta);
                if (e.resign) {
                    for (int k = 0; k < l.amounts; ++k)
                        check.amount(rec, k, num.amount[k] + delta[k]);
                    if (l.bstatus >= 0 && e.confirmByDate)
                        rec[l.bstatus] = std::memcmp(rec, today.constData(), 10) <= 0 ? '*' : ' ';
                }
                for (int k = 0; k < l.amounts; ++k)
                    carry[k] += delta[k];
            }
            if (carry[0] != Amount() || carry[1] != Amount()) {
                for (int k = 0; k < l.amounts; ++k)
                    check.balance(rec, k, num.balance[k] + carry[k]);
                if (l.amounts == 2)
                    check.diff(rec, num.diff + (carry[1] - carry[0]));
            }
            if (mine && e.resign && e.confirmByDate && l.bstatus >= 0 && rec[l.bstatus] == '*')
                piece.confirmed.add(rec);
        }
        piece.refusal = check.refusal;
    });
    Checked check(l);
    Learner learnt;
    for (const Piece& piece : part) {
        check.refuse(piece.refusal);
        result.changed += piece.changed;
        learnt.merge(piece.confirmed);
    }
    if (check.refusal != Refusal::None) {
        result.refusal = check.refusal;
        result.changed = 0;
        return result;
    }
    PostingFile::Edit edit(f);
    edit.putRange(first, out);
    if (alsoWrite)
        alsoWrite(edit.batch());
    BudgetTemplate* learner = !learnt.empty() && t ? t : nullptr;
    if (learner)
        learnt.learnInto(*learner, edit.batch());
    commitEdit(edit, learner);
    result.postNr = first;
    return result;
}

RemovalResult removeTransactionPostings(PostingFile& f, long n, long ref,
                                        const AlsoWrite& alsoWrite) {
    const Layout& l = layoutOf(f);
    RemovalResult result;
    result.antalPoster = n;
    QByteArray held;
    const char* all = f.records(1, n, held);
    long first = 0;
    for (long i = 1; i <= n && first == 0; ++i)
        if (refOf(all + qint64(i - 1) * l.length) == ref)
            first = i;
    if (first == 0) {
        commitAlone(alsoWrite);
        return result;
    }

    // Records first..n: the staying postings close up with their balances
    // lowered by what was removed before them; the freed tail keeps its bytes
    // with a blank date.
    const char* before = all + qint64(first - 1) * l.length;
    const long count = n - first + 1;
    QByteArray& out = editBuffer(qint64(count) * l.length);

    // First what each piece removes, so that every piece knows where its
    // staying postings go and how much was removed before it; then the pieces
    // are built side by side.
    struct Piece {
        std::vector<std::array<Amount, 2>> gone; // the removed amounts, in order
        Amount from[2];                          // removed by the pieces before
        long outAt = 0;                          // where its first staying one goes
        Refusal refusal = Refusal::None;
    };
    const int pieces = piecesFor(count);
    std::vector<Piece> part(static_cast<size_t>(pieces));
    inPieces(count, pieces, [&](int p, long begin, long end) {
        for (long i = begin; i < end; ++i) {
            const char* src = before + qint64(i) * l.length;
            if (refOf(src) != ref)
                continue;
            Numbers num;
            try {
                num = amountsOf(f, first + i, src);
            } catch (const RuntimeError&) {
                // The building below meets it, or an earlier fault, in file order.
            }
            part[size_t(p)].gone.push_back({num.amount[0], num.amount[1]});
        }
    });
    long removedBefore = 0;
    for (int p = 0; p < pieces; ++p) {
        Piece& piece = part[size_t(p)];
        piece.outAt = count * p / pieces - removedBefore;
        if (p > 0)
            for (int k = 0; k < 2; ++k) {
                piece.from[k] = part[size_t(p - 1)].from[k];
                for (const auto& g : part[size_t(p - 1)].gone)
                    piece.from[k] += g[size_t(k)];
            }
        removedBefore += long(piece.gone.size());
    }
    inPieces(count, pieces, [&](int p, long begin, long end) {
        Piece& piece = part[size_t(p)];
        Checked check(l);
        Amount removed[2] = {piece.from[0], piece.from[1]};
        char* next = out.data() + qint64(piece.outAt) * l.length;
        for (long i = begin; i < end; ++i) {
            const char* src = before + qint64(i) * l.length;
            if (refOf(src) == ref) {
                const Numbers num = numbersOf(f, first + i, src);
                for (int k = 0; k < l.amounts; ++k)
                    removed[k] += num.amount[k];
                continue;
            }
            std::memcpy(next, src, size_t(l.length));
            const Numbers num = numbersOf(f, first + i, next);
            for (int k = 0; k < l.amounts; ++k)
                check.balance(next, k, num.balance[k] - removed[k]);
            if (l.amounts == 2)
                check.diff(next, num.diff - (removed[1] - removed[0]));
            next += l.length;
        }
        piece.refusal = check.refusal;
    });
    Checked check(l);
    Amount removed[2];
    std::vector<std::array<Amount, 2>> removedBeforeEach; // at each removal, in file order
    for (const Piece& piece : part) {
        check.refuse(piece.refusal);
        for (const auto& g : piece.gone) {
            removedBeforeEach.push_back({removed[0], removed[1]});
            for (int k = 0; k < 2; ++k)
                removed[k] += g[size_t(k)];
        }
    }
    result.removed = long(removedBeforeEach.size());
    char* next = out.data() + qint64(count - result.removed) * l.length;
    // The freed records, as removing the postings one at a time leaves them:
    // each removal frees the then last record, a copy of the last posting
    // with its balances lowered by what was removed before, date blanked.
    // Their balances mean nothing; one that does not fit is cut.
    const char* lastPosting = before + qint64(n - first) * l.length;
    const Numbers last = numbersOf(f, n, lastPosting);
    for (long j = result.removed; j >= 1; --j) {
        const std::array<Amount, 2>& gone = removedBeforeEach[size_t(j - 1)];
        std::memcpy(next, lastPosting, size_t(l.length));
        std::memcpy(next, kBlankDate.constData(), 10);
        auto put = [&](int offset, Amount v) {
            char buf[32];
            const int size = qMin(v.storageChars(buf), kAmountWidth);
            putChars(next, offset, kAmountWidth, buf, size);
        };
        for (int k = 0; k < l.amounts; ++k)
            put(l.balance[k], last.balance[k] - gone[size_t(k)]);
        if (l.diff >= 0)
            put(l.diff, last.diff - (gone[1] - gone[0]));
        next += l.length;
    }
    if (check.refusal != Refusal::None) {
        result.refusal = check.refusal;
        result.removed = 0;
        return result;
    }
    PostingFile::Edit edit(f);
    edit.putRange(first, out);
    if (alsoWrite)
        alsoWrite(edit.batch());
    edit.commit();
    result.postNr = first;
    result.antalPoster = n - result.removed;
    if (l.amounts == 1) {
        result.verklSum = removed[0];
    } else {
        result.budgSum = removed[0];
        result.verklSum = removed[1];
    }
    return result;
}

long clearSubtransaction(PostingFile& f, long n, long subRef, const AlsoWrite& alsoWrite) {
    const Layout& l = layoutOf(f);
    QByteArray held;
    const char* all = f.records(1, n, held);
    auto carries = [&](long i) {
        long s = 0;
        return smallNumber(all + qint64(i - 1) * l.length + l.subRef, s) && s == subRef;
    };
    long firstChanged = 0, lastChanged = 0, changed = 0;
    for (long i = 1; i <= n; ++i)
        if (carries(i)) {
            firstChanged = firstChanged ? firstChanged : i;
            lastChanged = i;
            ++changed;
        }
    PostingFile::Edit edit(f);
    if (changed > 0) {
        QByteArray& out = editBuffer(qint64(lastChanged - firstChanged + 1) * l.length);
        copyRecords(f, firstChanged, lastChanged, out.data());
        // Runs of changed postings, one write each; unchanged postings between
        // two runs go along when that is cheaper than another write.
        const long gap = qMax(1, 4096 / l.length);
        long runStart = firstChanged, runEnd = firstChanged;
        auto flush = [&] {
            const qint64 from = qint64(runStart - firstChanged) * l.length;
            edit.putRange(runStart, slice(out, from, qint64(runEnd - runStart + 1) * l.length));
        };
        for (long i = firstChanged; i <= lastChanged; ++i) {
            if (!carries(i))
                continue;
            putText(out.data() + qint64(i - firstChanged) * l.length, l.subRef, 4, QByteArray());
            if (i - runEnd > gap) {
                flush();
                runStart = i;
            }
            runEnd = i;
        }
        flush();
    }
    if (alsoWrite)
        alsoWrite(edit.batch());
    edit.commit();
    return changed;
}

// ---- Balance check and recount ---------------------------------------------------------

namespace {

// Two balances are equal when they show the same with two decimals.
bool sameShown(Amount a, Amount b) {
    return a.isNegative() == b.isNegative() && a.shownCents() == b.shownCents();
}

} // namespace

std::optional<Mismatch> checkBalances(const PostingFile& f, long from, long n) {
    const Layout& l = layoutOf(f);
    if (from < 1)
        from = 1;
    if (from > n)
        return std::nullopt;
    // Each posting is held against the one stored before it, so pieces of the
    // file are checked side by side; what comes first in the file is the answer.
    struct Found {
        std::optional<Mismatch> mismatch;
        std::exception_ptr error;
    };
    const long count = n - from + 1;
    const int pieces = piecesFor(count);
    std::vector<Found> found(static_cast<size_t>(pieces));
    inPieces(count, pieces, [&](int p, long begin, long end) {
        Numbers prev;
        const long start = from + begin;
        try {
            if (start >= 2)
                prev = numbersOf(f, start - 1);
        } catch (...) {
            if (p == 0)
                throw;
            return; // the piece before meets it first
        }
        try {
            for (long i = start; i < from + end; ++i) {
                const char* inMemory = f.record(i);
                const Numbers num = inMemory ? numbersOf(f, i, inMemory) : numbersOf(f, i);
                auto mismatch = [&](Mismatch::Which which, Amount stored, Amount expected) {
                    found[size_t(p)].mismatch = Mismatch{i, which, stored, expected};
                };
                if (l.amounts == 1) {
                    const Amount expected = prev.balance[0] + num.amount[0];
                    if (!sameShown(num.balance[0], expected))
                        return mismatch(Mismatch::Which::Saldo, num.balance[0], expected);
                } else {
                    const Amount budg = prev.balance[0] + num.amount[0];
                    if (!sameShown(num.balance[0], budg))
                        return mismatch(Mismatch::Which::BudgSaldo, num.balance[0], budg);
                    const Amount verkl = prev.balance[1] + num.amount[1];
                    if (!sameShown(num.balance[1], verkl))
                        return mismatch(Mismatch::Which::VerklSaldo, num.balance[1], verkl);
                    const Amount diff = num.balance[1] - num.balance[0];
                    if (!sameShown(num.diff, diff))
                        return mismatch(Mismatch::Which::SaldoDiff, num.diff, diff);
                }
                prev = num;
            }
        } catch (...) {
            found[size_t(p)].error = std::current_exception();
        }
    });
    for (const Found& x : found) {
        if (x.error)
            std::rethrow_exception(x.error);
        if (x.mismatch)
            return x.mismatch;
    }
    return std::nullopt;
}

EditResult recount(PostingFile& f, long from, long n) {
    const Layout& l = layoutOf(f);
    if (from < 1)
        from = 1;
    if (from > n)
        return {Refusal::None, from, n};
    Numbers start;
    if (from >= 2)
        start = numbersOf(f, from - 1);
    QByteArray held;
    const char* before = f.records(from, n, held);
    const long count = n - from + 1;
    QByteArray& out = editBuffer(qint64(count) * l.length);

    // Every balance is the one before plus the amount: first each piece's sum
    // of amounts, so that every piece knows the balance it starts from; then
    // the pieces are built side by side.
    struct Piece {
        Amount sum[2];
        Amount from[2];
        long lo = -1, hi = -1; // the first and last record that changed
        Refusal refusal = Refusal::None;
    };
    const int pieces = piecesFor(count);
    std::vector<Piece> part(static_cast<size_t>(pieces));
    inPiecesButLast(count, pieces, [&](int p, long begin, long end) {
        try {
            for (long i = begin; i < end; ++i) {
                const Numbers num = amountsOf(f, from + i, before + qint64(i) * l.length);
                for (int k = 0; k < l.amounts; ++k)
                    part[size_t(p)].sum[k] += num.amount[k];
            }
        } catch (const RuntimeError&) {
            // The building below meets it, or an earlier fault, in file order.
        }
    });
    for (int k = 0; k < 2; ++k)
        part[0].from[k] = start.balance[k];
    for (size_t p = 1; p < part.size(); ++p)
        for (int k = 0; k < 2; ++k)
            part[p].from[k] = part[p - 1].from[k] + part[p - 1].sum[k];
    inPieces(count, pieces, [&](int p, long begin, long end) {
        Piece& piece = part[size_t(p)];
        Checked check(l);
        Amount prev[2] = {piece.from[0], piece.from[1]};
        std::memcpy(out.data() + qint64(begin) * l.length, before + qint64(begin) * l.length,
                    size_t(qint64(end - begin) * l.length));
        for (long i = begin; i < end; ++i) {
            char* rec = out.data() + qint64(i) * l.length;
            const char* was = before + qint64(i) * l.length;
            const Numbers num = numbersOf(f, from + i, rec);
            for (int k = 0; k < l.amounts; ++k) {
                prev[k] += num.amount[k];
                check.balance(rec, k, prev[k]);
            }
            if (l.amounts == 2)
                check.diff(rec, prev[1] - prev[0]);
            if (std::memcmp(rec, was, size_t(l.length)) != 0) {
                piece.lo = piece.lo < 0 ? i : piece.lo;
                piece.hi = i;
            }
        }
        piece.refusal = check.refusal;
    });
    Checked check(l);
    long lo = -1, hi = -1;
    for (const Piece& piece : part) {
        check.refuse(piece.refusal);
        if (piece.lo >= 0) {
            lo = lo < 0 ? piece.lo : lo;
            hi = piece.hi;
        }
    }
    if (check.refusal != Refusal::None)
        return {check.refusal, 0, n};
    // Only the records from the first to the last that changed are written.
    if (hi < 0)
        return {Refusal::None, from, n};
    PostingFile::Edit edit(f);
    edit.putRange(from + lo, slice(out, qint64(lo) * l.length, qint64(hi - lo + 1) * l.length));
    edit.commit();
    return {Refusal::None, from, n};
}

} // namespace fyn::ledger
