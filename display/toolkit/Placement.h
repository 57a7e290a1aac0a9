// Where windows open: the first one centred on the screen, a companion beside its window.
// Placed by the program itself, so the same holds without a window manager. Under one, the
// position of a window is that of its frame, which the window manager draws only once the
// window is shown: until then an allowance for it keeps the frames apart.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

class QWidget;

namespace toolkit {

/// Space left between a window and the one placed beside it, in pixels.
inline constexpr int kWindowGap = 8;

/// What a window manager's frame is taken to add around a window until it is known: its
/// borders and a title bar.
inline constexpr QMargins kFrameAllowance{4, 28, 4, 4};

/// Moves the window, at its own size, to the centre of its screen's free area.
void CentreOnScreen(QWidget& window);

/// As CentreOnScreen, but when the free area has room for a companion window with the given
/// client size on the right, the two are centred together, the window on the left.
void CentreWithRoomBeside(QWidget& window, QSize companion);

/// Moves the window beside the anchor window (see BesidePosition), frames included.
void PlaceBeside(QWidget& window, const QWidget& anchor);

/// The top-left corner of a frame of the given size beside the anchor's frame: to its right
/// when the free area has room, else below it, else in the free area's lower right corner.
QPoint BesidePosition(const QRect& anchor, const QSize& size, const QRect& available);

/// The left edge of a window's frame of the given width that leaves room for the companion's
/// frame beside it with both centred in the free area; nothing when there is no room.
std::optional<int> LeftOfCentredPair(int width, int companion, const QRect& available);

}  // namespace toolkit
