#pragma once
// The general error routine that every error handler ends in, and the pause.
#include <functional>

namespace fyn {

// Shows the failing routine's message (or the "Permission denied" text) and
// offers an error report.
void GeneralError();

// Shows the error-report form modally; installed by the services at start-up.
void setReportFormOpener(std::function<void()> opener);

// Waits a number of seconds while letting window events through.
void Pause(int seconds);

} // namespace fyn
