// The window frame: a fixed-size client below an optional menu bar.
#include "display/toolkit/Form.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QVBoxLayout>

#include "display/toolkit/Twips.h"

namespace toolkit {

Form::Form(int clientWidthTwips, int clientHeightTwips)
    : Form(QSize(Pixels(clientWidthTwips), Pixels(clientHeightTwips))) {}

Form::Form(QSize clientPixels) : client_(new QWidget(this)) {
    client_->setFixedSize(clientPixels);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(client_);
}

QMenuBar* Form::MenuBar() {
    if (!menuBar_) {
        menuBar_ = new QMenuBar(this);
        layout()->setMenuBar(menuBar_);
    }
    return menuBar_;
}

void Form::SetCaption(const std::string& text) {
    setWindowTitle(QString::fromStdString(text));
}

std::string Form::Caption() const {
    return windowTitle().toStdString();
}

void Form::closeEvent(QCloseEvent* event) {
    Form_Unload();
    closed_ = true;
    event->accept();
}

}  // namespace toolkit
