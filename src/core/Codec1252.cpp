#include "core/Codec1252.h"

#include <array>

namespace fyn {

namespace {

// 0x80..0x9F; undefined positions keep their own value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int toByte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}

} // namespace

QString fromCp1252(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

QString fromCp1252(const QByteArray& bytes) {
    return fromCp1252(bytes.constData(), bytes.size());
}

qsizetype toCp1252(const QString& text, char* out, qsizetype max) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size() && n < max; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character, one "?"
        const int b = toByte(c.unicode());
        out[n++] = b < 0 ? '?' : char(b);
    }
    return n;
}

QByteArray toCp1252(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    out.truncate(toCp1252(text, out.data(), out.size()));
    return out;
}

bool fitsCp1252(const QString& text) {
    for (QChar c : text)
        if (toByte(c.unicode()) < 0)
            return false;
    return true;
}

} // namespace fyn
