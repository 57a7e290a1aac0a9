// The start form: its load step, the start sequence with its hand-over to the main window
// and the plane chooser, refused parameters, and closing it.
#include "tests/display/WindowTestSupport.h"

namespace {

// The eight lines of the design defaults, in the settings file's line order.
const std::string kDefaultSettings =
    "\" 315360000\"\r\n\"6.67e-11\"\r\n\"4.61e+32\"\r\n\"2e+30\"\r\n\"100\"\r\n"
    "\"1e+19\"\r\n\"0.5e+18\"\r\n\"Text1\"\r\n";

using StartFormTest = WindowTest;

TEST_F(StartFormTest, OpensWithTheDesignDefaultsAndTheFocusOnOk) {
    program->Start();
    FormStart* form = program->formStart();
    ASSERT_TRUE(WaitActive(form));
    EXPECT_EQ(form->Caption(), "Стартовые параметры.");
    EXPECT_EQ(QApplication::focusWidget(), form->Command1);
    EXPECT_EQ(form->Box(StartBox::dT)->text().toStdString(), " 315360000");
    EXPECT_EQ(form->Box(StartBox::No)->text().toStdString(), "Text1");
    // Tab goes from the button to the boxes in row order.
    QTest::keyClick(form->Command1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->Box(StartBox::N));
    form->Box(StartBox::IM)->setFocus();
    QTest::keyClick(form->Box(StartBox::IM), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->Box(StartBox::dT));
}

TEST_F(StartFormTest, EnterPressesOkOnlyWhileTheButtonHasTheFocus) {
    program->Start();
    FormStart* form = program->formStart();
    ASSERT_TRUE(WaitActive(form));
    form->Box(StartBox::N)->setFocus();
    QTest::keyClick(form->Box(StartBox::N), Qt::Key_Return);  // the form has no default button
    EXPECT_EQ(program->formDraw(), nullptr);
    QTest::keyClick(form->Box(StartBox::N), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), form->Command1);
    form->Box(StartBox::No)->setFocus();
    QTest::keyClick(form->Box(StartBox::No), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), form->Command1);
    QTest::keyClick(form->Command1, Qt::Key_Return);
    EXPECT_NE(program->formDraw(), nullptr);
}

TEST_F(StartFormTest, LoadStepFillsTheBoxesFromTheSettingsFile) {
    WriteAll("Kvorax.ini",
             "\" 42\"\r\n\"1\"\r\n\"2\"\r\n\"3\"\r\n\"7\"\r\n\"9e9\"\r\n\"1e9\"\r\n\"0.5\"\r\n");
    program->Start();
    FormStart* form = program->formStart();
    EXPECT_EQ(form->Box(StartBox::dT)->text().toStdString(), " 42");
    EXPECT_EQ(form->Box(StartBox::N)->text().toStdString(), "7");
    EXPECT_EQ(form->Box(StartBox::No)->text().toStdString(), "0.5");
}

TEST_F(StartFormTest, OkBuildsTheRunWritesTheSettingsAndHandsOver) {
    FormDraw& draw = StartRun();
    FormStart* form = program->formStart();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(draw.isVisible());
    ASSERT_NE(draw.PlaneChooser(), nullptr);
    EXPECT_TRUE(draw.PlaneChooser()->isVisible());
    EXPECT_EQ(draw.PlaneChooser()->Options().Selected(), 0);
    EXPECT_EQ(store().Plane, "xy");
    EXPECT_EQ(store().DrawnPlane, "xy");
    EXPECT_EQ(store().N(), 100);
    EXPECT_EQ(store().dT, 315360000.0);
    EXPECT_EQ(ReadAll("Kvorax.ini"), kDefaultSettings);
    EXPECT_TRUE(messages.empty());
    // The first tick comes after the start sequence, from the timer.
    EXPECT_EQ(store().StepCount, 0);
    EXPECT_EQ(draw.Timer1.Interval(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return store().StepCount >= 1; }, 5000));
}

TEST_F(StartFormTest, TypedTextsAreWrittenAsTyped) {
    program->Start();
    FormStart* form = program->formStart();
    form->Box(StartBox::N)->setText("2.5");  // rounds half to even: 2 stars
    form->Box(StartBox::G)->setText("6,67e-11");
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    EXPECT_EQ(store().N(), 2);
    EXPECT_EQ(store().G, 6.0);
    const std::string settings = ReadAll("Kvorax.ini");
    EXPECT_NE(settings.find("\"6,67e-11\"\r\n"), std::string::npos);
    EXPECT_NE(settings.find("\"2.5\"\r\n"), std::string::npos);
}

TEST_F(StartFormTest, RefusedParameterIsShownAndTheFormStaysOpen) {
    program->Start();
    FormStart* form = program->formStart();
    form->Box(StartBox::N)->setText("0");
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Количество звезд"), std::string::npos);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(program->formDraw(), nullptr);
    EXPECT_FALSE(std::filesystem::exists("Kvorax.ini"));
    EXPECT_EQ(store().N(), 0);
    // Corrected, the same form starts the run.
    form->Box(StartBox::N)->setText("10");
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    ASSERT_NE(program->formDraw(), nullptr);
    EXPECT_EQ(store().N(), 10);
}

TEST_F(StartFormTest, SettingsThatCannotBeWrittenAreReportedAndTheRunGoesOn) {
    std::filesystem::create_directory("Kvorax.ini");  // not a plain file: never read, not writable
    FormDraw& draw = StartRun();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Kvorax.ini"), std::string::npos);
    EXPECT_TRUE(draw.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return store().StepCount >= 2; }, 5000));
}

TEST_F(StartFormTest, ClosingItEndsTheProgramWithoutWritingAnything) {
    program->Start();
    program->formStart()->close();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(program->formDraw(), nullptr);
    EXPECT_FALSE(std::filesystem::exists("Kvorax.ini"));
}

}  // namespace
