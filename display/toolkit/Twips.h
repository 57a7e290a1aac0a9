// Layout measures: the windows are laid out in twips, 15 to a pixel.
#pragma once

#include <QRect>

namespace toolkit {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Pixels(int twips) {
    return twips / kTwipsPerPixel;
}

/// A rectangle given as left, top, width, height in twips, in pixels.
inline QRect TwipsRect(QRect twips) {
    return QRect(Pixels(twips.x()), Pixels(twips.y()), Pixels(twips.width()),
                 Pixels(twips.height()));
}

}  // namespace toolkit
