#pragma once
// The diagram of a transaction's statistics, free of widgets: 25 postings a
// page, paged forward and, on the last page, filled back to 25; the grid, the
// amount scale, ticks and dates, the curve of the absolute amounts and the
// page's mean line, drawn on a canvas in twips.
#include "output/Statistics.h"
#include "platform/Canvas.h"

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace fyn::output {

namespace diagram {
inline constexpr int kXStart = 840, kXStep = 220, kXStop = 11840;
inline constexpr int kYStart = 540, kYStep = 330, kYStop = 3840;
inline constexpr int kEntries = 25;
// The middle of diagram column i (1..50).
constexpr double xPos(int i) {
    return 950 + (i - 1) * kXStep;
}
inline const QColor kGrid = QColor(0, 0, 0);
inline const QColor kExpense = QColor(255, 0, 0);
inline const QColor kOther = QColor(0, 0, 255);
} // namespace diagram

// Where the diagram's paging stands: entries startRec..stopRec (the
// statistics rows 1..N), the first entry of the next page, and whether a page
// was filled with entries left (the dialog's "Matris" "1").
struct DiagramPaging {
    int startRec = 1;
    int stopRec = 0;
    int topRec = 1;
    bool more = false;
};

struct DiagramPage {
    std::array<int, diagram::kEntries + 1> entry{}; // the entry at positions 1..b
    int b = 0;
    std::int64_t largest = 0;            // the largest amount in whole kronor
    std::int64_t sumCents = 0;           // of the absolute amounts
    QString command9;                    // "Nästa" or "Från början"
    std::optional<bool> command9Enabled; // empty: as it was
};

// Fills the page from paging.topRec and moves the paging on.
DiagramPage fillDiagramPage(const Statistics& s, DiagramPaging& paging);

// The top of the scale for the largest amount (whole kronor); 0 for none.
int scaleTop(std::int64_t largest);
// Diagram columns from one entry to the next for b entries.
int columnStep(int b);

// What a drawing found, for the year label and the error reports.
struct DiagramDrawn {
    int tv = 0;
    int xf = 0;
    double mean = 0;
    QPointF pen;
    std::optional<QString> yearLabel; // none on a page without a scale
};

// Draws the page: the grid in black, the rest red for an expense transaction
// and blue otherwise.
DiagramDrawn drawDiagramPage(platform::Canvas& canvas, const Statistics& s, const DiagramPage& page,
                             bool expense);

} // namespace fyn::output
