// Plotting into the image.
#include "display/Picture.h"

#include <cmath>
#include <utility>

Picture::Picture() : image_(kWidth, kHeight, QImage::Format_RGB32) {
    image_.fill(Qt::black);
}

bool Picture::Plot(PicturePoint point, QRgb colour) {
    // The pixel (k, l) covers [k, k+1) x [l, l+1); the comparisons also drop NaN.
    if (!(point.X >= 0 && point.X < kWidth && point.Y >= 0 && point.Y < kHeight)) return false;
    const int k = static_cast<int>(point.X), l = static_cast<int>(point.Y);
    reinterpret_cast<QRgb*>(image_.scanLine(l))[k] = colour;
    changed_ |= QRect(k, l, 1, 1);
    if ((colour & RGB_MASK) != 0) inked_ |= QRect(k, l, 1, 1);  // not black
    return true;
}

QRect Picture::TakeChanged() {
    return std::exchange(changed_, QRect());
}
