// Save, Save As, Open and Photo through the scripted dialog: the names they choose, what
// they do with FileName and FileToOpen and the timer, and the failures they report.
#include <cstring>

#include "tests/display/WindowTestSupport.h"

namespace {

class FileCommandsTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        draw = &StartStopped();
        draw->Timer1.SetInterval(1);
    }
    // Whether the timer ran while the dialog was open.
    void RecordTimerAtDialog() {
        dialog.onShow = [this] { timerAtDialog.push_back(draw->Timer1.Running()); };
    }

    FormDraw* draw = nullptr;
    std::vector<bool> timerAtDialog;
};

TEST_F(FileCommandsTest, SaveWritesNumberedFilesAndLeavesNoName) {
    draw->Saving_Click();
    EXPECT_EQ(ReadAll("Noname00.kvx").size(), SnapshotSize(100));
    EXPECT_EQ(store().FileName, "");
    EXPECT_EQ(draw->Timer1.Interval(), 1);
    draw->Saving_Click();
    EXPECT_TRUE(std::filesystem::exists("Noname01.kvx"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(FileCommandsTest, SaveHoldsTheBodiesBitForBit) {
    draw->Timer1.SetInterval(0);
    draw->Timer1_Timer();
    draw->Saving_Click();
    draw->Timer1.SetInterval(0);
    const std::vector<Body> saved = store().Bodies;
    Store loaded;
    ReadSnapshot("Noname00.kvx", loaded);
    ASSERT_EQ(loaded.N(), 100);
    for (int k = 0; k < 100; ++k) {
        EXPECT_EQ(std::memcmp(&loaded.Bodies[k].x, &saved[k].x, 6 * sizeof(double)), 0) << k;
        EXPECT_EQ(loaded.Bodies[k].mass, saved[k].mass);
    }
}

TEST_F(FileCommandsTest, SaveAsNameServesOneSaveThenNumberedNamesFollow) {
    RecordTimerAtDialog();
    dialog.answers = {path("a.kvx")};
    draw->SaveAs_Click();
    EXPECT_EQ(dialog.filter, "Кворакс файлы|*.kvx");
    EXPECT_EQ(dialog.shown, std::vector<std::string>{"save"});
    EXPECT_EQ(timerAtDialog, std::vector<bool>{false});
    EXPECT_EQ(store().FileName, path("a.kvx"));
    EXPECT_EQ(draw->Timer1.Interval(), 1);
    std::filesystem::remove("a.kvx");
    draw->Saving_Click();
    EXPECT_TRUE(std::filesystem::exists("a.kvx"));
    EXPECT_EQ(store().FileName, "");
    draw->Saving_Click();
    EXPECT_TRUE(std::filesystem::exists("Noname00.kvx"));
}

TEST_F(FileCommandsTest, SaveAsWithNothingChosenWritesNothingAndForgetsTheName) {
    store().FileName = path("earlier.kvx");
    dialog.answers = {""};
    draw->SaveAs_Click();
    EXPECT_EQ(store().FileName, "");
    EXPECT_FALSE(std::filesystem::exists("earlier.kvx"));
    EXPECT_EQ(draw->Timer1.Interval(), 1);
}

TEST_F(FileCommandsTest, SaveAsThatCannotWriteKeepsTheChosenNameForTheNextSave) {
    store().FileName = path("earlier.kvx");
    dialog.answers = {path("missing/x.kvx")};
    draw->SaveAs_Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("«" + path("missing/x.kvx") + "»"), std::string::npos);
    EXPECT_NE(messages[0].find("не существует"), std::string::npos) << messages[0];
    EXPECT_EQ(store().FileName, path("missing/x.kvx"));
    EXPECT_EQ(draw->Timer1.Interval(), 1);
    // The next Save tries the chosen name again, never the earlier file.
    draw->Saving_Click();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], messages[0]);
    EXPECT_FALSE(std::filesystem::exists("earlier.kvx"));
    std::filesystem::create_directory("missing");
    draw->Saving_Click();
    EXPECT_EQ(ReadAll("missing/x.kvx").size(), SnapshotSize(100));
    EXPECT_EQ(store().FileName, "");
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(FileCommandsTest, SaveThatCannotWriteReportsAndKeepsTheName) {
    store().FileName = path("missing/y.kvx");
    draw->Saving_Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(store().FileName, path("missing/y.kvx"));
    EXPECT_EQ(draw->Timer1.Interval(), 1);
}

TEST_F(FileCommandsTest, OpenLoadsAtTheNextTickAndTheStepCountGoesOn) {
    RecordTimerAtDialog();
    std::vector<Body> five;
    for (int k = 1; k <= 5; ++k)
        five.push_back(BodyAt(k * 1e18, 2e18, 3e18));
    WriteBodies("five.kvx", five);
    draw->Timer1.SetInterval(0);
    dialog.answers = {path("five.kvx")};
    draw->load_Click();
    EXPECT_EQ(dialog.shown, std::vector<std::string>{"open"});
    EXPECT_EQ(dialog.filter, "Кворакс файлы|*.kvx");
    EXPECT_EQ(store().FileToOpen, path("five.kvx"));
    EXPECT_EQ(store().N(), 100);  // nothing is read by the command
    const auto step = store().StepCount;
    draw->Timer1_Timer();
    EXPECT_EQ(store().N(), 5);
    EXPECT_EQ(store().StepCount, step + 1);
    EXPECT_EQ(store().FileName, path("five.kvx"));
    EXPECT_EQ(store().FileToOpen, "");
    EXPECT_EQ(draw->Picture1->Image(), PictureOf(store(), "xy"));
    EXPECT_EQ(PictureOf(store(), "xy").pixel(60, 120), qRgb(255, 255, 255));
    // The next Save writes to the loaded file.
    std::filesystem::remove("five.kvx");
    draw->Saving_Click();
    EXPECT_EQ(ReadAll("five.kvx").size(), SnapshotSize(5));
}

TEST_F(FileCommandsTest, OpenLeavesTheTimerRunningAndEmptyWithdrawsAPendingOpen) {
    RecordTimerAtDialog();
    dialog.answers = {path("later.kvx"), ""};
    draw->load_Click();
    EXPECT_EQ(store().FileToOpen, path("later.kvx"));
    draw->load_Click();
    EXPECT_EQ(timerAtDialog, (std::vector<bool>{true, true}));
    EXPECT_EQ(store().FileToOpen, "");
    const auto step = store().StepCount;
    ASSERT_TRUE(QTest::qWaitFor([&] { return store().StepCount > step; }, 5000));
    EXPECT_TRUE(messages.empty());  // the withdrawn file was never read
}

TEST_F(FileCommandsTest, RefusedSnapshotIsReportedAndTheRunGoesOnUnchanged) {
    WriteAll("short.kvx", "\x05");
    store().FileName = path("current.kvx");
    dialog.answers = {path("short.kvx")};
    draw->load_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 5000));
    EXPECT_NE(messages[0].find("short.kvx"), std::string::npos);
    EXPECT_EQ(store().N(), 100);
    EXPECT_EQ(store().FileName, path("current.kvx"));
    const auto step = store().StepCount;
    EXPECT_TRUE(QTest::qWaitFor([&] { return store().StepCount > step; }, 5000));
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(FileCommandsTest, PhotoWithoutANameWritesNumberedBitmaps) {
    draw->Photo_Click();
    EXPECT_EQ(ReadAll("Noname00.wmf").substr(0, 2), "BM");
    EXPECT_EQ(draw->Timer1.Interval(), 1);
    draw->Photo_Click();
    EXPECT_TRUE(std::filesystem::exists("Noname01.wmf"));
    EXPECT_FALSE(std::filesystem::exists("Noname00.kvx"));
}

TEST_F(FileCommandsTest, PhotoHoldsWhatPicture1Shows) {
    draw->Timer1.SetInterval(0);
    draw->Photo_Click();
    draw->Timer1.SetInterval(0);
    QImage written;
    ASSERT_TRUE(written.load("Noname00.wmf", "BMP"));
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), draw->Picture1->Image());
}

TEST_F(FileCommandsTest, PhotoBesideTheSnapshotKeepsTheName) {
    std::filesystem::create_directory("runs");
    dialog.answers = {path("runs/a.kvx")};
    draw->SaveAs_Click();
    draw->Photo_Click();
    EXPECT_TRUE(std::filesystem::exists("runs/a.wmf"));
    EXPECT_EQ(store().FileName, path("runs/a.kvx"));
    std::filesystem::remove("runs/a.wmf");
    draw->Photo_Click();
    EXPECT_TRUE(std::filesystem::exists("runs/a.wmf"));
}

TEST_F(FileCommandsTest, PhotoAfterADefaultNameForgetsIt) {
    store().FileName = "Noname03.kvx";
    draw->Photo_Click();
    EXPECT_TRUE(std::filesystem::exists("Noname03.wmf"));
    EXPECT_EQ(store().FileName, "");
    draw->Saving_Click();
    EXPECT_TRUE(std::filesystem::exists("Noname00.kvx"));
}

TEST_F(FileCommandsTest, PhotoThatCannotWriteReportsAndKeepsTheName) {
    store().FileName = "nofolder/a.kvx";
    draw->Photo_Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("nofolder/a.wmf"), std::string::npos);
    EXPECT_EQ(store().FileName, "nofolder/a.kvx");
    EXPECT_EQ(draw->Timer1.Interval(), 1);
}

}  // namespace
