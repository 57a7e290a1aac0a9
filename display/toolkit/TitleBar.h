// How wide a window must be for the window manager's title bar to show its caption whole.
// The program can ask neither the title bar's font nor its buttons, so it takes what window
// managers commonly draw: the desktop's general font in bold, a window menu icon and three
// buttons (minimise, maximise, close), which take room in proportion to the font's line.
#pragma once

#include <QFont>
#include <QString>

namespace toolkit {

/// Lines of the title font that the icon and the three buttons take beside the caption:
/// openbox's default theme needs 100 pixels where the line is 14; a few more are kept to
/// spare, and no more, as a widened window is to fit beside others on a small screen.
inline constexpr double kTitleBarButtonLines = 7.5;

/// The font title bars are taken to draw captions in: the desktop's general font, bold.
QFont TitleBarFont();

/// The narrowest window, in pixels, whose title bar shows the caption without shortening it.
int TitleBarWidth(const QString& caption);

}  // namespace toolkit
