#pragma once
// Dates as the text "yyyy-mm-dd", which orders them in time.
#include <QDate>
#include <QString>

namespace fyn {

QString dateText(const QDate& d);
// An invalid QDate when the text is not a real "yyyy-mm-dd" date.
QDate parseDateText(const QString& text);
bool isDateText(const QString& text);
// A stored date as a working date: "yyyy-mm-dd" with a day its month lacks
// (2023-02-31) becomes the month's last day. Invalid when it is no such text,
// or its month or day is out of range.
QDate clampedDateText(const QString& text);
// The time of day as "hh:mm:ss".
QString timeText(const QTime& t);

} // namespace fyn
