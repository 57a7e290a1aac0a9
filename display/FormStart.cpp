// The start form's rows, its load step and the start sequence.
#include "display/FormStart.h"

#include "core/UserError.h"
#include "display/toolkit/Controls.h"
#include "display/toolkit/Fonts.h"
#include "display/toolkit/Program.h"
#include "start/Settings.h"
#include "start/StartParameters.h"

namespace {

// Label texts of the rows, top to bottom, in StartBox order.
constexpr std::array<const char*, kStartBoxCount> kRowLabels = {
    " Количество звезд:",         "Область пространства:",   "Область распределения:",
    "Средняя масса звезд:",       "Средний импульс звезды:", "Шаг интегрирования:",
    "Гравитационная постоянная:", "Частота обращения "};

constexpr int kRowTop = 120, kRowPitch = 480;

// The form and its button are larger than the rows' labels and boxes.
constexpr double kFormFontPoints = 12;

}  // namespace

FormStart::FormStart(Store& store, std::function<void()> handOver, FailureReport report)
    : Form(4620, 5190), store_(store), handOver_(std::move(handOver)), report_(std::move(report)) {
    SetCaption(kStartCaption);
    setFont(toolkit::DesignFont(kFormFontPoints));
    // Created first: the button leads the focus order and holds the focus at the start.
    Command1 = toolkit::NewPushButton(Client(), {1440, 4320, 1575, 735}, "OK",
                                      [this] { Command1_Click(); });
    QFont bold = toolkit::DesignFont(kFormFontPoints);
    bold.setBold(true);
    Command1->setFont(bold);
    Command1->setAutoDefault(true);  // Enter presses the focused button
    const QFont rowFont = toolkit::DesignFont(toolkit::kDefaultFontPoints);
    const StartTexts defaults;
    QWidget* previous = Command1;
    for (int row = 0; row < kStartBoxCount; ++row) {
        const int top = kRowTop + row * kRowPitch;
        labels_[row] = toolkit::NewLabel(Client(), {120, top - 90, 2250, 465}, kRowLabels[row]);
        labels_[row]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        labels_[row]->setFont(rowFont);
        const int height = row == kStartBoxCount - 1 ? 315 : 285;
        boxes_[row] = toolkit::NewTextBox(Client(), {2400, top, 1935, height},
                                          defaults.text(static_cast<StartBox>(row)));
        boxes_[row]->setFont(rowFont);
        setTabOrder(previous, boxes_[row]);
        previous = boxes_[row];
    }
    Command1->setFocus();
}

void FormStart::Form_Load() {
    StartTexts texts;
    try {
        LoadSettings(texts);
    } catch (const FileError& failure) {
        report_(SettingsNotLoaded(failure));
        return;
    }
    ShowTexts(texts);
}

void FormStart::ShowTexts(const StartTexts& texts) {
    for (int row = 0; row < kStartBoxCount; ++row)
        toolkit::SetText(boxes_[row], texts.text(static_cast<StartBox>(row)));
}

StartTexts FormStart::Boxes() const {
    StartTexts texts;
    for (int row = 0; row < kStartBoxCount; ++row)
        texts.text(static_cast<StartBox>(row)) = toolkit::Text(boxes_[row]);
    return texts;
}

void FormStart::Command1_Click() {
    const StartTexts texts = Boxes();
    try {
        StartRun(store_, texts);
    } catch (const StartParameterError& bad) {
        report_(bad);
        Box(bad.box())->setFocus();
        Box(bad.box())->selectAll();
        return;
    } catch (const CloudError& failed) {
        report_(failed);
        return;
    }
    try {
        SaveSettings(texts);
    } catch (const FileError& failure) {
        report_(failure);  // the run goes on without the file
    }
    handOver_();
    hide();
}

void FormStart::Form_Unload() {
    toolkit::EndProgram();
}
