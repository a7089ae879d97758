#include "mainwindow/ScrollRules.h"

namespace fyn {

void narrowRange(GridWindow& w, long n) {
    w.min = w.value > 10 ? w.value - 10 : 1;
    w.max = n - w.value > 10 ? w.value + 10 : n;
}

GridWindow scrollSet(long n, long p) {
    GridWindow w;
    w.enabled = true;
    w.min = 1;
    w.max = n;
    if (n <= 10) {
        w.value = 1;
        w.windowEnd = n;
        w.enabled = false;
    } else if (n - p <= 10) {
        w.value = n - 9;
        w.windowEnd = n;
    } else if (p <= 1) {
        w.value = 1;
        w.windowEnd = 10;
    } else {
        w.value = p - 1;
        w.windowEnd = p + 8;
    }
    narrowRange(w, n);
    return w;
}

bool scrollTo(GridWindow& w, long v, long n) {
    if (n <= 10) {
        w.value = 1;
        return false;
    }
    if (v + 9 >= n) {
        w.value = n - 9;
        if (w.windowEnd >= n)
            return false;
        w.windowEnd = n;
    } else if (v < 2) {
        w.value = 1;
        w.windowEnd = 10;
    } else {
        w.value = v;
        w.windowEnd = v + 9;
    }
    narrowRange(w, n);
    return true;
}

} // namespace fyn
