// The image is the truth; painting only copies the exposed part of it.
#include "display/toolkit/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

#include "display/toolkit/Twips.h"

namespace toolkit {

PictureBox::PictureBox(QWidget* client, QRect twips) : QWidget(client) {
    setGeometry(TwipsRect(twips));
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::Refresh() {
    const QRect changed = picture_.TakeChanged();
    if (!changed.isEmpty()) update(changed);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);  // below the image, if the box is larger
    painter.drawImage(event->rect().topLeft(), picture_.Image(), event->rect());
}

}  // namespace toolkit
