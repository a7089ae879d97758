#include "output/Diagram.h"

namespace fyn::output {

using namespace diagram;

namespace {

// Whole kronor, a half to the even neighbour.
std::int64_t wholeKronor(std::int64_t cents) {
    const std::int64_t whole = cents / 100;
    const std::int64_t rest = cents % 100;
    return rest > 50 || (rest == 50 && whole % 2 != 0) ? whole + 1 : whole;
}

void place(DiagramPage& page, const Statistics& s, int position, int entry) {
    page.entry[size_t(position)] = entry;
    const std::int64_t cents = s.rows[size_t(entry - 1)].cents;
    page.largest = std::max(page.largest, wholeKronor(cents));
    page.sumCents += cents;
}

} // namespace

DiagramPage fillDiagramPage(const Statistics& s, DiagramPaging& paging) {
    DiagramPage page;
    for (int a = paging.topRec; a <= paging.stopRec; ++a) {
        if (page.b == kEntries) {
            paging.more = true;
            paging.topRec = a; // the first entry not drawn
            page.command9 = QStringLiteral("Nästa");
            page.command9Enabled = true;
            return page;
        }
        place(page, s, ++page.b, a);
    }
    page.command9 = QStringLiteral("Från början");
    if (page.b == kEntries) {
        paging.topRec = paging.startRec;
        paging.more = false;
    } else if (!paging.more) {
        page.command9Enabled = false; // the only page
    } else {
        // The last of several pages shows the last 25 entries.
        page = DiagramPage{};
        page.command9 = QStringLiteral("Från början");
        for (int p = kEntries, a = paging.stopRec; p >= 1 && a >= paging.startRec; --p, --a)
            place(page, s, p, a);
        page.b = kEntries;
        paging.topRec = paging.startRec;
        paging.more = false;
        page.command9Enabled = true;
    }
    return page;
}

int scaleTop(std::int64_t largest) {
    static constexpr int kTops[] = {10,   20,   50,    100,   200,   500,   1000,
                                    2000, 5000, 10000, 20000, 50000, 100000};
    if (largest < 1)
        return 0;
    for (const int top : kTops)
        if (largest <= top)
            return top;
    return 0;
}

int columnStep(int b) {
    if (b >= 17)
        return 2;
    if (b >= 13)
        return 3;
    static constexpr int kSteps[] = {0, 0, 25, 16, 12, 10, 8, 7, 6, 5, 5, 4, 4};
    return b >= 1 ? kSteps[b] : 0;
}

DiagramDrawn drawDiagramPage(platform::Canvas& canvas, const Statistics& s, const DiagramPage& page,
                             bool expense) {
    // The grid, in black whatever colour was drawn in last.
    canvas.setColor(kGrid);
    for (int y = kYStart; y <= kYStop; y += kYStep)
        canvas.line(QPointF(kXStart, y), QPointF(kXStop, y));
    for (int x = kXStart; x <= kXStop; x += kXStep)
        canvas.line(QPointF(x, kYStart), QPointF(x, kYStop));
    for (int x = kXStart + 15; x <= kXStop + 15; x += 10 * kXStep)
        canvas.line(QPointF(x, kYStart), QPointF(x, kYStop));

    canvas.setColor(expense ? kExpense : kOther);
    DiagramDrawn d;
    d.tv = scaleTop(page.largest);
    const double k = d.tv > 0 ? double(kYStop - kYStart) / d.tv : 0;
    auto amount = [&](int position) {
        return double(s.rows[size_t(page.entry[size_t(position)] - 1)].cents) / 100;
    };
    if (d.tv > 0) {
        canvas.text(QPointF(kXStop, kYStart - 150), QString::number(d.tv));
        canvas.text(QPointF(kXStop, kYStart - 150 + 5 * kYStep), QString::number(d.tv / 2));
        d.xf = columnStep(page.b);
        int c = 1;
        for (int p = 1; p <= page.b; ++p, c += d.xf) {
            const std::string_view date = s.rows[size_t(page.entry[size_t(p)] - 1)].dateText();
            canvas.text(QPointF(xPos(c), kYStop - 100), QStringLiteral("|"));
            canvas.text(QPointF(xPos(c), kYStop + 75),
                        QString::fromLatin1(date.data() + 5, 5)); // "mm-dd"
        }
        auto year = [&](int p) {
            return QString::fromLatin1(s.rows[size_t(page.entry[size_t(p)] - 1)].date.data(), 4);
        };
        QString label = QStringLiteral("År ") + year(1);
        if (year(page.b) != year(1))
            label += QStringLiteral(" - ") + year(page.b);
        d.yearLabel = label;
        c = 1;
        d.pen = QPointF(xPos(1), kYStop - amount(1) * k);
        canvas.moveTo(d.pen);
        for (int p = 2; p <= kEntries && page.entry[size_t(p)] != 0; ++p) {
            c += d.xf;
            d.pen = QPointF(xPos(c), kYStop - amount(p) * k);
            canvas.lineTo(d.pen);
        }
    }
    d.mean = page.b > 0 ? double(page.sumCents) / 100 / page.b : 0;
    const double y = kYStop - d.mean * k;
    canvas.line(QPointF(kXStart, y), QPointF(kXStop, y));
    canvas.text(QPointF(510, y - 150), QStringLiteral("MV"));
    return d;
}

} // namespace fyn::output
