#pragma once
// Signed fixed-point amounts: a 64-bit count of ten-thousandths.
#include <QByteArray>
#include <QString>
#include <compare>
#include <cstdint>

namespace fyn {

class Amount {
public:
    static constexpr std::int64_t kScale = 10000;
    // Every amount and balance stays below this in absolute value.
    static constexpr std::int64_t kLimit = 100000000LL * kScale;

    constexpr Amount() = default;
    static constexpr Amount fromRaw(std::int64_t tenThousandths) { return Amount(tenThousandths); }
    static constexpr Amount whole(std::int64_t units) { return Amount(units * kScale); }

    // A decimal number with the decimal comma and an optional leading sign,
    // blanks around it allowed; more than four decimals are rounded half to even.
    // Not a number: "Type mismatch"; too large: "Overflow".
    static Amount parse(const QString& text);
    // The same from a record field's bytes (blanks around it allowed).
    static Amount parseField(const char* data, qsizetype size);
    // As parse, but nothing is thrown: false when the text is not an amount.
    static bool tryParse(const QString& text, Amount& out);

    constexpr std::int64_t raw() const { return v_; }
    constexpr bool isNegative() const { return v_ < 0; }
    constexpr Amount abs() const { return Amount(v_ < 0 ? -v_ : v_); }
    bool overLimit() const { return v_ >= kLimit || v_ <= -kLimit; }

    // The shortest storage form: "-1234,5", "0".
    QString storage() const;
    QByteArray storageBytes() const;
    // The storage form into buf (at least 24 bytes); returns its length.
    int storageChars(char* buf) const;
    // The storage form into a record's 11-byte amount field, blanks after it;
    // false (the field untouched) when it is longer.
    bool storeInField(char* field) const;
    // Hundredths as the display shows them (rounded half away from zero).
    std::int64_t shownCents() const;
    // The absolute value in "### ### ##0.#0": digits grouped by literal blanks,
    // two decimals, leading blanks kept ("  1 234,50").
    QString pattern() const;
    // What the user sees: "-" for a negative value, then the pattern left-trimmed.
    QString display() const;

    friend constexpr Amount operator+(Amount a, Amount b) { return Amount(a.v_ + b.v_); }
    friend constexpr Amount operator-(Amount a, Amount b) { return Amount(a.v_ - b.v_); }
    constexpr Amount operator-() const { return Amount(-v_); }
    Amount& operator+=(Amount o) {
        v_ += o.v_;
        return *this;
    }
    Amount& operator-=(Amount o) {
        v_ -= o.v_;
        return *this;
    }
    friend constexpr auto operator<=>(Amount, Amount) = default;

private:
    constexpr explicit Amount(std::int64_t v) : v_(v) {}
    std::int64_t v_ = 0;
};

// What a person typed or pasted into an amount box, read the one way every
// box reads it. Blanks, no-break and narrow no-break spaces may stand between
// digit groups; full stops before the decimal comma (or several of them) are
// thousands separators, a single full stop without a comma is the decimal
// comma; one leading "-" or "+" (a web page's minus sign too) is set apart.
// Each box adds its own rule after it: the sign, whole kronor, the limit.
struct TypedAmount {
    enum class Kind {
        Empty,           // nothing but blanks
        Number,          // value and digits hold it
        TooManyDecimals, // a number with more decimals than an amount has
        TooLarge,        // a number beyond what an amount can hold
        NotANumber,
    };
    Kind kind = Kind::Empty;
    QChar sign;     // '-' or '+' when one led the number, else null
    QString digits; // without sign and separators, as typed: "1234,50", ",5"
    Amount value;   // the magnitude of a Number
    bool minus() const { return sign == QLatin1Char('-'); }
    // value rounded to whole kronor, half to even, as a number is shown
    // without decimals.
    std::int64_t wholeKronor() const;
};
TypedAmount readTypedAmount(const QString& text);

// Shows the shared limit message "Överskriden max-nivå".
void MaxLevel_Msg();

} // namespace fyn
