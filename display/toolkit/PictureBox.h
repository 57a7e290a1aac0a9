// The drawing surface: shows a persistent image that its owner paints into, which also
// repaints the box when it is uncovered. Points are plotted into the image, never onto the
// screen directly.
#pragma once

#include <QImage>
#include <QWidget>

namespace toolkit {

class PictureBox : public QWidget {
  public:
    /// image is shown as it is at every paint; it must outlive the box's paints.
    PictureBox(QWidget* client, QRect twips, const QImage& image);

    /// The image shown.
    const QImage& Image() const { return image_; }

    /// Repaints the part of the box that changed in the image.
    void Refresh(QRect changed);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const QImage& image_;
};

}  // namespace toolkit
