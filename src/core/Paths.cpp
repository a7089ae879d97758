#include "core/Paths.h"

#include "core/Numbers.h"
#include "core/State.h"

#include <QRegularExpression>

namespace fyn {

namespace {
QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}
} // namespace

QString dataFolder() {
    return joined(Module1.BaseFolder, QStringLiteral("FynData"));
}
QString kontoFilPath() {
    return dataFolder() + QStringLiteral("/KontoFil");
}
QString kontoIniPath() {
    return dataFolder() + QStringLiteral("/KontoIni");
}
QString posFilPath() {
    return dataFolder() + QStringLiteral("/PosFil");
}
QString redDayFilPath() {
    return dataFolder() + QStringLiteral("/RedDayFil");
}
QString accountFolder(const QString& kontoNamn) {
    return dataFolder() + QLatin1Char('/') + kontoNamn;
}
QString deletedAccountFolder(const QString& kontoNamn) {
    return dataFolder() + QStringLiteral("/.raderas-") + kontoNamn;
}

QString accountFile(const QString& kontoNamn, const QString& file) {
    return accountFolder(kontoNamn) + QLatin1Char('/') + file;
}
QString errLogPath() {
    return joined(Module1.StartFolder, QStringLiteral("ErrLog"));
}

QString sokvagPath(const QString& sokvag) {
    QString s = trimBlanks(sokvag);
    if (s.size() >= 2 && s.at(1) == QLatin1Char(':') && s.at(0).isLetter())
        s = s.mid(2);
    QString path;
    if (s.startsWith(QLatin1Char('\\')))
        path = joined(Module1.BaseFolder, s.mid(1));
    else if (s.startsWith(QLatin1Char('/')))
        path = s;
    else
        path = joined(Module1.StartFolder, s);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QRegularExpression repeats(QStringLiteral("/{2,}"));
    path.replace(repeats, QStringLiteral("/"));
    return path;
}

} // namespace fyn
