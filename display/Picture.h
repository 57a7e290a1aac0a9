// The drawing surface's persistent image: 505 x 457 pixels, black at start; the passes
// plot single white or black pixels, and points outside the image are dropped.
#pragma once

#include <QImage>

#include "display/Projection.h"

class Picture {
  public:
    static constexpr int kWidth = 505;
    static constexpr int kHeight = 457;

    Picture();

    /// Paints the pixel that holds (X, Y); false when the point lies outside the image.
    bool Plot(PicturePoint point, QRgb colour);

    const QImage& Image() const { return image_; }

    /// The smallest rectangle that holds every pixel plotted since the last call (empty
    /// when none was), so that the screen copies only what changed.
    QRect TakeChanged();

    /// The smallest rectangle that holds every pixel ever plotted in a colour other than
    /// black: outside it the image is black, so a copy need not read it there.
    QRect Inked() const { return inked_; }

  private:
    QImage image_;
    QRect changed_;
    QRect inked_;
};
