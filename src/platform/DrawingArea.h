#pragma once
// A picture area that keeps the list of what was drawn on it and paints that
// list: fifteen twips a pixel, on its own background colour. Its child
// controls are ordinary widgets.
#include "platform/Canvas.h"

#include <QFont>
#include <QWidget>
#include <vector>

namespace platform {

struct DrawItem {
    enum class Kind { Line, Text };
    Kind kind;
    QColor color;
    QPointF from; // a text's top left
    QPointF to;
    QString text;
};

class DrawingArea : public QWidget, public Canvas {
public:
    explicit DrawingArea(QWidget* parent = nullptr);

    void setColor(const QColor& c) override { color_ = c; }
    void line(QPointF from, QPointF to) override;
    void moveTo(QPointF p) override { pen_ = p; }
    void lineTo(QPointF p) override;
    void text(QPointF topLeft, const QString& s) override;
    void clear() override;

    // The font of the text drawn.
    void setDrawFont(const QFont& f) { drawFont_ = f; }
    const std::vector<DrawItem>& items() const { return items_; }
    QColor color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::vector<DrawItem> items_;
    QColor color_ = Qt::black;
    QPointF pen_;
    QFont drawFont_;
};

} // namespace platform
