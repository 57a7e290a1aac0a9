// Positions are computed from the windows' sizes before they are first shown.
#include "display/toolkit/Placement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace toolkit {

namespace {

QRect FreeArea(const QWidget& window) {
    return window.screen()->availableGeometry();
}

// The frame of a window: as drawn, or as the allowance expects it while none is known.
QMargins FrameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry(), client = window.geometry();
    if (frame == client) return kFrameAllowance;
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

// Where the frame is, or will be once drawn at the window's position.
QRect ExpectedFrame(const QWidget& window) {
    return QRect(window.pos(), window.size().grownBy(FrameMargins(window)));
}

}  // namespace

void CentreOnScreen(QWidget& window) {
    window.adjustSize();  // a form not shown yet has its fixed size only after this
    QRect frame(QPoint(0, 0), window.size());
    frame.moveCenter(FreeArea(window).center());
    window.move(frame.topLeft());
}

void CentreWithRoomBeside(QWidget& window, QSize companion) {
    CentreOnScreen(window);
    const int width = window.size().grownBy(kFrameAllowance).width();
    const int other = companion.grownBy(kFrameAllowance).width();
    if (const auto left = LeftOfCentredPair(width, other, FreeArea(window)))
        window.move(*left, window.y());
}

void PlaceBeside(QWidget& window, const QWidget& anchor) {
    window.adjustSize();
    // The window manager that framed the anchor will frame the window alike.
    const QSize frame = window.size().grownBy(FrameMargins(anchor));
    window.move(BesidePosition(ExpectedFrame(anchor), frame, FreeArea(anchor)));
}

QPoint BesidePosition(const QRect& anchor, const QSize& size, const QRect& available) {
    const QPoint right(anchor.right() + 1 + kWindowGap, anchor.top());
    if (available.contains(QRect(right, size))) return right;
    const QPoint below(anchor.left(), anchor.bottom() + 1 + kWindowGap);
    if (available.contains(QRect(below, size))) return below;
    // No room beside: the lower right corner, away from the anchor's menus and buttons.
    return QPoint(std::max(available.left(), available.right() + 1 - size.width()),
                  std::max(available.top(), available.bottom() + 1 - size.height()));
}

std::optional<int> LeftOfCentredPair(int width, int companion, const QRect& available) {
    const int pair = width + kWindowGap + companion;
    if (pair > available.width()) return std::nullopt;
    return available.left() + (available.width() - pair) / 2;
}

}  // namespace toolkit
