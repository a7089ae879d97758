#pragma once
// Dates as the text "yyyy-mm-dd", which orders them in time.
#include <QDate>
#include <QString>

namespace fyn {

QString dateText(const QDate& d);
// An invalid QDate when the text is not a real "yyyy-mm-dd" date.
QDate parseDateText(const QString& text);
bool isDateText(const QString& text);
// The time of day as "hh:mm:ss".
QString timeText(const QTime& t);

} // namespace fyn
