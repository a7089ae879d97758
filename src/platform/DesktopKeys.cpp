#include "platform/DesktopKeys.h"

#include "platform/Platform.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace platform {

namespace {

constexpr char kHelpTopic[] = "fynHelpTopic";

// The window whose topic F1 opens: an open list or menu belongs to the window
// it opened from.
QWidget* helpWindow(QWidget* w) {
    QWidget* window = w->window();
    while (window->windowType() == Qt::Popup && window->parentWidget())
        window = window->parentWidget()->window();
    return window;
}

class DesktopKeys final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(e);
        // Only the key itself: Ctrl+Enter and the like keep their own meaning.
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (key->key() == Qt::Key_F1)
            return help(watched, *key);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->isEnabled() || !button->isVisible())
            return false;
        // A held key presses once: a repeat must not post twice.
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }

private:
    // The key reaches the window's widgets one after another, inner first: the
    // first answers for the window.
    static bool help(QObject* watched, const QKeyEvent& key) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w)
            return false;
        QWidget* window = helpWindow(w);
        const QVariant topic = window->property(kHelpTopic);
        if (!topic.isValid())
            return false;
        // A window that a dialog has disabled takes no key, F1 included.
        if (window->isEnabled() && !key.isAutoRepeat())
            platform::help().showContext(topic.toInt());
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

void setHelpTopic(QWidget& window, int contextId) {
    installDesktopKeys();
    window.setProperty(kHelpTopic, contextId);
}

} // namespace platform
