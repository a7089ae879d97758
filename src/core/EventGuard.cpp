#include "core/EventGuard.h"

#include "core/Errors.h"

#include <QObject>

namespace fyn {

bool deliverGuarded(const std::function<bool()>& deliver, const QObject* receiver) {
    // Taken first: the delivery may delete its receiver.
    const char* kind = receiver ? receiver->metaObject()->className() : "";
    bool handled = true;
    trap([&] { handled = deliver(); },
         [&] {
             const QString to = QString::fromLatin1(kind);
             return ErrorContext(QStringLiteral("händelsehanteringen"),
                                 {QStringLiteral("för ") + to +
                                  QStringLiteral(", utan att ha fångats där det uppstod.")},
                                 {QStringLiteral("Ofångat fel vid händelse till ") + to});
         });
    return handled;
}

} // namespace fyn
