// Activation asks the window manager, or without one sets the X input focus itself.
#include "display/toolkit/FocusReturn.h"

#include <QApplication>

namespace toolkit {

FocusReturn::FocusReturn(QWidget* fallback) : window_(QApplication::activeWindow()) {
    if (!window_ && fallback) window_ = fallback->window();
}

FocusReturn::~FocusReturn() {
    if (window_ && window_->isVisible()) window_->activateWindow();
}

}  // namespace toolkit
