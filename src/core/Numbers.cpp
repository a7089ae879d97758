#include "core/Numbers.h"

#include "core/Errors.h"
#include "platform/SysError.h"

#include <limits>

namespace fyn {

QString ltrimBlanks(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString rtrimBlanks(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

QString trimBlanks(const QString& s) {
    return ltrimBlanks(rtrimBlanks(s));
}

std::int64_t divRoundHalfEven(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    const std::int64_t r = a % b;
    if (2 * r > b || (2 * r == b && (q & 1)))
        ++q;
    return q;
}

namespace {

std::int64_t toWhole(const QString& text, std::int64_t lo, std::int64_t hi) {
    const QString t = trimBlanks(text);
    qsizetype i = 0;
    bool neg = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+')))
        neg = t.at(i++) == QLatin1Char('-');
    std::int64_t value = 0;
    int digits = 0;
    bool big = false;
    for (; i < t.size() && t.at(i).isDigit() && t.at(i).unicode() < 128; ++i, ++digits) {
        if (value > std::numeric_limits<std::int64_t>::max() / 20)
            big = true;
        else
            value = value * 10 + (t.at(i).unicode() - '0');
    }
    int fracDigits = 0;
    std::int64_t firstFrac = -1;
    bool restNonZero = false;
    if (i < t.size() && t.at(i) == QLatin1Char(',')) {
        for (++i; i < t.size() && t.at(i).isDigit() && t.at(i).unicode() < 128; ++i) {
            const int d = t.at(i).unicode() - '0';
            if (fracDigits++ == 0)
                firstFrac = d;
            else if (d != 0)
                restNonZero = true;
        }
    }
    if (i != t.size() || digits + fracDigits == 0)
        raiseError(platform::kTypeMismatch);
    if (firstFrac > 5 || (firstFrac == 5 && (restNonZero || (value & 1))))
        ++value;
    if (neg)
        value = -value;
    if (big || value < lo || value > hi)
        raiseError(platform::kOverflow);
    return value;
}

} // namespace

std::int32_t toLong(const QString& text) {
    return std::int32_t(toWhole(text, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()));
}

std::int16_t toInt(const QString& text) {
    return std::int16_t(toWhole(text, std::numeric_limits<std::int16_t>::min(),
                                std::numeric_limits<std::int16_t>::max()));
}

} // namespace fyn
