// The chooser's controls and handlers.
#include "display/FormOption.h"

#include <algorithm>

#include "display/toolkit/TitleBar.h"
#include "display/toolkit/Twips.h"

namespace {

constexpr int kWidthTwips = 2760, kHeightTwips = 1530;

}  // namespace

FormOption::FormOption(Store& store) : Form(ClientSize()), store_(store), options_(Client()) {
    setAttribute(Qt::WA_DeleteOnClose);
    SetCaption(kOptionCaption);
    options_.Add({240, 120, 2175, 255}, "Плоскость-XY", [this] { Option1_Click(); });
    options_.Add({240, 600, 2175, 255}, "Плоскость-XZ", [this] { Option2_Click(); });
    options_.Add({240, 1080, 2175, 255}, "Плоскость-YZ", [this] { Option3_Click(); });
}

QSize FormOption::ClientSize() {
    // The design's 184 pixels leave a title bar too short for the caption beside a window
    // menu icon and three buttons (openbox shows "Выб… ость!"): the window is widened to
    // what the caption needs, on the right, so the options keep their design places. Still
    // narrow enough to open beside the main window on a 1024 × 768 screen.
    const int width =
        std::max(toolkit::Pixels(kWidthTwips), toolkit::TitleBarWidth(kOptionCaption));
    return {width, toolkit::Pixels(kHeightTwips)};
}

void FormOption::Form_Load() {
    // Independent tests; selecting runs the click handler, which writes the same code back.
    if (store_.Plane == "xy") options_.Select(0);
    if (store_.Plane == "xz") options_.Select(1);
    if (store_.Plane == "yz") options_.Select(2);
}

void FormOption::Option1_Click() {
    store_.Plane = "xy";
}

void FormOption::Option2_Click() {
    store_.Plane = "xz";
}

void FormOption::Option3_Click() {
    store_.Plane = "yz";
}
