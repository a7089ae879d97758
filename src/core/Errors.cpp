#include "core/Errors.h"

#include "core/ErrorRoutine.h"
#include "core/State.h"
#include "platform/SysError.h"

#include <QFileInfo>
#include <new>

namespace fyn {

RuntimeError::RuntimeError(const QString& text, QString where)
    : std::runtime_error(text.toStdString()), text_(text), where_(std::move(where)) {}

void raiseError(const QString& sysText) {
    throw RuntimeError(sysText);
}

void raiseErrno(int errnoValue) {
    throw RuntimeError(platform::sysErrorText(errnoValue));
}

void raiseErrno(int errnoValue, const QString& path) {
    RuntimeError e(platform::sysErrorText(errnoValue));
    e.setPath(path);
    throw e;
}

QString recordPlace(const QString& path, long record) {
    return QFileInfo(path).fileName() + QStringLiteral(", post ") + QString::number(record);
}

QString currentErrorWhere() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e.where();
    } catch (...) {
        return {};
    }
}

QString currentErrorPath() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e.path();
    } catch (...) {
        return {};
    }
}

QString currentErrorText() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e.text();
    } catch (const std::bad_alloc&) {
        return platform::kOutOfMemory;
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
}

void fillErrorTexts(const QString& sysText, const ErrorContext& c, const QString& where,
                    const QString& path) {
    Module1.SysFel = sysText;
    Module1.FelPath = path;
    QString text =
        QStringLiteral("Ett fel har uppstått i subrutinen ") + c.routine + c.messageSuffix;
    for (const QString& line : c.messageLines)
        text += QLatin1Char('\n') + line;
    const QString whereLine = QStringLiteral("Felet finns i ") + where;
    if (!where.isEmpty())
        text += QLatin1Char('\n') + whereLine;
    text += QString(c.trailingLineFeeds, QLatin1Char('\n'));
    Module1.FelText = text;

    QString dump = QStringLiteral("Fel i rutinen ") + c.routine;
    if (c.region > 0)
        dump += QStringLiteral(" (%1)").arg(c.region);
    for (const QString& line : c.dumpLines)
        dump += c.separator + line;
    if (!where.isEmpty())
        dump += c.separator + whereLine;
    Module1.FelDump = dump;
    Module1.FelSep = c.separator;
}

void reportError() {
    GeneralError();
}

} // namespace fyn
