#pragma once
// The event loop's last resort: an error that escaped every routine's own
// handler is reported as a routine's would be, instead of ending the program.
#include <functional>

class QObject;

namespace fyn {

// Runs one delivery of an event to receiver and answers what it answered. An
// error of the runtime (any std::exception) is reported through the general
// error routine and the event counts as handled; the program's end and the
// test doubles pass.
bool deliverGuarded(const std::function<bool()>& deliver, const QObject* receiver);

} // namespace fyn
