#include "platform/DrawingArea.h"

#include <QFontMetricsF>
#include <QPainter>

namespace platform {

namespace {

constexpr double kTwipsPerPixel = 15;

QPointF pixels(QPointF twips) {
    return twips / kTwipsPerPixel;
}

} // namespace

DrawingArea::DrawingArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(true);
}

void DrawingArea::line(QPointF from, QPointF to) {
    items_.push_back({DrawItem::Kind::Line, color_, from, to, {}});
    pen_ = to;
    update();
}

void DrawingArea::lineTo(QPointF p) {
    line(pen_, p);
}

void DrawingArea::text(QPointF topLeft, const QString& s) {
    items_.push_back({DrawItem::Kind::Text, color_, topLeft, topLeft, s});
    update();
}

void DrawingArea::clear() {
    items_.clear();
    update();
}

void DrawingArea::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(drawFont_);
    const double ascent = QFontMetricsF(drawFont_, this).ascent();
    for (const DrawItem& i : items_) {
        p.setPen(QPen(i.color, 1));
        if (i.kind == DrawItem::Kind::Line)
            p.drawLine(pixels(i.from), pixels(i.to));
        else
            p.drawText(pixels(i.from) + QPointF(0, ascent), i.text);
    }
}

} // namespace platform
