// The keyboard back to where it was once a modal dialog or message box has closed. Without a
// window manager nothing else gives it back: the X server hands it to the root window when
// the dialog's window goes, and the main window's shortcuts would no longer work.
#pragma once

#include <QPointer>
#include <QWidget>

namespace toolkit {

class FocusReturn {
  public:
    /// Remembers the active window, or the window of `fallback` when none is active.
    explicit FocusReturn(QWidget* fallback = nullptr);
    /// Activates the remembered window again, if it is still shown.
    ~FocusReturn();
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

  private:
    QPointer<QWidget> window_;
};

}  // namespace toolkit
