#include "core/Amount.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "platform/Platform.h"
#include "platform/SysError.h"

namespace fyn {

namespace {

constexpr std::int64_t kMaxWhole = INT64_MAX / Amount::kScale - 1;

bool parseAmount(const QString& text, std::int64_t& out, bool& overflow) {
    overflow = false;
    const QString t = trimBlanks(text);
    qsizetype i = 0;
    bool neg = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+')))
        neg = t.at(i++) == QLatin1Char('-');
    auto isDigit = [&](qsizetype k) {
        return k < t.size() && t.at(k).unicode() >= '0' && t.at(k).unicode() <= '9';
    };
    std::int64_t whole = 0;
    int digits = 0;
    for (; isDigit(i); ++i, ++digits) {
        if (whole > kMaxWhole / 10)
            overflow = true;
        else
            whole = whole * 10 + (t.at(i).unicode() - '0');
    }
    std::int64_t frac = 0;
    int fracDigits = 0;
    int roundDigit = -1;
    bool restNonZero = false;
    if (i < t.size() && t.at(i) == QLatin1Char(',')) {
        for (++i; isDigit(i); ++i, ++fracDigits) {
            const int d = t.at(i).unicode() - '0';
            if (fracDigits < 4)
                frac = frac * 10 + d;
            else if (fracDigits == 4)
                roundDigit = d;
            else if (d != 0)
                restNonZero = true;
        }
    }
    if (i != t.size() || digits + fracDigits == 0)
        return false;
    for (int k = fracDigits; k < 4; ++k)
        frac *= 10;
    std::int64_t v = whole * Amount::kScale + frac;
    if (roundDigit > 5 || (roundDigit == 5 && (restNonZero || (v & 1))))
        ++v;
    out = neg ? -v : v;
    return true;
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

QString Amount::storage() const {
    const std::uint64_t a = v_ < 0 ? 0 - std::uint64_t(v_) : std::uint64_t(v_);
    QString s = v_ < 0 ? QStringLiteral("-") : QString();
    s += QString::number(a / kScale);
    std::uint64_t frac = a % kScale;
    if (frac != 0) {
        QString f = QString::number(frac).rightJustified(4, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        s += QLatin1Char(',') + f;
    }
    return s;
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
