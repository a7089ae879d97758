#pragma once
// Run-time errors and the one guard every error handler goes through.
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace fyn {

// An error of the runtime, carrying its text ("Permission denied", "Type mismatch", ...).
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const QString& text, QString where = {});
    const QString& text() const { return text_; }
    // The data the error was found in, when a file is to blame ("KontoData, post 17").
    const QString& where() const { return where_; }
    void setWhere(const QString& where) { where_ = where; }
    // The file or folder the system refused, when known; the message for a
    // refused access names it.
    const QString& path() const { return path_; }
    void setPath(const QString& path) { path_ = path; }

private:
    QString text_;
    QString where_;
    QString path_;
};

[[noreturn]] void raiseError(const QString& sysText);
[[noreturn]] void raiseErrno(int errnoValue);
// The same, naming the file or folder that was refused.
[[noreturn]] void raiseErrno(int errnoValue, const QString& path);

// "KontoData, post 17": the name of the file at path and a record number.
QString recordPlace(const QString& path, long record);

// Runs body, which decodes record n of the file at path. A runtime error from
// it that names no place yet goes on naming that record, so that the user
// learns which record is damaged and not just "Type mismatch".
template <class Body> decltype(auto) inRecord(const QString& path, long n, Body&& body) {
    try {
        return body();
    } catch (RuntimeError& e) {
        if (e.where().isEmpty())
            e.setWhere(recordPlace(path, n));
        throw;
    }
}

inline const QChar kFelSep = QChar(0xA6); // Chr(166)

// What a routine's handler reports: see fillErrorTexts.
struct ErrorContext {
    ErrorContext() = default;
    ErrorContext(QString routineName, QStringList message = {}, QStringList dump = {})
        : routine(std::move(routineName)), messageLines(std::move(message)),
          dumpLines(std::move(dump)) {}
    QString routine;           // "Form_Load"
    QStringList messageLines;  // context lines of FelText
    QStringList dumpLines;     // context lines and labelled values of FelDump
    QString messageSuffix;     // after the routine's name in FelText (", Nivå = 3")
    int region = 0;            // > 0: " (n)" after the name in FelDump
    int trailingLineFeeds = 1; // FelText ends in one line feed or two
    QChar separator = kFelSep;
};

// Fills SysFel, FelText and FelDump by the handler convention; where, when
// given, ends both with the damaged data it names. FelPath gets path, the file
// or folder that was refused (empty when unknown).
void fillErrorTexts(const QString& sysText, const ErrorContext& context, const QString& where = {},
                    const QString& path = {});

// The text of whatever is being handled now (call inside a catch block).
QString currentErrorText();
// Its place (RuntimeError::where), or empty.
QString currentErrorWhere();
// The file or folder it names as refused (RuntimeError::path), or empty.
QString currentErrorPath();

// Fills the error texts from context for whatever is being handled now, its
// place and the path it refused included (call inside a catch block).
inline void fillCurrentErrorTexts(const ErrorContext& context) {
    fillErrorTexts(currentErrorText(), context, currentErrorWhere(), currentErrorPath());
}

// Calls GeneralError (kept out of this header's includes).
void reportError();

// Runs body. When it fails with an error of the runtime, the handler fills the
// error texts from context(), calls GeneralError and returns false; nothing the
// body did is undone. Other exceptions (the program ending, test doubles) pass.
template <class Body, class Context> bool trap(Body&& body, Context&& context) {
    try {
        body();
        return true;
    } catch (const std::exception&) {
        fillCurrentErrorTexts(context());
    }
    reportError();
    return false;
}

} // namespace fyn
