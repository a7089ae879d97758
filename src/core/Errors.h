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
    explicit RuntimeError(const QString& text);
    const QString& text() const { return text_; }

private:
    QString text_;
};

[[noreturn]] void raiseError(const QString& sysText);
[[noreturn]] void raiseErrno(int errnoValue);

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

// Fills SysFel, FelText and FelDump by the handler convention.
void fillErrorTexts(const QString& sysText, const ErrorContext& context);

// The text of whatever is being handled now (call inside a catch block).
QString currentErrorText();

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
        const QString text = currentErrorText();
        fillErrorTexts(text, context());
    }
    reportError();
    return false;
}

} // namespace fyn
