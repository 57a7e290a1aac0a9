// The caption's width in the title font, and room for the title bar's buttons.
#include "display/toolkit/TitleBar.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <cmath>

namespace toolkit {

QFont TitleBarFont() {
    // The platform's general font, not the windows' design font: the window manager draws
    // its title bars with the desktop's fonts.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setBold(true);
    return font;
}

int TitleBarWidth(const QString& caption) {
    const QFontMetrics metrics(TitleBarFont());
    const auto buttons =
        static_cast<int>(std::lround(kTitleBarButtonLines * metrics.lineSpacing()));
    return metrics.horizontalAdvance(caption) + buttons;
}

}  // namespace toolkit
