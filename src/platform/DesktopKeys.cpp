#include "platform/DesktopKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace platform {

namespace {

class DesktopKeys final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        // Only Enter itself: Ctrl+Enter and the like keep their own meaning.
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->isEnabled() || !button->isVisible())
            return false;
        // A held key presses once: a repeat must not post twice.
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
};

QPointer<DesktopKeys> installed;

} // namespace

void installDesktopKeys() {
    if (installed || !qApp)
        return;
    installed = new DesktopKeys(qApp);
    qApp->installEventFilter(installed);
}

} // namespace platform
