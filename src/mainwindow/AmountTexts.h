#pragma once
// Amounts as the main window writes them into its boxes and messages.
#include "core/Amount.h"
#include "core/Numbers.h"

#include <QString>

namespace fyn {

// "### ### ##0.#0" with the runtime's habits: the literal blanks stay where
// no digit fills the groups ("  1 234,50"), and "-" goes in front.
inline QString formatted(Amount a) {
    return (a.isNegative() ? QStringLiteral("-") : QString()) + a.pattern();
}
inline QString formatted(const QString& field) {
    return formatted(Amount::parse(field));
}

// A stored amount as a box shows it: left-trimmed, with "-" when the text has one.
inline QString shownAmount(const QString& field) {
    const QString text = ltrimBlanks(Amount::parse(field).abs().pattern());
    return trimBlanks(field).startsWith(QLatin1Char('-')) ? QLatin1Char('-') + text : text;
}

// A balance as typed or pasted: read as every typed amount is, and its sign
// kept. False when it is no amount.
inline bool balanceValue(const QString& text, Amount& out) {
    const TypedAmount t = readTypedAmount(text);
    if (t.kind != TypedAmount::Kind::Number)
        return false;
    out = t.minus() ? -t.value : t.value;
    return true;
}

} // namespace fyn
