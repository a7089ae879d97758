#include "core/Amount.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

#include <bit>
#include <cstring>

namespace fyn {

namespace {

// Magnitudes reach INT64_MAX at most, the most negative value excluded, so that
// every amount can be negated.
constexpr std::uint64_t kMaxRaw = std::uint64_t(INT64_MAX);
constexpr std::uint64_t kMaxWhole = kMaxRaw / Amount::kScale;

// Reads s[0..n) through at(i), which gives the character code.
template <class At> bool parseChars(qsizetype n, At at, std::int64_t& out, bool& overflow) {
    overflow = false;
    qsizetype i = 0;
    while (i < n && at(i) == ' ')
        ++i;
    while (n > i && at(n - 1) == ' ')
        --n;
    bool neg = false;
    if (i < n && (at(i) == '-' || at(i) == '+'))
        neg = at(i++) == '-';
    auto isDigit = [&](qsizetype k) { return k < n && at(k) >= '0' && at(k) <= '9'; };
    // Unsigned, and never past kMaxWhole: no step below can overflow.
    std::uint64_t whole = 0;
    bool anyDigit = false;
    for (; isDigit(i); ++i) {
        anyDigit = true;
        const unsigned d = unsigned(at(i) - '0');
        if (overflow || whole > (kMaxWhole - d) / 10)
            overflow = true;
        else
            whole = whole * 10 + d;
    }
    std::uint64_t frac = 0;
    qsizetype fracDigits = 0;
    int roundDigit = -1;
    bool restNonZero = false;
    if (i < n && at(i) == ',') {
        for (++i; isDigit(i); ++i, ++fracDigits) {
            anyDigit = true;
            const int d = at(i) - '0';
            if (fracDigits < 4)
                frac = frac * 10 + unsigned(d);
            else if (fracDigits == 4)
                roundDigit = d;
            else if (d != 0)
                restNonZero = true;
        }
    }
    if (i != n || !anyDigit)
        return false;
    if (overflow)
        return true;
    for (qsizetype k = fracDigits; k < 4; ++k)
        frac *= 10;
    std::uint64_t v = whole * Amount::kScale + frac;
    if (roundDigit > 5 || (roundDigit == 5 && (restNonZero || (v & 1))))
        ++v;
    if (v > kMaxRaw) {
        overflow = true;
        return true;
    }
    out = neg ? -std::int64_t(v) : std::int64_t(v);
    return true;
}

bool parseAmount(const QString& text, std::int64_t& out, bool& overflow) {
    return parseChars(
        text.size(), [&](qsizetype k) { return int(text.at(k).unicode()); }, out, overflow);
}

} // namespace

Amount Amount::parse(const QString& text) {
    std::int64_t v = 0;
    bool overflow = false;
    if (!parseAmount(text, v, overflow))
        raiseError(platform::kTypeMismatch);
    if (overflow)
        raiseError(platform::kOverflow);
    return Amount(v);
}

bool Amount::tryParse(const QString& text, Amount& out) {
    std::int64_t v = 0;
    bool overflow = false;
    if (!parseAmount(text, v, overflow) || overflow)
        return false;
    out = Amount(v);
    return true;
}

namespace {

// The storage form as the program writes it ("-1234,5", blanks around it), read
// without the general parser's care for rounding and long digit strings; false
// sends anything else to the general parser.
inline bool parseStored(const char* p, qsizetype n, std::int64_t& out) {
    qsizetype i = 0;
    while (i < n && p[i] == ' ')
        ++i;
    while (n > i && p[n - 1] == ' ')
        --n;
    const bool neg = i < n && p[i] == '-';
    i += neg;
    const qsizetype wholeStart = i;
    std::uint64_t whole = 0;
    for (; i < n && unsigned(p[i] - '0') < 10; ++i)
        whole = whole * 10 + unsigned(p[i] - '0');
    const qsizetype wholeDigits = i - wholeStart;
    if (wholeDigits == 0 || wholeDigits > 14)
        return false;
    std::uint64_t frac = 0;
    if (i < n) {
        if (p[i] != ',')
            return false;
        const qsizetype fracStart = ++i;
        for (; i < n && unsigned(p[i] - '0') < 10; ++i)
            frac = frac * 10 + unsigned(p[i] - '0');
        static constexpr std::uint64_t kPad[] = {10000, 1000, 100, 10, 1};
        const qsizetype fracDigits = i - fracStart;
        if (i != n || fracDigits == 0 || fracDigits > 4)
            return false;
        frac *= kPad[fracDigits];
    }
    const std::int64_t v = std::int64_t(whole * Amount::kScale + frac);
    out = neg ? -v : v;
    return true;
}

} // namespace

Amount Amount::parseField(const char* data, qsizetype size) {
    std::int64_t v = 0;
    if (parseStored(data, size, v))
        return Amount(v);
    bool overflow = false;
    if (!parseChars(
            size, [&](qsizetype k) { return int(static_cast<unsigned char>(data[k])); }, v,
            overflow))
        raiseError(platform::kTypeMismatch);
    if (overflow)
        raiseError(platform::kOverflow);
    return Amount(v);
}

namespace {

bool isGroupSpace(QChar c) {
    return c == QLatin1Char(' ') || c == QChar(0xA0) || c == QChar(0x202F);
}
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Digit groups split at full stops: the first of one to three digits, every
// other of three.
bool groupedByThree(const QString& whole) {
    const QStringList groups = whole.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const qsizetype n = groups[i].size();
        if (i == 0 ? (n < 1 || n > 3) : n != 3)
            return false;
    }
    return true;
}

} // namespace

TypedAmount readTypedAmount(const QString& text) {
    TypedAmount r;
    QString t = text.trimmed();
    if (t.isEmpty())
        return r;
    r.kind = TypedAmount::Kind::NotANumber;
    const QChar first = t.at(0);
    if (first == QLatin1Char('-') || first == QChar(0x2212) || first == QLatin1Char('+')) {
        r.sign = first == QLatin1Char('+') ? QLatin1Char('+') : QLatin1Char('-');
        t = t.mid(1);
    }
    QString body;
    for (const QChar c : t) {
        if (isDigit(c) || c == QLatin1Char(',') || c == QLatin1Char('.'))
            body += c;
        else if (!isGroupSpace(c))
            return r;
    }
    const qsizetype comma = body.indexOf(QLatin1Char(','));
    if (comma >= 0 && body.indexOf(QLatin1Char(','), comma + 1) >= 0)
        return r;
    QString whole = comma < 0 ? body : body.left(comma);
    QString fraction = comma < 0 ? QString() : body.mid(comma + 1);
    if (fraction.contains(QLatin1Char('.')))
        return r;
    const qsizetype stops = whole.count(QLatin1Char('.'));
    const bool decimalStop = comma < 0 && stops == 1;
    if (decimalStop) {
        const qsizetype stop = whole.indexOf(QLatin1Char('.'));
        fraction = whole.mid(stop + 1);
        whole = whole.left(stop);
    } else if (stops > 0) {
        if (!groupedByThree(whole))
            return r;
        whole.remove(QLatin1Char('.'));
    }
    if (whole.isEmpty() && fraction.isEmpty())
        return r;
    const bool hasComma = comma >= 0 || decimalStop;
    r.digits = hasComma ? whole + QLatin1Char(',') + fraction : whole;
    if (fraction.size() > 2) {
        r.kind = TypedAmount::Kind::TooManyDecimals;
        return r;
    }
    r.kind = Amount::tryParse(r.digits, r.value) ? TypedAmount::Kind::Number
                                                 : TypedAmount::Kind::TooLarge;
    return r;
}

std::int64_t TypedAmount::wholeKronor() const {
    return divRoundHalfEven(value.raw(), Amount::kScale);
}

namespace {
// Two digits at a time.
constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930"
                          "31323334353637383940414243444546474849505152535455565758596061"
                          "62636465666768697071727374757677787980818283848586878889909192"
                          "93949596979899";
} // namespace

namespace {
// The number of decimal digits of x (1 for 0).
int decimalDigits(std::uint64_t x) {
    static constexpr std::uint64_t kPowers[] = {1,
                                                10,
                                                100,
                                                1000,
                                                10000,
                                                100000,
                                                1000000,
                                                10000000,
                                                100000000,
                                                1000000000,
                                                10000000000,
                                                100000000000,
                                                1000000000000,
                                                10000000000000,
                                                100000000000000,
                                                1000000000000000,
                                                10000000000000000,
                                                100000000000000000,
                                                1000000000000000000,
                                                10000000000000000000u};
    x |= 1;                                                    // 0 has one digit, as 1 has
    const int guess = (64 - std::countl_zero(x)) * 1233 >> 12; // log10, or one more
    return guess - (x < kPowers[guess] ? 1 : 0) + 1;
}

// The storage form of raw at out, written left to right by lengths known
// before a character is: no copy of a variable length, which costs more than
// the digits. Nothing is written when it is longer than room; padded, the
// rest of room is blanks. Its length.
inline int writeStorage(std::int64_t raw, char* out, int room, bool padded) {
    const std::uint64_t a = raw < 0 ? 0 - std::uint64_t(raw) : std::uint64_t(raw);
    std::uint64_t whole = a / Amount::kScale;
    unsigned frac = unsigned(a % Amount::kScale);
    int fracDigits = 0;
    if (frac != 0) {
        fracDigits = 4;
        while (frac % 10 == 0) {
            frac /= 10;
            --fracDigits;
        }
    }
    const int sign = raw < 0 ? 1 : 0;
    const int wholeDigits = decimalDigits(whole);
    const int length = sign + wholeDigits + (fracDigits ? fracDigits + 1 : 0);
    if (length > room)
        return length;
    if (padded)
        std::memset(out, ' ', size_t(room));
    out[0] = '-'; // a digit takes its place when there is no sign
    char* p = out + sign + wholeDigits;
    while (whole >= 100) {
        p -= 2;
        std::memcpy(p, kPairs + 2 * (whole % 100), 2);
        whole /= 100;
    }
    if (whole >= 10) {
        p -= 2;
        std::memcpy(p, kPairs + 2 * whole, 2);
    } else {
        *--p = char('0' + whole);
    }
    if (fracDigits) {
        char* q = out + sign + wholeDigits;
        *q = ',';
        for (int k = fracDigits; k > 0; --k, frac /= 10)
            q[k] = char('0' + frac % 10);
    }
    return length;
}
} // namespace

int Amount::storageChars(char* out) const {
    return writeStorage(v_, out, 24, false);
}

bool Amount::storeInField(char* field) const {
    constexpr int kWidth = 11;
    return writeStorage(v_, field, kWidth, true) <= kWidth;
}

QByteArray Amount::storageBytes() const {
    char buf[32];
    return QByteArray(buf, storageChars(buf));
}

std::int64_t Amount::shownCents() const {
    const std::int64_t a = v_ < 0 ? -v_ : v_;
    const std::int64_t cents = (a + 50) / 100;
    return v_ < 0 ? -cents : cents;
}

QString Amount::storage() const {
    return QString::fromLatin1(storageBytes());
}

QString Amount::pattern() const {
    const std::uint64_t a = v_ < 0 ? 0 - std::uint64_t(v_) : std::uint64_t(v_);
    const std::uint64_t cents = (a + 50) / 100; // two decimals, half away from zero
    const QString digits = QString::number(cents / 100);
    // "### ### ##0": the last group takes three digits, the middle three, the
    // first the rest; the blanks between them are always written.
    const qsizetype n = digits.size();
    const QString g0 = digits.right(3);
    const QString g1 =
        n > 3 ? digits.mid(qMax<qsizetype>(0, n - 6), qMin<qsizetype>(3, n - 3)) : QString();
    const QString g2 = n > 6 ? digits.left(n - 6) : QString();
    return g2 + QLatin1Char(' ') + g1 + QLatin1Char(' ') + g0 + QLatin1Char(',') +
           QString::number(cents % 100).rightJustified(2, QLatin1Char('0'));
}

QString Amount::display() const {
    return (v_ < 0 ? QStringLiteral("-") : QString()) + ltrimBlanks(pattern());
}

void MaxLevel_Msg() {
    platform::messages().show(QStringLiteral("Detta program har tyvärr en begränsning\n"
                                             "till belopp < 100 000 000.00 kronor !\n"
                                             "Därför måste inmatning av högre\n"
                                             "belopp spärras, likaledes inmatning\n"
                                             "som ger upphov till ett plus- eller\n"
                                             "minussaldo över denna nivå !"),
                              platform::Buttons::Ok, platform::Icon::Information,
                              QStringLiteral("Överskriden max-nivå"));
}

} // namespace fyn
