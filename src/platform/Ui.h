#pragma once
// Small helpers for laying out windows in twips with the stand-in fonts.
#include "platform/DesktopKeys.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFont>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <type_traits>

namespace platform {

constexpr int twips(int t) {
    return t / 15;
}

// Metric-compatible stand-ins for Arial and Arial Narrow.
inline const QString kArial = QStringLiteral("Liberation Sans");
inline const QString kArialNarrow = QStringLiteral("Liberation Sans Narrow");

inline QFont uiFont(const QString& family, double points, bool bold = false) {
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// Places a control at left, top, width, height in twips.
inline void placeTwips(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

// A press of Enter (either key), the key the text boxes answer on.
inline bool isEnterPress(const QEvent* e) {
    if (e->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(e)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Creates a child control with its objectName set. A window with buttons gets
// the desktop's keys for them.
template <class W, class... Args>
W* makeControl(QWidget* parent, const char* name, Args&&... args) {
    if constexpr (std::is_base_of_v<QAbstractButton, W>)
        installDesktopKeys();
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace platform
