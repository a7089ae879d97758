#pragma once
// Windows-1252, one byte a character. The five bytes the code page leaves
// undefined map to the C1 controls of the same value, so any byte string
// survives a round trip.
#include <QByteArray>
#include <QString>

namespace fyn {

QString fromCp1252(const QByteArray& bytes);
QString fromCp1252(const char* data, qsizetype size);
// A character the code page cannot hold becomes "?".
QByteArray toCp1252(const QString& text);
// The same into out, at most max bytes; returns how many it wrote.
qsizetype toCp1252(const QString& text, char* out, qsizetype max);
bool fitsCp1252(const QString& text);

} // namespace fyn
