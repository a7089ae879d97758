#include "output/Listing.h"

#include "core/Amount.h"
#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/RecordFile.h"
#include "core/Records.h"
#include "core/SafeOpen.h"
#include "platform/SysError.h"

#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace fyn::output {

namespace {

using C = Column;

constexpr C kPr1[] = {C::Date, C::Main, C::Amount, C::Balance};
constexpr C kPr2[] = {C::Date, C::Main, C::Sub, C::Amount, C::Balance};
constexpr C kPr3[] = {C::Date,        C::Main,        C::BudgAmount,
                      C::VerklAmount, C::BudgBalance, C::VerklBalance};
constexpr C kPr4[] = {C::Date,        C::Main,         C::BudgAmount, C::VerklAmount,
                      C::BudgBalance, C::VerklBalance, C::Diff};
constexpr C kPr5[] = {C::Date,        C::Main,        C::Sub,          C::BudgAmount,
                      C::VerklAmount, C::BudgBalance, C::VerklBalance, C::Diff};
constexpr C kPr6[] = {C::Date,        C::Main,        C::Sub,         C::BudgAmount,
                      C::VerklAmount, C::BudgBalance, C::VerklBalance};

// Where the fields lie in a record of each kind.
struct Layout {
    int subRef;
    int amount, balance; // what "Belopp" and "Saldo" show
    int budgAmount, verklAmount, budgBalance, verklBalance, diff;
};
constexpr Layout kEnkel{37, 14, 25, -1, -1, -1, -1, -1};
constexpr Layout kBudget{71, 25, 47, 14, 25, 36, 47, 58};
constexpr int kTransRef = 10;
constexpr int kRefBytes = 4;
constexpr int kAmountBytes = 11;

int offsetOf(const Layout& l, Column c) {
    switch (c) {
    case C::Amount:
        return l.amount;
    case C::Balance:
        return l.balance;
    case C::BudgAmount:
        return l.budgAmount;
    case C::VerklAmount:
        return l.verklAmount;
    case C::BudgBalance:
        return l.budgBalance;
    case C::VerklBalance:
        return l.verklBalance;
    case C::Diff:
        return l.diff;
    default:
        return -1;
    }
}

bool blank(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ')
            return false;
    return true;
}

// A reference field as a whole number: plain digits with blanks and a sign
// at once, anything else as the runtime reads it (a decimal comma rounds; no
// number: "Type mismatch").
long reference(const char* p) {
    int b = 0, e = kRefBytes;
    while (b < e && p[b] == ' ')
        ++b;
    while (e > b && p[e - 1] == ' ')
        --e;
    bool neg = false;
    int i = b;
    if (i < e && (p[i] == '-' || p[i] == '+'))
        neg = p[i++] == '-';
    long v = 0;
    const int first = i;
    for (; i < e && p[i] >= '0' && p[i] <= '9'; ++i)
        v = v * 10 + (p[i] - '0');
    if (i == e && i > first)
        return neg ? -v : v;
    return toLong(fromCp1252(p, kRefBytes));
}

std::string_view view(const QByteArray& b) {
    return {b.constData(), size_t(b.size())};
}

QByteArray trimmedBytes(const char* p, int n) {
    int b = 0;
    while (b < n && p[b] == ' ')
        ++b;
    while (n > b && p[n - 1] == ' ')
        --n;
    return QByteArray(p + b, n - b);
}

// The whole of a file inside the data folder, read-only, or nothing when it
// is missing. A file longer than a posting file can be is refused before it
// is read.
QByteArray readIfPresent(const QString& path, int recordLength, long& count) {
    count = 0;
    struct stat st {};
    if (safeLstat(path, st) != 0) {
        if (errno == ENOENT)
            return {};
        raiseErrno(errno);
    }
    RecordFile f(path, recordLength, RecordFile::Missing::Fail);
    if (f.sizeInBytes() > ledger::PostingFile::kMaxBytes)
        throw RuntimeError(platform::kOverflow, QFileInfo(path).fileName());
    count = f.count();
    return count > 0 ? f.readRange(1, count) : QByteArray();
}

} // namespace

QString variantName(Variant v) {
    return v == Variant::None ? QString() : QStringLiteral("Pr_%1").arg(int(v));
}

Variant chooseVariant(int check1, int check2, int check3, Kind kind) {
    Variant v = Variant::None;
    if (check2 == 0 && check3 == 0)
        v = check1 != 0 ? Variant::Pr_2 : Variant::Pr_1;
    else if (check2 == 1 && check3 == 0)
        v = check1 != 0 ? Variant::Pr_6 : Variant::Pr_3;
    else if (check2 == 1 && check3 == 1)
        v = check1 != 0 ? Variant::Pr_5 : Variant::Pr_4;
    if (kind == Kind::Enkel && v != Variant::Pr_1 && v != Variant::Pr_2)
        return Variant::None;
    return v;
}

std::span<const Column> columnsOf(Variant v) {
    switch (v) {
    case Variant::Pr_1:
        return kPr1;
    case Variant::Pr_2:
        return kPr2;
    case Variant::Pr_3:
        return kPr3;
    case Variant::Pr_4:
        return kPr4;
    case Variant::Pr_5:
        return kPr5;
    case Variant::Pr_6:
        return kPr6;
    case Variant::None:
        break;
    }
    return {};
}

bool isAmountColumn(Column c) {
    return c != C::Date && c != C::Main && c != C::Sub;
}

int columnIndex(Variant v, Column c) {
    const auto cols = columnsOf(v);
    for (size_t i = 0; i < cols.size(); ++i)
        if (cols[i] == c)
            return int(i);
    return -1;
}

int amountText(const char* field, int size, char* out) {
    const Amount a = Amount::parseField(field, size);
    int b = 0;
    while (b < size && field[b] == ' ')
        ++b;
    int n = 0;
    if (b < size && field[b] == '-')
        out[n++] = '-';
    const std::uint64_t raw = std::uint64_t(a.abs().raw());
    return n + groupedCents((raw + 50) / 100, out + n);
}

int groupedCents(unsigned __int128 cents, char* out) {
    // "### ### ##0.#0" left-trimmed: groups of three from the right, the
    // first group taking whatever is left.
    char digits[40];
    int len = 0;
    for (unsigned __int128 whole = cents / 100; len == 0 || whole > 0; whole /= 10)
        digits[len++] = char('0' + int(whole % 10));
    std::reverse(digits, digits + len);
    int n = 0;
    const int head = len > 6 ? len - 6 : len > 3 ? len - 3 : len;
    std::memcpy(out + n, digits, size_t(head));
    n += head;
    for (int i = head; i < len; i += 3) {
        out[n++] = ' ';
        std::memcpy(out + n, digits + i, 3);
        n += 3;
    }
    const int c = int(cents % 100);
    out[n++] = ',';
    out[n++] = char('0' + c / 10);
    out[n++] = char('0' + c % 10);
    return n;
}

long referenceField(const char* field) {
    return reference(field);
}

QString amountText(const QString& field) {
    const QByteArray bytes = toCp1252(field);
    char out[32];
    return QString::fromLatin1(out, amountText(bytes.constData(), int(bytes.size()), out));
}

QString screenText(QString text) {
    for (qsizetype i = 1; i + 1 < text.size(); ++i)
        if (text[i] == QLatin1Char(' ') && text[i - 1].isDigit() && text[i + 1].isDigit())
            text[i] = QChar(0x00A0);
    return text;
}

QString LineText::text(int i) const {
    return fromCp1252(cells_[i].data(), lengths_[i]);
}

void LineText::set(int i, std::string_view bytes) {
    const int n = int(std::min<size_t>(bytes.size(), kMaxBytes));
    if (n > 0) // an empty view may hold no pointer at all
        std::memcpy(cells_[i].data(), bytes.data(), size_t(n));
    lengths_[i] = n;
}

void AccountData::clear() {
    path_.clear();
    length_ = 0;
    count_ = 0;
    data_.clear();
    trans_.clear();
    signs_.clear();
    kategori_.clear();
}

void AccountData::load(const QString& folder, Kind kind) {
    loadPostings(folder, kind);
    loadNames(folder);
}

void AccountData::loadPostings(const QString& folder, Kind kind) {
    path_ = folder + QStringLiteral("/KontoData");
    kind_ = kind;
    length_ = ledger::recordLength(kind);
    count_ = 0;
    data_.clear();
    long count = 0;
    QByteArray data = readIfPresent(path_, length_, count);
    data_ = std::move(data);
    count_ = int(count);
}

void AccountData::loadNames(const QString& folder) {
    trans_.clear();
    signs_.clear();
    kategori_.clear();
    long count = 0;
    const QByteArray t =
        readIfPresent(folder + QStringLiteral("/Transakt"), TransPost::Length, count);
    std::vector<QByteArray> trans;
    QByteArray signs;
    for (long i = 0; i < count; ++i) {
        const char* r = t.constData() + i * TransPost::Length;
        trans.push_back(trimmedBytes(r, 35));
        signs.append(r[35]);
    }
    const QByteArray k =
        readIfPresent(folder + QStringLiteral("/Kategori"), KategoriPost::Length, count);
    std::vector<QByteArray> kategori;
    for (long i = 0; i < count; ++i)
        kategori.push_back(trimmedBytes(k.constData() + i * KategoriPost::Length, 35));
    trans_ = std::move(trans);
    signs_ = std::move(signs);
    kategori_ = std::move(kategori);
}

int AccountData::lastDated() const {
    for (int n = count_; n >= 1; --n)
        if (!blank(record(n), 10))
            return n;
    return 0;
}

const char* AccountData::record(int n) const {
    return data_.constData() + qsizetype(n - 1) * length_;
}

std::string_view AccountData::datum(int n) const {
    return {record(n), 10};
}

int AccountData::firstOnOrAfter(const QByteArray& start, int last) const {
    const std::string_view s = view(start);
    for (int n = 1; n <= last; ++n)
        if (datum(n) >= s)
            return n;
    return last + 1;
}

int AccountData::lastOnOrBefore(const QByteArray& stop, int last) const {
    const std::string_view s = view(stop);
    for (int n = last; n >= 1; --n)
        if (datum(n) <= s)
            return n;
    return 0;
}

std::string_view AccountData::mainName(long ref) const {
    const long n = ref < 0 ? -ref : ref;
    if (n < 1)
        raiseError(platform::kBadRecordNumber);
    return size_t(n) <= trans_.size() ? view(trans_[size_t(n - 1)]) : std::string_view();
}

long AccountData::transRef(int n) const {
    return inRecord(path_, n, [&] { return reference(record(n) + kTransRef); });
}

const char* AccountData::subRefField(int n) const {
    return record(n) + (kind_ == Kind::Budget ? kBudget : kEnkel).subRef;
}

const char* AccountData::amountField(int n, Column c) const {
    const int at = offsetOf(kind_ == Kind::Budget ? kBudget : kEnkel, c);
    if (at < 0) // a budget column of a simple account's record
        raiseError(platform::kTypeMismatch);
    return record(n) + at;
}

QByteArray AccountData::subNameBytes(long ref) const {
    if (ref < 1)
        raiseError(platform::kBadRecordNumber);
    return size_t(ref) <= kategori_.size() ? kategori_[size_t(ref - 1)] : QByteArray();
}

std::string_view AccountData::subName(long ref) const {
    if (ref < 1)
        raiseError(platform::kBadRecordNumber);
    return size_t(ref) <= kategori_.size() ? view(kategori_[size_t(ref - 1)]) : std::string_view();
}

QString AccountData::mainSign(int n) const {
    return n >= 1 && n <= signs_.size() ? QString(QLatin1Char(signs_.at(n - 1)))
                                        : QStringLiteral(" ");
}

std::vector<std::pair<QString, int>> AccountData::mainNames() const {
    std::vector<std::pair<QString, int>> out;
    for (size_t i = 0; i < trans_.size(); ++i)
        if (!trans_[i].isEmpty())
            out.emplace_back(fromCp1252(trans_[i]), int(i + 1));
    return out;
}

void AccountData::line(Variant v, int n, LineText& out) const {
    const auto cols = columnsOf(v);
    out.setSize(int(cols.size()));
    const char* r = record(n);
    const Layout& l = kind_ == Kind::Budget ? kBudget : kEnkel;
    inRecord(path_, n, [&] {
        for (size_t i = 0; i < cols.size(); ++i) {
            const int c = int(i);
            switch (cols[i]) {
            case C::Date:
                out.set(c, {r, 10});
                break;
            case C::Main:
                out.set(c, mainName(reference(r + kTransRef)));
                break;
            case C::Sub:
                out.set(c, blank(r + l.subRef, kRefBytes) ? std::string_view()
                                                          : subName(reference(r + l.subRef)));
                break;
            default: {
                const int at = offsetOf(l, cols[i]);
                if (at < 0) // a budget column of a simple account's record
                    raiseError(platform::kTypeMismatch);
                out.setLength(c, amountText(r + at, kAmountBytes, out.room(c)));
                break;
            }
            }
        }
    });
}

} // namespace fyn::output
