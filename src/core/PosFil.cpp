#include "core/PosFil.h"

#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/RecordFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace fyn {

namespace {

bool startsWithDigit(const QString& s) {
    return !s.isEmpty() && s.at(0).unicode() >= '0' && s.at(0).unicode() <= '9';
}

int toPixels(long twips) {
    return int(twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                          : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel));
}

void storePair(const RecordFile& file, PosFilPost& rec, int index, QPoint px) {
    rec.Pos[2 * index] = QString::number(px.x() * kTwipsPerPixel);
    rec.Pos[2 * index + 1] = QString::number(px.y() * kTwipsPerPixel);
    file.put(1, rec);
}

} // namespace

std::optional<QPoint> loadWindowPos(WindowPos window, QPoint current) {
    const int i = int(window);
    RecordFile file = openRecordFile<PosFilPost>(posFilPath());
    if (window == WindowPos::HeadForm && file.sizeInBytes() < 1) {
        const QPoint start(toPixels(1500), toPixels(3500));
        PosFilPost rec = file.get<PosFilPost>(1);
        rec.Pos[0] = QStringLiteral("1500");
        rec.Pos[1] = QStringLiteral("3500");
        file.put(1, rec);
        return start;
    }
    PosFilPost rec = file.get<PosFilPost>(1);
    if (window != WindowPos::HeadForm && !startsWithDigit(rec.Pos[2 * i])) {
        storePair(file, rec, i, current);
        return std::nullopt;
    }
    return QPoint(toPixels(toLong(rec.Pos[2 * i])), toPixels(toLong(rec.Pos[2 * i + 1])));
}

bool saveWindowPos(WindowPos window, QPoint current) {
    const int i = int(window);
    RecordFile file = openRecordFile<PosFilPost>(posFilPath());
    PosFilPost rec = file.get<PosFilPost>(1);
    // An empty file or a blank pair holds nothing to compare with.
    const bool empty = file.sizeInBytes() < 1 || trimBlanks(rec.Pos[2 * i]).isEmpty();
    if (!empty) {
        const QPoint stored(toPixels(toLong(rec.Pos[2 * i])), toPixels(toLong(rec.Pos[2 * i + 1])));
        if (stored == current)
            return false;
    }
    storePair(file, rec, i, current);
    return true;
}

void restoreWindowPosition(QWidget& w, WindowPos window) {
    const std::optional<QPoint> to = loadWindowPos(window, w.pos());
    if (!to)
        return;
    QPoint p = *to;
    // Kept on screen: at least the top-left corner of the frame must show.
    if (const QScreen* screen = QGuiApplication::screenAt(p) ? QGuiApplication::screenAt(p)
                                                             : QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        const QSize size = w.frameGeometry().size();
        p.setX(qBound(avail.left(), p.x(), qMax(avail.left(), avail.right() - size.width() + 1)));
        p.setY(qBound(avail.top(), p.y(), qMax(avail.top(), avail.bottom() - size.height() + 1)));
    }
    w.move(p);
}

void storeWindowPosition(QWidget& w, WindowPos window) {
    saveWindowPos(window, w.pos());
}

} // namespace fyn
