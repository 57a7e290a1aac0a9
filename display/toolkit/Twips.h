// Layout measures: the windows are laid out in twips, 15 to a pixel.
#pragma once

#include <QRect>

namespace toolkit {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Pixels(int twips) {
    return twips / kTwipsPerPixel;
}

/// left, top, width, height in twips as pixels.
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

}  // namespace toolkit
