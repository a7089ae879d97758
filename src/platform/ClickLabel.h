#pragma once
// A label that reports the mouse being pressed on it, and hovering.
#include <QLabel>
#include <QMouseEvent>

namespace platform {

class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void pressed();
    void clicked();
    void hovered();

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton)
            emit pressed();
        QLabel::mousePressEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(e);
    }
    void enterEvent(QEnterEvent* e) override {
        emit hovered();
        QLabel::enterEvent(e);
    }
};

} // namespace platform
