#pragma once
// The screen listing's pages: fifteen rows from the top record, moved by one
// row or one page, never outside the period.
namespace fyn::output {

constexpr int kPageRows = 15;

enum class Scroll { RowUp, PageUp, PageDown, RowDown };

// The new top record after a scroll button, kept within the period's pages:
// from startRec to the top of its last full page.
constexpr int scrolled(Scroll s, int top, int startRec, int stopRec) {
    int t = top;
    switch (s) {
    case Scroll::RowUp:
        t = top - 1;
        break;
    case Scroll::PageUp:
        t = top - kPageRows >= startRec ? top - kPageRows : startRec;
        break;
    case Scroll::RowDown:
        t = top + 1;
        break;
    case Scroll::PageDown:
        t = top + 2 * kPageRows - 1 > stopRec ? stopRec - (kPageRows - 1) : top + kPageRows;
        break;
    }
    const int lastTop = stopRec - (kPageRows - 1) > startRec ? stopRec - (kPageRows - 1) : startRec;
    return t < startRec ? startRec : t > lastTop ? lastTop : t;
}

// Which buttons can move the page: up while rows of the period lie above it,
// down while rows lie below it.
struct ScrollEnabling {
    bool up = false;
    bool down = false;
    bool operator==(const ScrollEnabling&) const = default;
};
constexpr ScrollEnabling scrollEnabling(int top, int startRec, int stopRec) {
    return {top > startRec, top + kPageRows - 1 < stopRec};
}

} // namespace fyn::output
