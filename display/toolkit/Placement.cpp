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

}  // namespace

void CentreOnScreen(QWidget& window) {
    window.adjustSize();  // a form not shown yet has its fixed size only after this
    QRect frame(QPoint(0, 0), window.size());
    frame.moveCenter(FreeArea(window).center());
    window.move(frame.topLeft());
}

void PlaceBeside(QWidget& window, const QWidget& anchor) {
    window.adjustSize();
    window.move(BesidePosition(anchor.frameGeometry(), window.size(), FreeArea(anchor)));
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

}  // namespace toolkit
