// The image is the truth; painting only copies the exposed part of it.
#include "display/toolkit/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

#include "display/toolkit/Twips.h"

namespace toolkit {

PictureBox::PictureBox(QWidget* client, QRect twips, const QImage& image)
    : QWidget(client), image_(image) {
    setGeometry(TwipsRect(twips));
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::Refresh(QRect changed) {
    if (!changed.isEmpty()) update(changed);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);  // below the image, if the box is larger
    painter.drawImage(event->rect().topLeft(), image_, event->rect());
}

}  // namespace toolkit
