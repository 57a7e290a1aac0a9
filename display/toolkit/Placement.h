// Where windows open: the first one centred on the screen, a companion beside its window.
// Placed by the program itself, so the same holds without a window manager.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace toolkit {

/// Space left between a window and the one placed beside it, in pixels.
inline constexpr int kWindowGap = 8;

/// Moves the window, at its own size, to the centre of its screen's free area.
void CentreOnScreen(QWidget& window);

/// Moves the window beside the anchor window (see BesidePosition).
void PlaceBeside(QWidget& window, const QWidget& anchor);

/// The top-left corner of a window of the given size beside the anchor: to its right when
/// the free area has room, else below it, else in the free area's lower right corner.
QPoint BesidePosition(const QRect& anchor, const QSize& size, const QRect& available);

}  // namespace toolkit
