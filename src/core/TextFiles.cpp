#include "core/TextFiles.h"

#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "core/SafeOpen.h"
#include "platform/SysError.h"

#include <QFile>
#include <sys/stat.h>

namespace fyn {

QString readDelimitedField(const QString& line) {
    const QString s = ltrimBlanks(line);
    if (s.startsWith(QLatin1Char('"'))) {
        const qsizetype close = s.indexOf(QLatin1Char('"'), 1);
        return close < 0 ? s.mid(1) : s.mid(1, close - 1);
    }
    const qsizetype comma = s.indexOf(QLatin1Char(','));
    return rtrimBlanks(comma < 0 ? s : s.left(comma));
}

QString readNameField(const QString& line) {
    const QString s = ltrimBlanks(line);
    return s.startsWith(QLatin1Char('"')) ? readDelimitedField(s) : rtrimBlanks(s);
}

KontoIniText readKontoIni(const QString& path) {
    struct stat st {};
    if (safeLstat(path, st) != 0)
        return {};
    // Read as the record files are: a plain file only, opened without waiting.
    const QString text = fromCp1252(readWholeFile(path));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    // A final line break does not start a line of its own.
    if (!lines.isEmpty() && lines.last().isEmpty() && text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    KontoIniText ini;
    if (lines.size() < 2 || text.isEmpty())
        return ini;
    ini.complete = true;
    ini.kontoNum = readDelimitedField(lines.at(0));
    ini.anvNamn = readNameField(lines.at(1));
    return ini;
}

void writeKontoIni(WriteBatch& batch, const QString& path, int kontoNum, const QString& anvNamn) {
    batch.replaceFile(path, toCp1252(QString::number(kontoNum) + QStringLiteral("\r\n") + anvNamn +
                                     QStringLiteral("\r\n")));
}

void appendErrLog(const QStringList& lines) {
    QFile f(errLogPath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        raiseError(f.error() == QFileDevice::PermissionsError ? platform::kPermissionDenied
                                                              : platform::kPathNotFound);
    QByteArray out;
    for (const QString& line : lines)
        out += toCp1252(line) + "\r\n";
    if (f.write(out) != out.size())
        raiseError(platform::kDiskFull);
    f.flush();
}

} // namespace fyn
