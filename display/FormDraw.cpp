// The main window's controls, menus and handlers.
#include "display/FormDraw.h"

#include <cmath>

#include "core/FileError.h"
#include "display/NumberText.h"
#include "display/PictureExport.h"
#include "display/TickView.h"
#include "display/TimeStep.h"
#include "display/toolkit/Controls.h"
#include "display/toolkit/Menus.h"
#include "display/toolkit/Placement.h"
#include "display/toolkit/Program.h"
#include "storage/DefaultName.h"
#include "storage/Snapshot.h"

FormDraw::FormDraw(Store& store, CommonDialog& dialog, std::function<void()> writeSettings,
                   FailureReport report)
    : Form(11100, 6795),
      Picture1(new toolkit::PictureBox(Client(), {0, 0, 7575, 6855}, picture_.Image())),
      Label1(toolkit::NewLabel(Client(), {7680, 120, 3255, 495}, kEnergyLabelDesign)),
      Command1(toolkit::NewPushButton(Client(), {7680, 960, 615, 615}, "TIME+",
                                      [this] { Command1_Click(); })),
      Command2(toolkit::NewPushButton(Client(), {8640, 960, 615, 615}, "TIME-",
                                      [this] { Command2_Click(); })),
      Label2(toolkit::NewLabel(Client(), {7800, 2040, 2775, 255}, kTimeStepLabelDesign)),
      Timer1([this] { Timer1_Timer(); }, [this] { screen_.Flush(); }),
      CommonDialog1(dialog),
      store_(store),
      writeSettings_(std::move(writeSettings)),
      report_(std::move(report)),
      view_(picture_),
      screen_([this] {
          Picture1->Refresh(picture_.TakeChanged());
          ShowTexts(view_.texts());
      }),
      planeChooser_([this] {
          auto* chooser = new FormOption(store_);
          toolkit::PlaceBeside(*chooser, *this);  // never over the menus of this window
          return chooser;
      }) {
    SetCaption(kDrawCaption);
    Client()->setAutoFillBackground(true);
    QPalette palette = Client()->palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    Client()->setPalette(palette);
    setTabOrder(Picture1, Command1);
    setTabOrder(Command1, Command2);
    BuildMenus();
}

void FormDraw::BuildMenus() {
    QMenu* FileMenu = toolkit::AddMenu(MenuBar(), "&Файл");
    toolkit::AddMenuItem(FileMenu, "&Сохранить", QKeySequence("Ctrl+S"),
                         [this] { Saving_Click(); });
    // The caption begins with a Latin C.
    toolkit::AddMenuItem(FileMenu, "Cохранить &как", QKeySequence("Ctrl+A"),
                         [this] { SaveAs_Click(); });
    toolkit::AddMenuItem(FileMenu, "&Открыть", QKeySequence("Ctrl+O"), [this] { load_Click(); });
    toolkit::AddMenuItem(FileMenu, "&Выйти", QKeySequence("Ctrl+X"), [this] { quit_Click(); });
    QMenu* tools = toolkit::AddMenu(MenuBar(), "&Контроль");
    toolkit::AddMenuItem(tools, "&Выбор плоскости", QKeySequence("Ctrl+C"),
                         [this] { Change_paralll_Click(); });
    toolkit::AddMenuItem(tools, "&Фото", QKeySequence("Ctrl+P"), [this] { Photo_Click(); });
}

void FormDraw::Form_Load() {
    Timer1.SetInterval(1);
}

void FormDraw::Timer1_Timer() {
    if (halted_ || ended_) return;
    const TickOutcome outcome = RunTick(store_, view_, integrator_);
    screen_.Drawn(Timer1.Running());  // a fault leaves the texts of the last good tick
    if (outcome.loadError) Report(*outcome.loadError);
    if (outcome.fault != FpFault::None) Halt(TickFault(outcome.fault, outcome.step));
}

void FormDraw::ShowTexts(const TickTexts& texts) {
    SetCaption(texts.caption);
    toolkit::SetCaption(Label1, texts.energy);
    toolkit::SetCaption(Label2, texts.timeStep);
}

void FormDraw::Command1_Click() {
    const double product = store_.dT * kTimeStepUp;
    if (!std::isfinite(product)) {
        Report(TimeStepOverflow(store_.dT));
        return;
    }
    store_.dT = product;
}

void FormDraw::Command2_Click() {
    store_.dT = store_.dT * kTimeStepDown;
}

void FormDraw::Saving_Click() {
    WhileStopped([this] {
        const std::string name = store_.FileName.empty() ? DefaultName(".kvx") : store_.FileName;
        WriteSnapshot(name, store_);
        store_.FileName.clear();
    });
}

void FormDraw::SaveAs_Click() {
    WhileStopped([this] {
        CommonDialog1.SetFilter(kSnapshotFilter);
        CommonDialog1.ShowSave();
        // Also when empty (a name given before is forgotten), and before the write: when it
        // fails, the next Save tries the chosen name again, never an earlier file.
        store_.FileName = CommonDialog1.FileName();
        if (!store_.FileName.empty()) WriteSnapshot(store_.FileName, store_);
    });
}

void FormDraw::load_Click() {
    CommonDialog1.SetFilter(kSnapshotFilter);
    CommonDialog1.ShowOpen();
    store_.FileToOpen = CommonDialog1.FileName();
    // A halted run goes on with the chosen file, read by the next tick.
    if (halted_ && !store_.FileToOpen.empty() && !ended_) {
        halted_ = false;
        Timer1.SetInterval(1);
    }
}

void FormDraw::Photo_Click() {
    WhileStopped([this] {
        WritePicture(PictureNameFor(store_.FileName), picture_.Image());
        if (store_.FileName.starts_with("Noname")) store_.FileName.clear();
    });
}

void FormDraw::quit_Click() {
    End();
    Attempt(writeSettings_);
    toolkit::EndProgram();
}

void FormDraw::Form_Unload() {
    End();
    toolkit::EndProgram();
}

void FormDraw::Change_paralll_Click() {
    ShowPlaneChooser();
}

void FormDraw::ShowPlaneChooser(toolkit::FormSlot<FormOption>::Activation activation) {
    FormOption& chooser = planeChooser_.Show(activation);
    if (activation == toolkit::FormSlot<FormOption>::Activate) chooser.FocusSelected();
}

void FormDraw::WhileStopped(const std::function<void()>& command) {
    Timer1.SetInterval(0);
    Attempt(command);
    ResumeTimer();
}

void FormDraw::Attempt(const std::function<void()>& command) {
    try {
        command();
    } catch (const FileError& failure) {
        report_(failure);
    }
}

void FormDraw::Halt(const TickFault& fault) {
    halted_ = true;
    Timer1.SetInterval(0);
    view_.ShowHalt(store_, fault.step());
    ShowTexts(view_.texts());
    report_(fault);
}

void FormDraw::Report(const UserError& failure) {
    Timer1.SetInterval(0);
    report_(failure);
    ResumeTimer();
}

void FormDraw::ResumeTimer() {
    if (!halted_ && !ended_) Timer1.SetInterval(1);
}

void FormDraw::End() {
    ended_ = true;  // no tick runs after this, not even from an open message box
    Timer1.SetInterval(0);
}
