#include "budget/HelpText.h"

#include "core/Codec1252.h"
#include "core/Numbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fyn::budget {

namespace {

// Far more than twenty sections of help need; a larger file is no help file.
constexpr qint64 kMaxBytes = 1 << 20;

} // namespace

QString helpSection(const QString& fileText, int n) {
    QString text = fileText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QString key = QStringLiteral("§") + QString::number(n);
    qsizetype i = 0;
    while (i < lines.size() && trimBlanks(lines[i]) != key)
        ++i;
    if (i == lines.size())
        return {};
    QString out;
    for (++i; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(QStringLiteral("§")))
            break;
        // The last line of a file that ends in a line break is no line.
        if (i == lines.size() - 1 && line.isEmpty())
            break;
        out += trimBlanks(line).isEmpty() ? QStringLiteral("\n") : line + QLatin1Char('\n');
    }
    return out;
}

QString budgInfoPath(const QString& startFolder, const QString& programFolder) {
    for (const QString& folder : {startFolder, programFolder}) {
        if (folder.isEmpty())
            continue;
        const QString path = QDir(folder).filePath(kBudgInfoFile);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString readHelpSection(const QString& startFolder, const QString& programFolder, int n) {
    const QString path = budgInfoPath(startFolder, programFolder);
    if (path.isEmpty())
        return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxBytes)
        return {};
    return helpSection(fromCp1252(f.read(kMaxBytes)), n);
}

} // namespace fyn::budget
