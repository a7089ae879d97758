#pragma once
// Whole numbers read from text fields, as the runtime's conversions read them.
#include <QString>
#include <cstdint>

namespace fyn {

// Trims blanks, takes an optional sign, digits and an optional decimal comma
// (rounded half to even). Not a number: "Type mismatch"; outside 32 bits: "Overflow".
std::int32_t toLong(const QString& text);
// The same within 16 bits.
std::int16_t toInt(const QString& text);

// Blanks stripped at both ends (not tabs or other white space).
QString trimBlanks(const QString& s);
QString ltrimBlanks(const QString& s);
QString rtrimBlanks(const QString& s);

// a / b rounded half to even, for non-negative a and positive b.
std::int64_t divRoundHalfEven(std::int64_t a, std::int64_t b);

} // namespace fyn
