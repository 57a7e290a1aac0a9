// The main window: layout and menus, the ticks on Picture1 with the caption and labels,
// the time-step buttons, the plane chooser, Exit and the close box, and the halt on a fault.
#include <QMenuBar>
#include <charconv>

#include "app/Messages.h"
#include "core/FpFault.h"
#include "tests/display/WindowTestSupport.h"

namespace {

using MainWindowTest = WindowTest;

std::string Text(const QLabel* label) {
    return label->text().toStdString();
}

TEST_F(MainWindowTest, LayoutInPixelsAndAFixedSize) {
    FormDraw& draw = StartStopped();
    EXPECT_EQ(draw.Client()->size(), QSize(740, 453));
    EXPECT_EQ(draw.Picture1->geometry(), QRect(0, 0, 505, 457));
    EXPECT_EQ(draw.Command1->geometry(), QRect(512, 64, 41, 41));
    EXPECT_EQ(draw.Label2->geometry(), QRect(520, 136, 185, 17));
    EXPECT_TRUE(draw.Label1->wordWrap());
    EXPECT_EQ(draw.minimumSize(), draw.maximumSize());
    EXPECT_EQ(draw.Client()->palette().color(QPalette::Window), QColor(192, 192, 192));
}

TEST_F(MainWindowTest, MenusHaveTheirCaptionsAndShortcuts) {
    FormDraw& draw = StartStopped();
    std::vector<std::string> rows;
    for (QAction* menu : draw.MenuBar()->actions()) {
        rows.push_back(menu->text().toStdString());
        for (QAction* item : menu->menu()->actions())
            rows.push_back(item->text().toStdString() + " " +
                           item->shortcut().toString(QKeySequence::PortableText).toStdString());
    }
    // "Cохранить &как" begins with a Latin C.
    const std::vector<std::string> expected = {"&Файл",
                                               "&Сохранить Ctrl+S",
                                               "C\xD0\xBE\xD1\x85ранить &как Ctrl+A",
                                               "&Открыть Ctrl+O",
                                               "&Выйти Ctrl+X",
                                               "&Контроль",
                                               "&Выбор плоскости Ctrl+C",
                                               "&Фото Ctrl+P"};
    EXPECT_EQ(rows, expected);
}

TEST_F(MainWindowTest, TicksDrawTheCloudAndSetCaptionAndLabels) {
    FormDraw& draw = StartRun();
    EXPECT_EQ(draw.Caption(), "Кворакс");
    EXPECT_EQ(Text(draw.Label1), "Энергия системы-");
    EXPECT_EQ(Text(draw.Label2), "Label2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return store().StepCount >= 3; }, 5000));
    draw.Timer1.SetInterval(0);
    EXPECT_EQ(draw.Caption(), "Кворакс  " + std::to_string(store().StepCount) + " шаг");
    EXPECT_EQ(Text(draw.Label2), " 315360000");
    // A blank after the colon, then the energy with a decimal point whatever the locale.
    const std::string energy = Text(draw.Label1);
    const std::string prefix = "Энергия системы: ";
    ASSERT_EQ(energy.substr(0, prefix.size()), prefix);
    double value = 0;
    const char* first = energy.data() + prefix.size();
    const auto parsed = std::from_chars(first, energy.data() + energy.size(), value);
    EXPECT_EQ(parsed.ptr, energy.data() + energy.size()) << energy;
    EXPECT_GT(value, 0);
    // Only the current points are on the picture: every earlier one was erased.
    const QImage shown = draw.Picture1->Image();
    EXPECT_EQ(shown, PictureOf(store(), "xy"));
    EXPECT_NE(shown.pixel(300, 300) | shown.pixel(301, 301) | shown.pixel(299, 300), 0u);
}

TEST_F(MainWindowTest, StoppingTheTimerShowsTheTextsOfTheLastTick) {
    // While the timer runs the window shows the ticks at most once a frame; a command
    // that stops the timer finds the texts of the tick just run.
    FormDraw& draw = StartRun();
    std::vector<std::string> captions, expected;
    dialog.onShow = [&] {
        captions.push_back(draw.Caption() + "|" + Text(draw.Label2));
        expected.push_back("Кворакс  " + std::to_string(store().StepCount) + " шаг| 315360000");
    };
    for (int k = 0; k < 3; ++k) {
        const auto step = store().StepCount;
        ASSERT_TRUE(QTest::qWaitFor([&] { return store().StepCount >= step + 20; }, 5000));
        dialog.answers = {""};
        draw.SaveAs_Click();
    }
    EXPECT_EQ(captions, expected);
}

TEST_F(MainWindowTest, TimeButtonsScaleTheStepForTheNextTick) {
    FormDraw& draw = StartStopped();
    QTest::mouseClick(draw.Command1, Qt::LeftButton);
    EXPECT_EQ(store().dT, 473040000.0);
    EXPECT_EQ(Text(draw.Label2), " 315360000");  // shown after the next tick
    QTest::mouseClick(draw.Command2, Qt::LeftButton);
    EXPECT_EQ(store().dT, 315360000.0 * 1.5 * 0.667);
    draw.Timer1_Timer();
    EXPECT_EQ(Text(draw.Label2), " 315517680");
    // Two presses between ticks multiply together.
    QTest::mouseClick(draw.Command2, Qt::LeftButton);
    QTest::mouseClick(draw.Command2, Qt::LeftButton);
    EXPECT_EQ(store().dT, 315360000.0 * 1.5 * 0.667 * 0.667 * 0.667);
}

TEST_F(MainWindowTest, TimePlusThatWouldOverflowLeavesTheStep) {
    FormDraw& draw = StartRun();
    store().dT = 1.7e308;
    QTest::mouseClick(draw.Command1, Qt::LeftButton);
    EXPECT_EQ(store().dT, 1.7e308);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Шаг интегрирования"), std::string::npos);
    EXPECT_EQ(draw.Timer1.Interval(), 1);
}

TEST_F(MainWindowTest, PlaneChangeLeavesNoPointOfTheOldPlane) {
    FormDraw& draw = StartStopped();
    for (int k = 0; k < 3; ++k)
        draw.Timer1_Timer();
    FormOption* chooser = draw.PlaneChooser();
    QTest::mouseClick(chooser->Options().Option(2), Qt::LeftButton);
    EXPECT_EQ(store().Plane, "yz");
    EXPECT_EQ(store().DrawnPlane, "xy");  // until the next tick
    draw.Timer1_Timer();
    EXPECT_EQ(store().DrawnPlane, "yz");
    EXPECT_EQ(draw.Picture1->Image(), PictureOf(store(), "yz"));
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->Options().Selected(), 2);
}

TEST_F(MainWindowTest, CtrlCOpensTheChooserAfreshAndOnlyRaisesAnOpenOne) {
    FormDraw& draw = StartStopped();
    draw.PlaneChooser()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(draw.PlaneChooser(), nullptr);
    store().Plane = "xz";
    ASSERT_TRUE(WaitActive(&draw));
    QTest::keyClick(&draw, Qt::Key_C, Qt::ControlModifier);
    ASSERT_NE(draw.PlaneChooser(), nullptr);
    EXPECT_TRUE(draw.PlaneChooser()->isVisible());
    EXPECT_EQ(draw.PlaneChooser()->Options().Selected(), 1);
    EXPECT_EQ(store().Plane, "xz");
    // While open, the command does not run the load step again.
    FormOption* open = draw.PlaneChooser();
    store().Plane = "yz";
    ASSERT_TRUE(WaitActive(&draw));
    QTest::keyClick(&draw, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(draw.PlaneChooser(), open);
    EXPECT_EQ(open->Options().Selected(), 1);
    EXPECT_EQ(store().Plane, "yz");
}

// The chooser opens beside the main window without taking the keyboard, so the main
// window's shortcuts work at once; Ctrl+C gives it the keyboard on its selected option.
TEST_F(MainWindowTest, AfterTheStartTheMainWindowIsActiveAndCtrlCActivatesTheChooser) {
    FormDraw& draw = StartStopped();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &draw; }, 5000))
        << "the active window is "
        << (QApplication::activeWindow() ? QApplication::activeWindow()->windowTitle() : "none")
               .toStdString();
    FormOption* chooser = draw.PlaneChooser();
    ASSERT_TRUE(chooser && chooser->isVisible());
    QTest::keyClick(&draw, Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowActive(chooser, 5000));
    EXPECT_EQ(QApplication::focusWidget(), chooser->Options().Option(0));
    // Reopened after closing, on the plane chosen meanwhile.
    chooser->close();
    store().Plane = "yz";
    ASSERT_TRUE(WaitActive(&draw));
    QTest::keyClick(&draw, Qt::Key_C, Qt::ControlModifier);
    chooser = draw.PlaneChooser();
    ASSERT_TRUE(QTest::qWaitForWindowActive(chooser, 5000));
    EXPECT_EQ(QApplication::focusWidget(), chooser->Options().Option(2));
}

// The arrow keys select as they move the focus; each selection is a click, seen by the next
// tick. Up from the first option and Down from the last stay where they are.
TEST_F(MainWindowTest, ArrowKeysSelectTheOptionsAndThePlaneChangesAtTheNextTick) {
    FormDraw& draw = StartStopped();
    draw.Change_paralll_Click();
    FormOption* chooser = draw.PlaneChooser();
    ASSERT_TRUE(QTest::qWaitForWindowActive(chooser, 5000));
    std::vector<std::string> seen;  // "selected option, Plane, DrawnPlane after a tick"
    for (const Qt::Key key :
         {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        const std::string plane = store().Plane;
        draw.Timer1_Timer();
        seen.push_back(std::to_string(chooser->Options().Selected()) + " " + plane + " " +
                       store().DrawnPlane);
        EXPECT_EQ(QApplication::focusWidget(),
                  chooser->Options().Option(chooser->Options().Selected()));
    }
    const std::vector<std::string> expected = {"1 xz xz", "2 yz yz", "2 yz yz",
                                               "1 xz xz", "0 xy xy", "0 xy xy"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(draw.Picture1->Image(), PictureOf(store(), "xy"));
}

TEST_F(MainWindowTest, ChooserWithAnUnknownPlaneSelectsNothing) {
    FormDraw& draw = StartStopped();
    draw.PlaneChooser()->close();
    store().Plane = "XY";  // compared exactly
    draw.Change_paralll_Click();
    EXPECT_EQ(draw.PlaneChooser()->Options().Selected(), -1);
    EXPECT_EQ(store().Plane, "XY");
}

TEST_F(MainWindowTest, ExitWritesTheStartTextsAndEndsWithoutAnotherTick) {
    FormDraw& draw = StartRun();
    ASSERT_TRUE(QTest::qWaitFor([&] { return store().StepCount >= 1; }, 5000));
    const std::string written = ReadAll("Kvorax.ini");
    WriteAll("Kvorax.ini", "junk");
    QTest::mouseClick(draw.Command1, Qt::LeftButton);  // dT changes, the box does not
    ASSERT_TRUE(WaitActive(&draw));
    QTest::keyClick(&draw, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(ReadAll("Kvorax.ini"), written);
    const auto step = store().StepCount;
    QTest::qWait(30);
    EXPECT_EQ(store().StepCount, step);
}

TEST_F(MainWindowTest, ExitWhoseSettingsCannotBeWrittenSaysSoAndStillEnds) {
    FormDraw& draw = StartStopped();
    std::filesystem::remove("Kvorax.ini");
    std::filesystem::create_directory("Kvorax.ini");
    draw.quit_Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Kvorax.ini"), std::string::npos);
    EXPECT_EQ(ends, 1);
}

TEST_F(MainWindowTest, CloseBoxEndsAtOnceWithoutWritingTheSettings) {
    FormDraw& draw = StartRun();
    ASSERT_TRUE(QTest::qWaitFor([&] { return store().StepCount >= 1; }, 5000));
    WriteAll("Kvorax.ini", "junk");
    draw.close();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(ReadAll("Kvorax.ini"), "junk");
    const auto step = store().StepCount;
    QTest::qWait(30);
    EXPECT_EQ(store().StepCount, step);
}

class HaltTest : public WindowTest {
  protected:
    // Opens a snapshot of two stars at the same place; the next tick divides by zero.
    FormDraw& HaltedRun() {
        FormDraw& draw = StartRun();
        WriteBodies("pair.kvx", {BodyAt(5e18, 5e18, 5e18), BodyAt(5e18, 5e18, 5e18)});
        dialog.answers = {path("pair.kvx")};
        draw.load_Click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return draw.isHalted(); }, 5000));
        return draw;
    }
};

TEST_F(HaltTest, FaultStopsTheTimerForGoodAndNamesFaultAndStep) {
    FormDraw& draw = HaltedRun();
    EXPECT_FALSE(draw.Timer1.Running());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(FpFaultText(FpFault::DivisionByZero)), std::string::npos);
    EXPECT_NE(messages[0].find(std::to_string(store().StepCount)), std::string::npos);
    EXPECT_EQ(store().N(), 2);
    const auto step = store().StepCount;
    QTest::qWait(30);
    EXPECT_EQ(store().StepCount, step);
    // The loaded stars are drawn; the window is usable.
    EXPECT_EQ(draw.Picture1->Image(), PictureOf(store(), "xy"));
}

TEST_F(HaltTest, HaltedTickShowsItsStepAndTimeStepAndKeepsTheLastEnergy) {
    FormDraw& draw = StartStopped();
    draw.Timer1_Timer();
    const std::string energy = Text(draw.Label1);
    ASSERT_EQ(energy.rfind("Энергия системы: ", 0), 0u) << energy;
    QTest::mouseClick(draw.Command1, Qt::LeftButton);  // dT × 1.5, shown after the next tick
    WriteBodies("pair.kvx", {BodyAt(5e18, 5e18, 5e18), BodyAt(5e18, 5e18, 5e18)});
    dialog.answers = {path("pair.kvx")};
    draw.load_Click();
    draw.Timer1_Timer();  // loads the pair, whose integration divides by zero
    ASSERT_TRUE(draw.isHalted());
    EXPECT_EQ(draw.Caption(), "Кворакс  " + std::to_string(store().StepCount) + " шаг");
    EXPECT_EQ(Text(draw.Label2), " 473040000");
    EXPECT_EQ(Text(draw.Label1), energy);
}

TEST_F(HaltTest, HaltInTheFirstTickReplacesTheDesignCaptionAndTimeStep) {
    program->Start();
    program->formStart()->Box(StartBox::dT)->setText("1e307");
    QTest::mouseClick(program->formStart()->Command1, Qt::LeftButton);
    FormDraw& draw = *program->formDraw();
    ASSERT_TRUE(QTest::qWaitFor([&] { return draw.isHalted(); }, 5000));
    EXPECT_EQ(store().StepCount, 1);
    EXPECT_EQ(draw.Caption(), "Кворакс  1 шаг");
    EXPECT_EQ(Text(draw.Label2), " 1E+307");
    EXPECT_EQ(Text(draw.Label1), "Энергия системы-");  // no tick completed
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("шаге 1"), std::string::npos) << messages[0];
}

TEST_F(HaltTest, SaveAndPhotoAfterTheHaltKeepTheStateAndDoNotRestart) {
    FormDraw& draw = HaltedRun();
    const std::string loaded = ReadAll("pair.kvx");
    std::filesystem::remove("pair.kvx");
    draw.Saving_Click();  // to the file just loaded
    EXPECT_EQ(ReadAll("pair.kvx"), loaded);
    draw.Photo_Click();
    EXPECT_EQ(ReadAll("Noname00.wmf").substr(0, 2), "BM");
    dialog.answers = {path("b.kvx")};
    draw.SaveAs_Click();
    EXPECT_EQ(ReadAll("b.kvx"), loaded);
    EXPECT_FALSE(draw.Timer1.Running());
    EXPECT_TRUE(draw.isHalted());
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(HaltTest, OpenRestartsTheRunWithTheChosenFile) {
    FormDraw& draw = HaltedRun();
    dialog.answers = {""};  // nothing chosen: still halted
    draw.load_Click();
    EXPECT_TRUE(draw.isHalted());
    WriteBodies("five.kvx",
                {BodyAt(1e18, 1e18, 1e18), BodyAt(2e18, 1e18, 1e18), BodyAt(3e18, 1e18, 1e18),
                 BodyAt(4e18, 1e18, 1e18), BodyAt(5e18, 1e18, 1e18)});
    dialog.answers = {path("five.kvx")};
    draw.load_Click();
    EXPECT_FALSE(draw.isHalted());
    const auto step = store().StepCount;
    ASSERT_TRUE(QTest::qWaitFor([&] { return store().StepCount >= step + 2; }, 5000));
    EXPECT_EQ(store().N(), 5);
    EXPECT_EQ(store().FileName, path("five.kvx"));
}

}  // namespace
