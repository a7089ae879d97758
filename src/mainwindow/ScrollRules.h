#pragma once
// Which ten postings the grid shows, and how far one drag of the scroll bar may
// move it. Pure rules, so they are tested without a window.

namespace fyn {

struct GridWindow {
    long value = 1;     // the first posting shown (the scroll bar's value)
    long windowEnd = 0; // the last posting shown
    long min = 1;       // the scroll bar's range
    long max = 1;
    bool enabled = false;
};

// Places the window so that the current posting shows: the last ten postings
// when it is near the end, else the current posting on the second row.
GridWindow scrollSet(long antalPoster, long postNr);

// Narrows the scroll range to ten postings either side of the value.
void narrowRange(GridWindow& w, long antalPoster);

// The scroll bar moved to value. Returns false when nothing is to be reloaded
// (the window already ends at the last posting).
bool scrollTo(GridWindow& w, long value, long antalPoster);

} // namespace fyn
