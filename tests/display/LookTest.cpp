// The windows as laid out: the design fonts, texts that fit their controls, captions that fit
// their title bars, glyphs for every character, and where the windows open.
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <cmath>

#include "display/NumberText.h"
#include "display/toolkit/Controls.h"
#include "display/toolkit/Fonts.h"
#include "tests/display/WindowTestSupport.h"

namespace {

using LookTest = WindowTest;

// Lines the label needs for its caption at its width (it wraps at blanks).
int LinesOf(const QLabel* label) {
    const double height = label->heightForWidth(label->width());
    return static_cast<int>(std::lround(height / label->fontMetrics().lineSpacing()));
}

TEST_F(LookTest, StartFormRowsAreOneLineInTheDesignSizes) {
    program->Start();
    FormStart* form = program->formStart();
    EXPECT_EQ(form->font().family(), "Liberation Sans");  // installed by scripts/setup
    EXPECT_EQ(form->font().pixelSize(), 16);              // 12 pt at 96 dpi
    EXPECT_EQ(form->Command1->font().pixelSize(), 16);
    EXPECT_TRUE(form->Command1->font().bold());
    for (int row = 0; row < kStartBoxCount; ++row) {
        const QLabel* label = form->Label(static_cast<StartBox>(row));
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_EQ(label->font().pixelSize(), 11);  // 8.25 pt at 96 dpi
        EXPECT_EQ(form->Box(static_cast<StartBox>(row))->font().pixelSize(), 11);
        EXPECT_EQ(LinesOf(label), 1);
        EXPECT_LT(label->geometry().right(), form->Box(static_cast<StartBox>(row))->x());
    }
}

// The area a push button's style draws its caption in.
QRect CaptionArea(const QPushButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
}

TEST_F(LookTest, MainWindowTextsFitTheirControls) {
    FormDraw& draw = StartStopped();
    EXPECT_EQ(draw.font().pixelSize(), 11);
    constexpr int kMargin = 2;  // clear of the button's frame on both sides
    for (const QPushButton* button : {draw.Command1, draw.Command2}) {
        SCOPED_TRACE(button->text().toStdString());
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 2 * kMargin,
                  CaptionArea(button).width());
    }
    // The widest texts: a minus, 15 digits and a three-digit exponent.
    const QString widest = "-1.23456789012345E+308";
    toolkit::SetCaption(draw.Label1, "Энергия системы:" + widest.toStdString());
    EXPECT_LE(draw.Label1->heightForWidth(draw.Label1->width()), draw.Label1->height());
    EXPECT_LE(draw.Label2->fontMetrics().horizontalAdvance(widest), draw.Label2->width());
    EXPECT_LE(draw.Label2->fontMetrics().height(), draw.Label2->height());
    for (QRadioButton* option : draw.PlaneChooser()->findChildren<QRadioButton*>())
        EXPECT_LE(option->sizeHint().width(), option->width()) << option->text().toStdString();
}

// What a title bar needs at least for the caption: the caption in the desktop's general font
// in bold, as window managers commonly draw titles, and beside it a window menu icon and
// three buttons. Openbox's default theme shortens the caption of a window narrower than
// 249 pixels, 100 more than its width in this font (DejaVu Sans Bold in 14-pixel lines).
int TitleBarNeeds(const QString& caption) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(caption) + 100 * metrics.lineSpacing() / 14;
}

// A window too narrow has its caption shortened by the window manager ("Выб… ость!").
TEST_F(LookTest, EveryTitleBarHasRoomForItsWholeCaption) {
    FormDraw& draw = StartStopped();
    FormOption& chooser = *draw.PlaneChooser();
    const QString longestStep = QString::fromStdString(MakeTickTexts(32767, 0, 1).caption);
    const struct {
        const QWidget& window;
        QString caption;
    } windows[] = {{*program->formStart(), program->formStart()->windowTitle()},
                   {draw, longestStep},
                   {chooser, chooser.windowTitle()}};
    for (const auto& w : windows) {
        SCOPED_TRACE(w.caption.toStdString());
        EXPECT_GE(w.window.width(), TitleBarNeeds(w.caption));
    }
    // Widened on the right only: the options where the design puts them, the design height,
    // and the size the main window's placement reserves for it.
    EXPECT_EQ(chooser.windowTitle(), "Выберите плоскость!");
    EXPECT_EQ(chooser.Client()->size(), FormOption::ClientSize());
    EXPECT_EQ(chooser.Client()->height(), 102);
    const QRadioButton* options[] = {chooser.Options().Option(0), chooser.Options().Option(1),
                                     chooser.Options().Option(2)};
    EXPECT_EQ(options[0]->geometry(), QRect(16, 8, 145, 17));
    EXPECT_EQ(options[1]->geometry(), QRect(16, 40, 145, 17));
    EXPECT_EQ(options[2]->geometry(), QRect(16, 72, 145, 17));
}

// Every character of the text has a glyph in the font; '&' only marks an access letter.
void ExpectGlyphs(const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    for (const uint c : text.toUcs4()) {
        if (c == '&') continue;
        EXPECT_TRUE(metrics.inFontUcs4(c))
            << text.toStdString() << ": no glyph for U+" << std::hex << c;
    }
}

void ExpectGlyphsIn(const QWidget& window) {
    for (const QLabel* label : window.findChildren<QLabel*>())
        ExpectGlyphs(label->font(), label->text());
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        ExpectGlyphs(button->font(), button->text());
    for (const QLineEdit* box : window.findChildren<QLineEdit*>())
        ExpectGlyphs(box->font(), box->text());
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions()) {
            ExpectGlyphs(bar->font(), menu->text());
            for (const QAction* item : menu->menu()->actions())
                ExpectGlyphs(menu->menu()->font(), item->text());
        }
}

TEST_F(LookTest, EveryTextHasItsGlyphsInItsFont) {
    FormDraw& draw = StartStopped();
    draw.Timer1_Timer();  // caption and labels as a tick sets them
    ExpectGlyphsIn(*program->formStart());
    ExpectGlyphsIn(draw);
    ExpectGlyphsIn(*draw.PlaneChooser());
}

// How far the window is from the centre of the screen, beyond what its frame explains: the
// frame is not known before the window is first shown.
int OffCentre(const QWidget& window, const QRect& screen) {
    const QSize frame = window.frameGeometry().size() - window.size();
    const QPoint off = window.geometry().center() - screen.center();
    return std::max(std::abs(off.x()) - frame.width(), 0) +
           std::max(std::abs(off.y()) - frame.height(), 0);
}

TEST_F(LookTest, StartFormOpensCentredAndTheChooserClearOfTheMenus) {
    program->Start();
    FormStart* form = program->formStart();
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_LE(OffCentre(*form, screen), 1);
    FormDraw& draw = StartRun();
    EXPECT_LE(OffCentre(draw, screen), 1);
    const QRect menus(draw.MenuBar()->mapToGlobal(QPoint(0, 0)), draw.MenuBar()->size());
    const QRect chooser = draw.PlaneChooser()->frameGeometry();
    EXPECT_FALSE(chooser.intersects(menus));
    EXPECT_TRUE(screen.contains(chooser));
}

}  // namespace
