// Every writer of the window program against a missing folder, a regular file where a
// folder should be, and a full disk; every malformed snapshot against Open. Each must give
// one message naming the file, keep the previous file byte for byte, leave no temporary
// file, and keep the simulation running.
#include <cmath>
#include <cstring>

#include "storage/FileAccess.h"
#include "tests/display/WindowTestSupport.h"
#include "tests/support/WriteFaults.h"

namespace {

const char* const kPrevious = "previous content\r\n";

class FaultInjectionTest : public WindowTest {
  protected:
    void TearDown() override {
        SetWriteLimitForTesting(nullptr);
        WindowTest::TearDown();
    }

    // Names in the working folder, sorted: a temporary file would show up here.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator("."))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void ExpectOneMessageNaming(const std::string& name) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("«" + name + "»"), std::string::npos) << messages[0];
        messages.clear();
    }

    void ExpectStillRunning(FormDraw& draw) {
        EXPECT_EQ(draw.Timer1.Interval(), 1);
        EXPECT_FALSE(draw.isHalted());
        const auto step = store().StepCount;
        EXPECT_TRUE(QTest::qWaitFor([&] { return store().StepCount > step; }, 5000));
    }
};

// The three commands that write a snapshot or a picture to a path of the user's: prepare
// points the command at the target, act runs it. Save As keeps the target as FileName
// whatever the outcome; the others leave FileName as it was when they fail.
struct PathWriter {
    const char* name;
    const char* extension;
    std::function<void(Store&, ScriptedDialog&, const std::string& target)> prepare;
    std::function<void(FormDraw&)> act;
    bool namesTarget = false;
};

const PathWriter kPathWriters[] = {
    {"Save", ".kvx", [](Store& s, ScriptedDialog&, const std::string& t) { s.FileName = t; },
     [](FormDraw& d) { d.Saving_Click(); }},
    {"Save As", ".kvx",
     [](Store& s, ScriptedDialog& dialog, const std::string& t) {
         s.FileName = "kept.kvx";
         dialog.answers = {t};
     },
     [](FormDraw& d) { d.SaveAs_Click(); }, true},
    {"Photo", ".wmf",  // the picture is named after the snapshot
     [](Store& s, ScriptedDialog&, const std::string& t) {
         s.FileName = t.substr(0, t.size() - 4) + ".kvx";
     },
     [](FormDraw& d) { d.Photo_Click(); }},
};

void RunWriter(const PathWriter& writer, FormDraw& draw, Store& store, ScriptedDialog& dialog,
               const std::string& target) {
    writer.prepare(store, dialog, target);
    const std::string name = writer.namesTarget ? target : store.FileName;
    writer.act(draw);
    EXPECT_EQ(store.FileName, name);
}

TEST_F(FaultInjectionTest, SnapshotAndPictureWritersOnBrokenTargets) {
    FormDraw& draw = StartRun();
    WriteAll("plain", kPrevious);
    for (const PathWriter& writer : kPathWriters) {
        const std::string ext = writer.extension;
        std::vector<std::string> targets = {"missing/a" + ext, "plain/a" + ext};
        if (ext == ".kvx") targets.push_back("/dev/full");  // a picture name ends in .wmf
        for (const std::string& target : targets) {
            SCOPED_TRACE(std::string(writer.name) + " to " + target);
            const std::vector<std::string> before = Entries();
            RunWriter(writer, draw, store(), dialog, target);
            ExpectOneMessageNaming(target);
            EXPECT_EQ(ReadAll("plain"), kPrevious);
            EXPECT_EQ(Entries(), before);
            ExpectStillRunning(draw);
        }
    }
}

TEST_F(FaultInjectionTest, SnapshotAndPictureWritersOnAFullDisk) {
    FormDraw& draw = StartRun();
    for (const PathWriter& writer : kPathWriters) {
        for (long long limit : {0LL, 1LL, 57LL, 4096LL}) {
            SCOPED_TRACE(std::string(writer.name) + " failing after " + std::to_string(limit));
            const std::string target = std::string("a") + writer.extension;
            WriteAll(target, kPrevious);
            const std::vector<std::string> before = Entries();
            SetWriteLimitForTesting([limit](const std::string&) { return limit; });
            RunWriter(writer, draw, store(), dialog, target);
            SetWriteLimitForTesting(nullptr);
            ExpectOneMessageNaming(target);
            EXPECT_EQ(ReadAll(target), kPrevious);
            EXPECT_EQ(Entries(), before);
            ExpectStillRunning(draw);
        }
    }
}

TEST_F(FaultInjectionTest, SettingsAtOkOnAFullDisk) {
    WriteAll("Kvorax.ini", "\"1e9\"\r\n");  // a valid file of one value, kept as it is
    SetWriteLimitForTesting([](const std::string&) { return 30; });
    FormDraw& draw = StartRun();
    SetWriteLimitForTesting(nullptr);
    ExpectOneMessageNaming("Kvorax.ini");
    EXPECT_EQ(ReadAll("Kvorax.ini"), "\"1e9\"\r\n");
    EXPECT_EQ(Entries(), std::vector<std::string>{"Kvorax.ini"});
    EXPECT_EQ(store().dT, 1e9);
    ExpectStillRunning(draw);
}

TEST_F(FaultInjectionTest, SettingsAtOkWithTheWorkingFolderGone) {
    std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::remove(here);  // the working folder itself vanished
    FormDraw& draw = StartRun();
    ExpectOneMessageNaming("Kvorax.ini");
    std::filesystem::create_directory(here);
    ExpectStillRunning(draw);
}

TEST_F(FaultInjectionTest, SettingsAtExitOnAFullDiskStillEnd) {
    FormDraw& draw = StartRun();
    const std::string written = ReadAll("Kvorax.ini");
    ASSERT_FALSE(written.empty());
    for (long long limit : {0LL, 10LL}) {
        SetWriteLimitForTesting([limit](const std::string&) { return limit; });
        ends = 0;
        draw.quit_Click();
        SetWriteLimitForTesting(nullptr);
        ExpectOneMessageNaming("Kvorax.ini");
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(ReadAll("Kvorax.ini"), written);
        EXPECT_EQ(Entries(), std::vector<std::string>{"Kvorax.ini"});
    }
}

Bytes WithCount(int n, std::size_t size) {
    Bytes b(size, 0);
    b[0] = static_cast<std::uint8_t>(n & 0xFF);
    b[1] = static_cast<std::uint8_t>((n >> 8) & 0xFF);
    return b;
}

Bytes WithValue(double v) {
    Bytes b = WithCount(2, SnapshotSize(2));
    std::memcpy(b.data() + 2 + 56 + 48, &v, 8);  // the second body's mass
    return b;
}

TEST_F(FaultInjectionTest, MalformedSnapshotsThroughOpen) {
    FormDraw& draw = StartRun();
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"one byte", {0x05}},
        {"count 0", WithCount(0, 200)},
        {"count -1", WithCount(-1, 200)},
        {"count 32767", WithCount(32767, SnapshotSize(32767))},
        {"count larger than the data", WithCount(4, SnapshotSize(4) - 1)},
        {"NaN", WithValue(std::nan(""))},
        {"infinity", WithValue(-HUGE_VAL)},
    };
    std::filesystem::create_directory("folder.kvx");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(path("bad.kvx"), std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()),
                   static_cast<long>(c.bytes.size()));
        store().FileName = "kept.kvx";
        dialog.answers = {path("bad.kvx")};
        draw.load_Click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 5000));
        ExpectOneMessageNaming(path("bad.kvx"));
        EXPECT_EQ(store().N(), 100);
        EXPECT_EQ(store().FileName, "kept.kvx");
        EXPECT_EQ(store().FileToOpen, "");
        ExpectStillRunning(draw);
    }
    dialog.answers = {path("folder.kvx")};
    draw.load_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 5000));
    EXPECT_NE(messages[0].find("это папка"), std::string::npos) << messages[0];
    messages.clear();
    ExpectStillRunning(draw);
}

}  // namespace
