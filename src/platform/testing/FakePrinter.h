#pragma once
// A printer that records what a document asked of it, one line a call:
//   ORIENTATION 1 | PAGE 11000 16000 | FONT Arial 11 bold | TEXT 850 400 "..." |
//   NEWPAGE | END | ABORT
// The set-up box answers from a script (true: OK, false: cancel); a box
// without an answer throws UnscriptedCall. Widths come from measure, 100
// units a character unless a test sets another; they are asked, not logged.
#include "platform/Printer.h"

#include <QStringList>
#include <deque>
#include <functional>

namespace platform::testing {

class FakePrinters final : public Printers {
public:
    std::deque<bool> answers;
    QStringList setups; // objectName of the window that asked, each time
    QStringList calls;
    std::function<double(const QString&)> measure = [](const QString& s) {
        return 100.0 * double(s.size());
    };
    // The first call whose line begins with failOn throws PrintFailure(failText)
    // once it is recorded.
    QString failOn;
    QString failText = QStringLiteral("Disk full");
    // The PDF file chosen in the box; empty: a printer.
    QString fileTarget;

    std::unique_ptr<PrintJob> setup(QWidget* parent) override;
    // The lines that begin with prefix.
    QStringList callsStarting(const QString& prefix) const;
};

} // namespace platform::testing
