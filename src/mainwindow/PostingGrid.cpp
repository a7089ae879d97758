#include "mainwindow/PostingGrid.h"

#include "platform/Ui.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace fyn {

PostingGrid::PostingGrid(const std::vector<int>& widths, QWidget* parent)
    : QTableWidget(10, int(widths.size()), parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(platform::twips(270));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < int(widths.size()); ++c)
        setColumnWidth(c, platform::twips(widths[c]));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The grid takes the focus, by a click on a row or by Tab, so that the
    // keys that scroll it reach it and a screen reader follows its cells.
    setFocusPolicy(Qt::StrongFocus);
    setTabKeyNavigation(false);
    setMouseTracking(true);
    setFont(platform::uiFont(platform::kArial, 9));
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(kPaleYellow);
            item->setForeground(kBlack);
            setItem(r, c, item);
        }
}

void PostingGrid::setCell(int row, int col, const QString& text, CellAlign align) {
    QTableWidgetItem* it = item(row, col);
    it->setText(text);
    switch (align) {
    case CellAlign::LeftBottom:
        it->setTextAlignment(Qt::AlignLeft | Qt::AlignBottom);
        break;
    case CellAlign::RightBottom:
        it->setTextAlignment(Qt::AlignRight | Qt::AlignBottom);
        break;
    case CellAlign::CentreCentre:
        it->setTextAlignment(Qt::AlignCenter);
        break;
    }
}

QString PostingGrid::cellText(int row, int col) const {
    return item(row, col)->text();
}
void PostingGrid::setFore(int row, int col, const QColor& c) {
    item(row, col)->setForeground(c);
}
void PostingGrid::setBack(int row, int col, const QColor& c) {
    item(row, col)->setBackground(c);
}
QColor PostingGrid::fore(int row, int col) const {
    return item(row, col)->foreground().color();
}
QColor PostingGrid::back(int row, int col) const {
    return item(row, col)->background().color();
}

void PostingGrid::setRowBack(int row, const QColor& c) {
    for (int col = 0; col < columnCount(); ++col)
        setBack(row, col, c);
}

void PostingGrid::clearTexts() {
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            item(r, c)->setText(QString());
}

int PostingGrid::rowsHeight() const {
    return 10 * rowHeight(0) + 2 * frameWidth();
}

bool PostingGrid::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::MouseMove || e->type() == QEvent::HoverMove)
        emit hovered();
    if (e->type() == QEvent::Wheel && bar_) {
        // The ten rows always fit, so the grid has nothing of its own to
        // scroll: the turn goes to the bar as if made over it, and its steps,
        // limits and state (a disabled bar takes none) are the grid's.
        const auto* wheel = static_cast<QWheelEvent*>(e);
        const QPointF at = QRectF(bar_->rect()).center();
        QWheelEvent turn(at, bar_->mapToGlobal(at), wheel->pixelDelta(), wheel->angleDelta(),
                         wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted(),
                         wheel->source(), wheel->pointingDevice());
        QCoreApplication::sendEvent(bar_, &turn);
        e->accept();
        return true;
    }
    return QTableWidget::viewportEvent(e);
}

void PostingGrid::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        break;
    default:
        QTableWidget::keyPressEvent(e);
        return;
    }
    // The rows are the bar's window, not a list of their own to move in: the
    // key goes to the bar, whose steps and narrowed range decide. A disabled
    // bar (ten postings or fewer, an amount being changed) takes none.
    if (bar_ && bar_->isEnabled()) {
        QKeyEvent key(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(),
                      ushort(e->count()));
        QCoreApplication::sendEvent(bar_, &key);
    }
    e->accept();
}

} // namespace fyn
