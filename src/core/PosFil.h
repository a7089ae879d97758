#pragma once
// Window positions in PosFil: one pair of fields (Left, Top in twips) a window.
#include <QPoint>
#include <optional>

class QWidget;

namespace fyn {

enum class WindowPos {
    HeadForm = 0,
    BackUpForm,
    DonateForm,
    BudgAltForm,
    NyKontoForm,
    SubTransForm,
    TransForm,
    UtskrStatForm,
    MsgForm,
    HolidayForm
};

constexpr int kTwipsPerPixel = 15;

// When a window loads, with its current position in pixels. Returns where it is
// to move (pixels), or nothing when its pair held no stored position and the
// current one was stored instead. The main window takes 1500/3500 twips when
// PosFil is empty and otherwise always restores its pair.
std::optional<QPoint> loadWindowPos(WindowPos window, QPoint currentPixels);

// When a window closes: stores its position when it differs from its pair.
// Returns whether PosFil was written.
bool saveWindowPos(WindowPos window, QPoint currentPixels);

// The same for a widget: moves it (kept on screen) or stores it.
void restoreWindowPosition(QWidget& w, WindowPos window);
void storeWindowPosition(QWidget& w, WindowPos window);

} // namespace fyn
