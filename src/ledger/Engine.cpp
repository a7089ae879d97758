#include "ledger/Engine.h"

#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "platform/SysError.h"

#include <cstring>

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
        char buf[32];
        if (!putChars(rec, offset, kAmountWidth, buf, v.storageChars(buf)))
            refuse(Refusal::FieldTooLong);
    }
    void refuse(Refusal r) {
        if (refusal == Refusal::None)
            refusal = r;
    }
    const Layout& l_;
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

BudgetKontoPost budgetPost(const QByteArray& rec) {
    return decodeRecord<BudgetKontoPost>(rec);
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
    dirty_ = false;
}

void BudgetTemplate::close() {
    file_.close();
    records_.clear();
    pending_.clear();
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

void BudgetTemplate::learn(WriteBatch& batch, const BudgetKontoPost& p) {
    const QString ref = trimBlanks(p.TransRef);
    const QString month = p.Datum.mid(5, 2);
    const QString day = p.Datum.right(2);
    const QString amount = QString::number(templateAmount(p.VerklBelopp));
    for (size_t i = 0; i < pending_.size(); ++i) {
        BudgMallPost& r = pending_[i];
        if (trimBlanks(r.TransRef) == ref && r.Manad == month) {
            r.Dag = day;
            r.Belopp = amount;
            file_.put(batch, long(i + 1), r);
            dirty_ = true;
            return;
        }
    }
    pending_.push_back(BudgMallPost{ref, amount, month, day, QStringLiteral("  ")});
    file_.put(batch, long(pending_.size()), pending_.back());
    dirty_ = true;
}

void BudgetTemplate::applied() {
    records_ = pending_;
    dirty_ = false;
}

void BudgetTemplate::discard() {
    pending_ = records_;
    dirty_ = false;
}

void buildTemplate(const PostingFile& f, long n, const QString& today, BudgetTemplate& t) {
    const int lastYear = toInt(today.left(4)) - 1;
    long start = 1;
    long end = 0;
    for (long i = n; i >= 1; --i) {
        const QString d = f.datum(i);
        if (d == QLatin1String("          "))
            continue;
        const int year = d.left(4).toInt();
        if (year == lastYear && end == 0)
            end = i;
        if (year < lastYear) {
            start = i + 1;
            break;
        }
    }
    if (end == 0)
        end = n;
    WriteBatch batch;
    for (long i = start; i <= end; ++i) {
        const BudgetKontoPost p = f.budget(i);
        if (!trimBlanks(p.BStatus).isEmpty())
            inRecord(f.path(), i, [&] { t.learn(batch, p); });
    }
    try {
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

EditResult insertPosting(PostingFile& f, long n, const NewPosting& p, BudgetTemplate* t) {
    const Layout& l = layoutOf(f);
    const EntryAmounts e = entryAmounts(l, p.budgText, p.verklText);
    const long at = insertPoint(f, n, p.datum);

    // The records at..n+1 as they will be: the new posting, then the later ones
    // one record up with their balances raised.
    QByteArray out = f.rawRange(at, n + 1);
    const long later = n - at + 1;
    std::memmove(out.data() + l.length, out.constData(), size_t(later * l.length));
    Checked check(l);
    const Amount diffRaise = l.amounts == 2 ? e.value[1] - e.value[0] : Amount();
    for (long i = 1; i <= later; ++i) {
        char* rec = out.data() + i * l.length;
        const Numbers num = balancesOf(f, at + i - 1, rec);
        for (int k = 0; k < l.amounts; ++k)
            check.balance(rec, k, num.balance[k] + e.value[k]);
        check.diff(rec, num.diff + diffRaise);
    }

    Numbers prev;
    if (at >= 2)
        prev = numbersOf(f, at - 1);
    QByteArray rec(l.length, ' ');
    putText(rec, 0, 10, toCp1252(p.datum));
    putText(rec, 10, 4, refText(p.transRef));
    if (l.amounts == 1) {
        check.amount(rec.data(), 0, e.value[0]);
    } else {
        check.amountText(rec.data(), 0, p.budgText);
        check.amountText(rec.data(), 1, p.verklText);
    }
    for (int k = 0; k < l.amounts; ++k) {
        check.limit(e.value[k]);
        check.balance(rec.data(), k, prev.balance[k] + e.value[k]);
    }
    check.diff(rec.data(), prev.diff + diffRaise);
    rec[l.kryss] = ' ';
    const bool confirmed = l.bstatus >= 0 && confirmedOn(p.datum, p.today);
    if (l.bstatus >= 0)
        rec[l.bstatus] = confirmed ? '*' : ' ';
    putText(rec, l.subRef, 4, p.subRef > 0 ? QByteArray::number(p.subRef) : QByteArray());
    putText(rec, l.reserv, 2, QByteArray());
    if (check.refusal != Refusal::None)
        return {check.refusal, 0, n};
    std::memcpy(out.data(), rec.constData(), l.length);

    PostingFile::Edit edit(f);
    edit.putRange(at, out);
    BudgetTemplate* learnt = confirmed && t ? t : nullptr;
    if (learnt)
        learnt->learn(edit.batch(), budgetPost(rec));
    commitEdit(edit, learnt);
    return {Refusal::None, at, n + 1};
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
    QByteArray out = f.rawRange(r, n);
    std::memmove(out.data(), out.constData() + l.length, size_t((n - r) * l.length));
    Checked check(l);
    for (long i = 0; i < n - r; ++i) {
        char* rec = out.data() + i * l.length;
        const Numbers num = balancesOf(f, r + 1 + i, rec);
        for (int k = 0; k < l.amounts; ++k)
            check.balance(rec, k, num.balance[k] - removed.amount[k]);
        check.diff(rec, num.diff - diffRemoved);
    }
    std::memcpy(out.data() + (n - r) * l.length, f.raw(n).constData(), size_t(l.length));
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

    QByteArray out = f.rawRange(r, n);
    Checked check(l);
    char* changed = out.data();
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
    for (long i = 0; i <= n - r; ++i) {
        char* rec = out.data() + i * l.length;
        const Numbers num = balancesOf(f, r + i, rec);
        for (int k = 0; k < l.amounts; ++k)
            check.balance(rec, k, num.balance[k] + delta[k]);
        check.diff(rec, num.diff + diffDelta);
    }
    if (check.refusal != Refusal::None)
        return {check.refusal, 0, n};

    PostingFile::Edit edit(f);
    edit.putRange(r, out);
    BudgetTemplate* learnt = confirmed && t ? t : nullptr;
    if (learnt)
        learnt->learn(edit.batch(), budgetPost(out.left(l.length)));
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

    // The postings that stay, in order, and where the moved ones go among them:
    // after every staying posting dated on or before the new date.
    std::vector<long> stay;
    stay.reserve(size_t(n - count));
    for (long i = 1; i <= n; ++i)
        if (i < first || i > last)
            stay.push_back(i);
    size_t at = stay.size();
    while (at > 0 && f.datum(stay[at - 1]) > date)
        --at;

    // The balances move as a removal of each moved posting and a re-insert
    // would move them: a staying posting loses the moved amounts that stood
    // before it and gains them back when it comes after the new place.
    Amount moved[2];
    Amount movedDiff;
    std::vector<Numbers> rows;
    for (long i = first; i <= last; ++i) {
        rows.push_back(numbersOf(f, i));
        for (int k = 0; k < l.amounts; ++k)
            moved[k] += rows.back().amount[k];
        if (l.amounts == 2)
            movedDiff += rows.back().amount[1] - rows.back().amount[0];
    }

    // The new order of records 1..n: staying postings before the place, the
    // moved ones, the rest. Only records from the first that changes are built.
    const long lo = qMin<long>(first, long(at) + 1);
    Checked check(l);
    QByteArray out;
    out.reserve((n - lo + 1) * l.length);
    Numbers prev;
    if (lo >= 2)
        prev = numbersOf(f, lo - 1); // record lo-1 stays where it is
    // Appends a staying posting to out with its balances moved.
    auto stayingRecord = [&](long old, bool afterPlace) {
        const char* src = f.record(old);
        if (src)
            out.append(src, l.length);
        else
            out.append(f.raw(old));
        char* rec = out.data() + out.size() - l.length;
        const Numbers num = balancesOf(f, old, rec);
        const bool beforeMoved = old > last; // the moved ones stood before it
        for (int k = 0; k < l.amounts; ++k) {
            Amount b = num.balance[k];
            if (beforeMoved)
                b -= moved[k];
            if (afterPlace)
                b += moved[k];
            check.balance(rec, k, b);
        }
        Amount d = num.diff;
        if (beforeMoved)
            d -= movedDiff;
        if (afterPlace)
            d += movedDiff;
        check.diff(rec, d);
        prev = balancesOf(f, old, rec);
    };
    std::vector<BudgetKontoPost> confirmed;
    for (size_t s = 0; s < at; ++s)
        if (stay[s] >= lo)
            stayingRecord(stay[s], false);
    for (long i = first; i <= last; ++i) {
        QByteArray rec = f.raw(i);
        const Numbers& row = rows[size_t(i - first)];
        putText(rec, 0, 10, toCp1252(date));
        putText(rec, 10, 4, toCp1252(trimBlanks(fromCp1252(rec.mid(10, 4)))));
        for (int k = 0; k < l.amounts; ++k) {
            check.amount(rec.data(), k, row.amount[k]);
            check.balance(rec.data(), k, prev.balance[k] + row.amount[k]);
        }
        check.diff(rec.data(),
                   prev.diff + (l.amounts == 2 ? row.amount[1] - row.amount[0] : Amount()));
        if (l.bstatus >= 0) {
            rec[l.bstatus] = confirmedOn(date, today) ? '*' : ' ';
            if (rec[l.bstatus] == '*')
                confirmed.push_back(budgetPost(rec));
        }
        putText(rec, l.subRef, 4, toCp1252(trimBlanks(fromCp1252(rec.mid(l.subRef, 4)))));
        putText(rec, l.reserv, 2, QByteArray());
        prev = numbersOf(f, i, rec.constData());
        out += rec;
    }
    for (size_t s = at; s < stay.size(); ++s)
        if (stay[s] >= lo)
            stayingRecord(stay[s], true);
    if (check.refusal != Refusal::None)
        return {check.refusal, 0, n};

    // Only what changed is written.
    PostingFile::Edit edit(f);
    const QByteArray before = f.rawRange(lo, n);
    long runStart = -1;
    for (long i = 0; i <= n - lo + 1; ++i) {
        const bool differs =
            i <= n - lo && std::memcmp(out.constData() + i * l.length,
                                       before.constData() + i * l.length, l.length) != 0;
        if (differs && runStart < 0)
            runStart = i;
        if (!differs && runStart >= 0) {
            edit.putRange(lo + runStart, out.mid(runStart * l.length, (i - runStart) * l.length));
            runStart = -1;
        }
    }
    BudgetTemplate* learnt = !confirmed.empty() && t ? t : nullptr;
    if (learnt)
        for (const BudgetKontoPost& p : confirmed)
            learnt->learn(edit.batch(), p);
    commitEdit(edit, learnt);
    return {Refusal::None, long(at) + 1, n};
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
        inRecord(f.path(), r, [&] { t->learn(edit.batch(), budgetPost(rec)); });
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

long refOf(const char* rec) {
    bool ok = false;
    const long ref = QByteArray(rec + 10, 4).trimmed().toLong(&ok);
    return ok ? (ref < 0 ? -ref : ref) : -1;
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
    for (long i = e.onlyRecord > 0 ? e.onlyRecord : 1; i <= n; ++i) {
        if (e.onlyRecord > 0 ? i == e.onlyRecord : refOf(f.raw(i).constData()) == e.oldRef) {
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

    QByteArray out = f.rawRange(first, n);
    Checked check(l);
    Amount carry[2]; // what earlier changed postings added to the balances
    std::vector<BudgetKontoPost> learnt;
    const bool negative = e.newSign == QLatin1String("-");
    for (long i = first; i <= n; ++i) {
        char* rec = out.data() + (i - first) * l.length;
        const bool ours = e.onlyRecord > 0 ? i == e.onlyRecord : refOf(rec) == e.oldRef;
        const Numbers num = numbersOf(f, i, rec);
        Amount delta[2];
        if (ours) {
            ++result.changed;
            putText(rec, 10, 4, refText(e.newRef));
            if (e.resign) {
                for (int k = 0; k < l.amounts; ++k) {
                    const Amount now = negative ? -num.amount[k].abs() : num.amount[k].abs();
                    delta[k] = now - num.amount[k];
                    check.amount(rec, k, now);
                }
                if (l.bstatus >= 0 && e.confirmByDate) {
                    const bool confirmed = confirmedOn(fromCp1252(rec, 10), e.today);
                    rec[l.bstatus] = confirmed ? '*' : ' ';
                }
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
        if (ours && e.resign && e.confirmByDate && l.bstatus >= 0 && rec[l.bstatus] == '*')
            learnt.push_back(budgetPost(QByteArray(rec, l.length)));
        if (e.onlyRecord > 0 && i == e.onlyRecord && !e.resign)
            break; // one posting, no balances move
    }
    if (check.refusal != Refusal::None) {
        result.refusal = check.refusal;
        result.changed = 0;
        return result;
    }
    PostingFile::Edit edit(f);
    const long last = (e.onlyRecord > 0 && !e.resign) ? first : n;
    edit.putRange(first, out.left((last - first + 1) * l.length));
    if (alsoWrite)
        alsoWrite(edit.batch());
    BudgetTemplate* learner = !learnt.empty() && t ? t : nullptr;
    if (learner)
        for (const BudgetKontoPost& p : learnt)
            learner->learn(edit.batch(), p);
    commitEdit(edit, learner);
    result.postNr = first;
    return result;
}

RemovalResult removeTransactionPostings(PostingFile& f, long n, long ref,
                                        const AlsoWrite& alsoWrite) {
    const Layout& l = layoutOf(f);
    RemovalResult result;
    result.antalPoster = n;
    long first = 0;
    for (long i = 1; i <= n && first == 0; ++i)
        if (refOf(f.raw(i).constData()) == ref)
            first = i;
    if (first == 0) {
        commitAlone(alsoWrite);
        return result;
    }

    // Records first..n: the staying postings close up with their balances
    // lowered by what was removed before them; the freed tail keeps its bytes
    // with a blank date.
    const QByteArray before = f.rawRange(first, n);
    QByteArray out;
    out.reserve(before.size());
    Checked check(l);
    Amount removed[2];
    for (long i = 0; i <= n - first; ++i) {
        const char* src = before.constData() + i * l.length;
        const Numbers num = numbersOf(f, first + i, src);
        if (refOf(src) == ref) {
            ++result.removed;
            for (int k = 0; k < l.amounts; ++k)
                removed[k] += num.amount[k];
            continue;
        }
        out.append(src, l.length);
        char* rec = out.data() + out.size() - l.length;
        for (int k = 0; k < l.amounts; ++k)
            check.balance(rec, k, num.balance[k] - removed[k]);
        if (l.amounts == 2)
            check.diff(rec, num.diff - (removed[1] - removed[0]));
    }
    // The freed records: the last ones of the old range, dates blanked.
    for (long i = n - result.removed + 1; i <= n; ++i) {
        out.append(before.constData() + (i - first) * l.length, l.length);
        std::memcpy(out.data() + out.size() - l.length, kBlankDate.constData(), 10);
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
    PostingFile::Edit edit(f);
    long changed = 0;
    for (long i = 1; i <= n; ++i) {
        QByteArray rec = f.raw(i);
        bool ok = false;
        const long s = QByteArray(rec.constData() + l.subRef, 4).trimmed().toLong(&ok);
        if (ok && s == subRef) {
            putText(rec, l.subRef, 4, QByteArray());
            edit.put(i, rec);
            ++changed;
        }
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
    Numbers prev;
    if (from >= 2)
        prev = numbersOf(f, from - 1);
    for (long i = from; i <= n; ++i) {
        const char* inMemory = f.record(i);
        const Numbers num = inMemory ? numbersOf(f, i, inMemory) : numbersOf(f, i);
        if (l.amounts == 1) {
            const Amount expected = prev.balance[0] + num.amount[0];
            if (!sameShown(num.balance[0], expected))
                return Mismatch{i, Mismatch::Which::Saldo, num.balance[0], expected};
        } else {
            const Amount budg = prev.balance[0] + num.amount[0];
            if (!sameShown(num.balance[0], budg))
                return Mismatch{i, Mismatch::Which::BudgSaldo, num.balance[0], budg};
            const Amount verkl = prev.balance[1] + num.amount[1];
            if (!sameShown(num.balance[1], verkl))
                return Mismatch{i, Mismatch::Which::VerklSaldo, num.balance[1], verkl};
            const Amount diff = num.balance[1] - num.balance[0];
            if (!sameShown(num.diff, diff))
                return Mismatch{i, Mismatch::Which::SaldoDiff, num.diff, diff};
        }
        prev = num;
    }
    return std::nullopt;
}

EditResult recount(PostingFile& f, long from, long n) {
    const Layout& l = layoutOf(f);
    if (from < 1)
        from = 1;
    if (from > n)
        return {Refusal::None, from, n};
    Numbers prev;
    if (from >= 2)
        prev = numbersOf(f, from - 1);
    const QByteArray before = f.rawRange(from, n);
    QByteArray out = before;
    Checked check(l);
    for (long i = 0; i <= n - from; ++i) {
        char* rec = out.data() + i * l.length;
        const Numbers num = numbersOf(f, from + i, rec);
        Amount now[2];
        for (int k = 0; k < l.amounts; ++k) {
            now[k] = prev.balance[k] + num.amount[k];
            check.balance(rec, k, now[k]);
        }
        if (l.amounts == 2)
            check.diff(rec, now[1] - now[0]);
        for (int k = 0; k < l.amounts; ++k)
            prev.balance[k] = now[k];
    }
    if (check.refusal != Refusal::None)
        return {check.refusal, 0, n};
    if (out == before)
        return {Refusal::None, from, n};
    PostingFile::Edit edit(f);
    edit.putRange(from, out);
    edit.commit();
    return {Refusal::None, from, n};
}

} // namespace fyn::ledger
