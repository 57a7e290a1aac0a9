// The toolkit layer: the timer's stop and re-entrancy rules, option groups selected from
// code and by the user, windows created on first use, the dialog filter, the design font and
// where a companion window goes.
#include <QFontDatabase>
#include <QTimer>

#include "display/FileDialog.h"
#include "display/toolkit/Fonts.h"
#include "display/toolkit/Form.h"
#include "display/toolkit/FormSlot.h"
#include "display/toolkit/FormTimer.h"
#include "display/toolkit/OptionGroup.h"
#include "display/toolkit/Placement.h"
#include "display/toolkit/Program.h"
#include "tests/display/WindowTestSupport.h"

namespace {

class ToolkitTest : public ::testing::Test {
  protected:
    void SetUp() override { Application(); }
};

TEST_F(ToolkitTest, TimerRunsAboveZeroAndIntervalZeroStopsIt) {
    int ticks = 0;
    std::vector<bool> runningAtStop;  // told of each stop, after the timer stopped
    toolkit::FormTimer timer([&] { ++ticks; }, [&] { runningAtStop.push_back(timer.Running()); });
    timer.SetInterval(0);
    QTest::qWait(20);
    EXPECT_EQ(ticks, 0);  // a QTimer at 0 would fire whenever the loop is idle
    timer.SetInterval(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 2000));
    EXPECT_EQ(runningAtStop, std::vector<bool>{false});
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Running());
    EXPECT_EQ(runningAtStop, (std::vector<bool>{false, false}));
    const int stopped = ticks;
    QTest::qWait(20);
    EXPECT_EQ(ticks, stopped);
}

TEST_F(ToolkitTest, TimerHandlerIsNeverReentered) {
    int depth = 0, deepest = 0, ticks = 0;
    toolkit::FormTimer timer([&] {
        ++ticks;
        deepest = std::max(deepest, ++depth);
        QTest::qWait(5);  // a nested event loop, as a modal box would run
        --depth;
    });
    timer.SetInterval(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 4; }, 2000));
    timer.SetInterval(0);
    EXPECT_EQ(deepest, 1);
}

TEST_F(ToolkitTest, OptionSelectedFromCodeRunsItsHandlerAndClearsTheOthers) {
    QWidget client;
    toolkit::OptionGroup group(&client);
    std::vector<int> clicks;
    for (int k = 0; k < 3; ++k)
        group.Add({0, k * 300, 1500, 255}, "o", [&, k] { clicks.push_back(k); });
    EXPECT_EQ(group.Selected(), -1);
    group.Select(1);
    EXPECT_EQ(group.Selected(), 1);
    group.Select(2);
    EXPECT_EQ(group.Selected(), 2);
    EXPECT_FALSE(group.Option(1)->isChecked());
    client.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&client));
    // On the indicator: a radio button takes clicks only on its indicator and caption.
    const QPoint indicator(6, group.Option(0)->height() / 2);
    QTest::mouseClick(group.Option(0), Qt::LeftButton, {}, indicator);
    QTest::mouseClick(group.Option(0), Qt::LeftButton, {}, indicator);  // the handler runs again
    EXPECT_EQ(group.Selected(), 0);
    EXPECT_EQ(clicks, (std::vector<int>{1, 2, 0, 0}));
}

class LoadingForm : public toolkit::Form {
  public:
    explicit LoadingForm(std::vector<std::string>& log) : Form(1500, 1500), log_(log) {}
    void Form_Load() override { log_.push_back(isVisible() ? "load while shown" : "load"); }

  protected:
    void Form_Unload() override { log_.push_back("unload"); }

  private:
    std::vector<std::string>& log_;
};

TEST_F(ToolkitTest, WindowIsLoadedOnceBeforeItsFirstShowing) {
    std::vector<std::string> log;
    toolkit::FormSlot<LoadingForm> slot([&] { return new LoadingForm(log); });
    EXPECT_EQ(slot.Get(), nullptr);
    LoadingForm& first = slot.Show();
    EXPECT_TRUE(first.isVisible());
    EXPECT_EQ(&slot.Show(), &first);
    EXPECT_EQ(log, std::vector<std::string>{"load"});
    EXPECT_EQ(first.size(), QSize(100, 100));
    first.hide();  // hidden is not closed: the same window comes back
    EXPECT_EQ(&slot.Show(), &first);
    EXPECT_EQ(log, std::vector<std::string>{"load"});
}

// A window the user has minimised is still open: showing it brings it back into sight,
// the same window, without another load.
TEST_F(ToolkitTest, ShowingAMinimisedWindowRestoresIt) {
    std::vector<std::string> log;
    toolkit::FormSlot<LoadingForm> slot([&] { return new LoadingForm(log); });
    LoadingForm& window = slot.Show();
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(window.isMinimized());
    EXPECT_EQ(&slot.Show(toolkit::FormSlot<LoadingForm>::KeepFocus), &window);
    EXPECT_FALSE(window.isMinimized());
    window.showMinimized();
    slot.Show();
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(log, std::vector<std::string>{"load"});
}

TEST_F(ToolkitTest, WindowThatDeletesItselfOnCloseIsCreatedAndLoadedAgain) {
    std::vector<std::string> log;
    toolkit::FormSlot<LoadingForm> slot([&] {
        auto* form = new LoadingForm(log);
        form->setAttribute(Qt::WA_DeleteOnClose);
        return form;
    });
    slot.Show().close();
    // Shown again before the deferred deletion ran, and after it.
    slot.Show().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(slot.Get(), nullptr);
    slot.Show();
    EXPECT_EQ(log, (std::vector<std::string>{"load", "unload", "load", "unload", "load"}));
}

TEST_F(ToolkitTest, DialogFilterBecomesQtsForm) {
    EXPECT_EQ(FileDialog::QtFilter("Кворакс файлы|*.kvx").toStdString(), "Кворакс файлы (*.kvx)");
    EXPECT_EQ(FileDialog::QtFilter("*.kvx").toStdString(), "*.kvx");
}

TEST_F(ToolkitTest, OnlyAPlainExtensionPatternGivesTheSaveDialogAnExtension) {
    const std::pair<const char*, const char*> cases[] = {{"Кворакс файлы|*.kvx", "kvx"},
                                                         {"*.wmf", "wmf"},
                                                         {"Все|*.*", ""},
                                                         {"Все|*", ""},
                                                         {"x|*.k?x", ""},
                                                         {"x|*.kvx;*.bak", ""},
                                                         {"x|snapshot.kvx", ""},
                                                         {"x|*.kvx *.bak", ""}};
    for (const auto& [filter, extension] : cases)
        EXPECT_EQ(FileDialog::PatternExtension(filter).toStdString(), extension) << filter;
}

TEST_F(ToolkitTest, DesignFontIsLiberationSansInPixelsWithAFallbackThatHasCyrillic) {
    EXPECT_EQ(toolkit::DesignFamily(), "Liberation Sans");  // installed by scripts/setup
    EXPECT_EQ(toolkit::DesignPixels(8.25), 11);
    EXPECT_EQ(toolkit::DesignPixels(12), 16);
    const QString fallback = toolkit::DesignFamily("Kvorax Missing Face");
    EXPECT_NE(fallback, "Kvorax Missing Face");
    EXPECT_TRUE(QFontDatabase::writingSystems(fallback).contains(QFontDatabase::Cyrillic))
        << fallback.toStdString();
}

// Without a window manager nothing gives the keyboard back when a modal box closes; the
// window that had it before must have it again, or its shortcuts stop working.
TEST_F(ToolkitTest, MessageBoxGivesTheKeyboardBackToTheActiveWindow) {
    std::vector<std::string> log;
    LoadingForm form(log), other(log);
    form.show();
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    bool shown = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = nullptr;
        shown = QTest::qWaitFor([&] { return (box = QApplication::activeModalWidget()); }, 5000);
        if (box) QTest::keyClick(box, Qt::Key_Escape);
    });
    toolkit::ShowMessage(&other, "проверка");  // over the other window, as a tick's message
    EXPECT_TRUE(shown);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }, 2000))
        << "the keyboard went to "
        << (QApplication::activeWindow() ? "another window" : "no window");
}

TEST_F(ToolkitTest, CompanionWindowGoesRightThenBelowThenIntoTheCorner) {
    const QSize chooser(184, 102);
    const struct {
        const char* screen;
        QRect available, anchor;
        QPoint expected;
    } cases[] = {
        // 1280 × 1024, main window centred: room on the right, 8 pixels apart.
        {"wide", {0, 0, 1280, 1024}, {270, 276, 740, 472}, {1018, 276}},
        // 1024 × 768: 142 + 740 + 8 + 184 > 1024, so below, aligned on the left.
        {"narrow", {0, 0, 1024, 768}, {142, 148, 740, 472}, {142, 628}},
        // A screen whose free area starts below a panel.
        {"panel", {0, 30, 1024, 738}, {142, 160, 740, 472}, {142, 640}},
        // 800 × 600: room neither right nor below, so the lower right corner.
        {"small", {0, 0, 800, 600}, {30, 64, 740, 472}, {616, 498}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.screen);
        const QPoint at = toolkit::BesidePosition(c.anchor, chooser, c.available);
        EXPECT_EQ(at, c.expected);
        EXPECT_TRUE(c.available.contains(QRect(at, chooser)));
    }
}

// The main window (740 × 471) and the chooser (184 × 102), each with the allowance for a
// frame: centred together where the screen is wide enough, and the chooser then fits on
// the right of the main window's frame.
TEST_F(ToolkitTest, MainWindowLeavesRoomForTheChooserWhereTheScreenHasIt) {
    const QSize main = QSize(740, 471).grownBy(toolkit::kFrameAllowance);
    const QSize chooser = QSize(184, 102).grownBy(toolkit::kFrameAllowance);
    const QRect screen(0, 0, 1024, 768);
    const std::optional<int> left =
        toolkit::LeftOfCentredPair(main.width(), chooser.width(), screen);
    ASSERT_TRUE(left.has_value());
    EXPECT_EQ(*left, (1024 - (748 + 8 + 192)) / 2);
    const QRect mainFrame(QPoint(*left, 132), main);
    EXPECT_EQ(toolkit::BesidePosition(mainFrame, chooser, screen),
              QPoint(mainFrame.right() + 1 + toolkit::kWindowGap, 132));
    // A free area that starts right of a panel.
    EXPECT_EQ(toolkit::LeftOfCentredPair(748, 192, QRect(100, 0, 948, 768)), 100);
    EXPECT_EQ(toolkit::LeftOfCentredPair(748, 192, QRect(0, 0, 947, 768)), std::nullopt);
    // The chooser as built, wider than its design for its caption, still fits on the right.
    const QSize built = FormOption::ClientSize().grownBy(toolkit::kFrameAllowance);
    EXPECT_TRUE(toolkit::LeftOfCentredPair(main.width(), built.width(), screen).has_value());
}

}  // namespace
