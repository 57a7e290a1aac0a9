// The drawing surface: shows its persistent image (the picture the tick paints on), which
// also repaints it when it is uncovered. Points are plotted into the image, never onto
// the screen directly.
#pragma once

#include <QWidget>

#include "display/Picture.h"

namespace toolkit {

class PictureBox : public QWidget {
  public:
    PictureBox(QWidget* client, QRect twips);

    /// The persistent image; whoever paints into it calls Refresh() afterwards.
    Picture& picture() { return picture_; }
    const Picture& picture() const { return picture_; }

    /// Repaints the part of the box whose pixels were plotted since the last Refresh.
    void Refresh();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Picture picture_;
};

}  // namespace toolkit
