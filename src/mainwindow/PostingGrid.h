#pragma once
// A posting grid: ten rows of text cells with alignment and colours, no
// headings, and a click that tells the row and column.
#include <QColor>
#include <QTableWidget>

class QScrollBar;
#include <vector>

namespace fyn {

// Colours as the program names them.
inline const QColor kPaleYellow(0xFF, 0xFF, 0xC0); // &HC0FFFF
inline const QColor kPaleRed(0xFF, 0xC0, 0xC0);    // &HC0C0FF
inline const QColor kGreen(0x00, 0xFF, 0x00);      // &H00FF00
inline const QColor kRed(0xFF, 0x00, 0x00);        // 255
inline const QColor kBlue(0x00, 0x00, 0xFF);       // &HFF0000
inline const QColor kBlack(0x00, 0x00, 0x00);

enum class CellAlign { LeftBottom, RightBottom, CentreCentre };

class PostingGrid : public QTableWidget {
    Q_OBJECT
public:
    // Column widths in twips; ten rows.
    PostingGrid(const std::vector<int>& widthsTwips, QWidget* parent = nullptr);

    void setCell(int row, int col, const QString& text, CellAlign align);
    QString cellText(int row, int col) const;
    void setFore(int row, int col, const QColor& c);
    void setBack(int row, int col, const QColor& c);
    QColor fore(int row, int col) const;
    QColor back(int row, int col) const;
    // Every cell of the row.
    void setRowBack(int row, const QColor& c);
    // All texts emptied; colours stay.
    void clearTexts();
    // The grid's height for ten rows of the row height.
    int rowsHeight() const;
    // The scroll bar beside the grid, which moves its window of postings: a
    // wheel turn over the rows is a turn over it, and so are its keys (arrows,
    // Page Up/Down, Home, End) pressed while the grid has the focus.
    void setScrollBar(QScrollBar* bar) { bar_ = bar; }

signals:
    void hovered();

protected:
    bool viewportEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QScrollBar* bar_ = nullptr;
};

} // namespace fyn
