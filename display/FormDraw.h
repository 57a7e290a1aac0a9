// The main window: the drawing surface, the energy and time-step labels, the two
// time-step buttons, the menus, and the timer whose ticks drive the simulation. A fault in
// a tick halts the run; the window stays usable and the state as it was can be saved.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <functional>

#include "core/Integrator.h"
#include "core/Store.h"
#include "core/Tick.h"
#include "core/UserError.h"
#include "display/CommonDialog.h"
#include "display/FormOption.h"
#include "display/Picture.h"
#include "display/ScreenPacer.h"
#include "display/TickView.h"
#include "display/toolkit/Form.h"
#include "display/toolkit/FormSlot.h"
#include "display/toolkit/FormTimer.h"
#include "display/toolkit/PictureBox.h"

inline const char* const kSnapshotFilter = "Кворакс файлы|*.kvx";

class FormDraw : public toolkit::Form {
    // First, so that it exists before the box that shows it and after the box is gone.
    Picture picture_;

  public:
    /// writeSettings writes the settings file for Exit and throws FileError when it cannot;
    /// whoever puts the program together knows where the texts come from. report tells
    /// the user of a failure.
    FormDraw(Store& store, CommonDialog& dialog, std::function<void()> writeSettings,
             FailureReport report);

    void Form_Load() override;
    void Timer1_Timer();
    void Command1_Click();
    void Command2_Click();
    void Saving_Click();
    void SaveAs_Click();
    void load_Click();
    void quit_Click();
    void Change_paralll_Click();
    void Photo_Click();

    /// Shows the plane chooser, creating it when it does not exist. Activated, it has the
    /// keyboard with its selected option focused; else it opens beside this window, which
    /// keeps the keyboard.
    void ShowPlaneChooser(toolkit::FormSlot<FormOption>::Activation activation =
                              toolkit::FormSlot<FormOption>::Activate);
    FormOption* PlaneChooser() const { return planeChooser_.Get(); }

    /// True after a fault stopped the run; Open starts it again.
    bool isHalted() const { return halted_; }

    toolkit::PictureBox* Picture1;
    QLabel* Label1;
    QPushButton* Command1;
    QPushButton* Command2;
    QLabel* Label2;
    toolkit::FormTimer Timer1;
    CommonDialog& CommonDialog1;

  protected:
    void Form_Unload() override;

  private:
    void BuildMenus();
    void ShowTexts(const TickTexts& texts);
    void Halt(const TickFault& fault);
    /// Runs a file command with the timer stopped, so no tick runs meanwhile; a file that
    /// cannot be written is told, and the run goes on.
    void WhileStopped(const std::function<void()>& command);
    /// Runs a file command; tells of a file that cannot be written.
    void Attempt(const std::function<void()>& command);
    /// Tells of a failure with the timer stopped, so no tick runs while the message is open.
    void Report(const UserError& failure);
    /// Interval 1 again after a command, unless the run is halted or ended.
    void ResumeTimer();
    void End();

    Store& store_;
    std::function<void()> writeSettings_;
    FailureReport report_;
    TickView view_;
    Integrator integrator_;
    ScreenPacer screen_;  ///< when the picture and the texts go to the screen
    toolkit::FormSlot<FormOption> planeChooser_;
    bool halted_ = false;
    bool ended_ = false;
};
