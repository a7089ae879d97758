#pragma once
// The two text files: KontoIni (current account and user name) and ErrLog.
#include "core/SafeWrite.h"

#include <QString>
#include <QStringList>

namespace fyn {

// One delimited field of a line: leading blanks skipped; a quoted field runs to
// its closing quote; otherwise the field ends at the first comma, trailing
// blanks dropped.
QString readDelimitedField(const QString& line);
// The user name's line: read as a delimited field but running to the end of
// the line, so that a name with a comma comes back whole.
QString readNameField(const QString& line);

struct KontoIniText {
    bool complete = false; // both lines were there
    QString kontoNum;      // line 1 as read; the caller converts it
    QString anvNamn;       // line 2 as read
};

// A missing file reads as incomplete. A file that cannot be read: RuntimeError.
KontoIniText readKontoIni(const QString& path);
// The whole file, lines ending in CR LF, as part of batch.
void writeKontoIni(WriteBatch& batch, const QString& path, int kontoNum, const QString& anvNamn);

// Appends lines, each ended by CR LF, to the error log in the start folder.
void appendErrLog(const QStringList& lines);

} // namespace fyn
