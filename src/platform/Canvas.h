#pragma once
// Drawing on a picture area in twips, origin at its top left: lines, a pen
// that moves and draws, and text hung from the top of its character cell,
// all in the current colour.
#include <QColor>
#include <QPointF>
#include <QString>

namespace platform {

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void setColor(const QColor& c) = 0;
    virtual void line(QPointF from, QPointF to) = 0;
    virtual void moveTo(QPointF p) = 0;
    // A line from the pen to p; the pen stays at p.
    virtual void lineTo(QPointF p) = 0;
    virtual void text(QPointF topLeft, const QString& s) = 0;
    // Removes everything drawn.
    virtual void clear() = 0;
};

} // namespace platform
