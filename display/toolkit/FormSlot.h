// Non-modal showing of a window that is created on first use: creation runs its load step
// before it is first displayed; an open window is only brought to the front, and back from
// the minimised state if the user had minimised it. A window the user has closed is
// discarded and created afresh at the next showing. A showing activates the window unless
// asked to leave the keyboard where it is.
#pragma once

#include <QPointer>
#include <functional>

namespace toolkit {

template <class F>
class FormSlot {
  public:
    explicit FormSlot(std::function<F*()> create) : create_(std::move(create)) {}
    ~FormSlot() { delete form_.data(); }
    FormSlot(const FormSlot&) = delete;
    FormSlot& operator=(const FormSlot&) = delete;

    enum Activation { Activate, KeepFocus };

    F& Show(Activation activation = Activate) {
        // Qt clears WA_DeleteOnClose when it schedules the deletion, so ask the form itself.
        if (form_ && form_->IsClosed()) {
            form_->deleteLater();
            form_.clear();
        }
        if (!form_) {
            form_ = create_();
            form_->Form_Load();
        }
        // Read when the window is mapped: the window manager is told not to focus it.
        form_->setAttribute(Qt::WA_ShowWithoutActivating, activation == KeepFocus);
        form_->show();
        // A minimised window counts as shown: show() leaves it minimised, out of sight.
        form_->setWindowState(form_->windowState() & ~Qt::WindowMinimized);
        form_->raise();
        if (activation == Activate) form_->activateWindow();
        return *form_;
    }

    /// The window, or nullptr when it does not exist.
    F* Get() const { return form_.data(); }

  private:
    std::function<F*()> create_;
    QPointer<F> form_;
};

}  // namespace toolkit
