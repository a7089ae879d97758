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

// A balance as typed or pasted: blanks (also those a bank page groups digits
// with) are dropped, and a leading "-" is kept.
inline bool balanceValue(const QString& text, Amount& out) {
    QString t;
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QChar(0xA0) && c != QChar(0x202F))
            t += c;
    return !t.isEmpty() && Amount::tryParse(t, out);
}

} // namespace fyn
