// Shared set-up of the window tests: one QApplication under a decimal-comma locale, a
// fresh working folder per test, a scripted file dialog, and recorders for messages and
// for the end of the program.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/KvoraxProgram.h"
#include "display/CommonDialog.h"
#include "display/Picture.h"
#include "display/Projection.h"
#include "display/toolkit/Fonts.h"
#include "display/toolkit/Language.h"
#include "display/toolkit/Program.h"
#include "storage/Snapshot.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

/// Answers the dialog's showings from a list of names; records what was asked.
class ScriptedDialog : public CommonDialog {
  public:
    std::deque<std::string> answers;
    std::vector<std::string> shown;  // "open" or "save", in order
    std::string filter;
    std::function<void()> onShow;  // runs while the dialog "is open"

    void SetFilter(const std::string& f) override { filter = f; }
    void ShowOpen() override { Answer("open"); }
    void ShowSave() override { Answer("save"); }
    std::string FileName() const override { return name_; }

  private:
    void Answer(const std::string& kind) {
        shown.push_back(kind);
        if (onShow) onShow();
        name_ = answers.empty() ? "" : answers.front();
        if (!answers.empty()) answers.pop_front();
    }
    std::string name_;
};

/// The one QApplication, set up as the program sets it up. After QApplication the C library
/// follows the environment's locale: by default one with a decimal comma where installed,
/// so texts that went through printf would show it. The first call chooses the locale.
inline QApplication& Application(const char* systemLocale = "ru_RU.UTF-8") {
    static QApplication* app = [systemLocale] {
        ::setenv("LC_ALL", systemLocale, 1);
        static int argc = 1;
        static char name[] = "window_tests";
        static char* argv[] = {name, nullptr};
        auto* created = new QApplication(argc, argv);
        toolkit::UseRussian();
        toolkit::UseDesignFonts();
        return created;
    }();
    return *app;
}

inline void WriteAll(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

/// The picture that shows exactly the bodies, projected on the plane, on black.
inline QImage PictureOf(const Store& store, const std::string& plane) {
    Picture expected;
    for (const Body& body : store.Bodies)
        if (const auto point = Project(body, plane, store.Size1))
            expected.Plot(*point, qRgb(255, 255, 255));
    return expected.Image();
}

inline void WriteBodies(const std::string& path, const std::vector<Body>& bodies) {
    Store s;
    s.RecreateTables(static_cast<int>(bodies.size()));
    s.Bodies = bodies;
    WriteSnapshot(path, s);
}

inline Body BodyAt(double x, double y, double z, double mass = 1e30) {
    Body b;
    b.x = x, b.y = y, b.z = z, b.mass = mass;
    return b;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Application();
        previousFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.path());
        toolkit::SetMessagePresenterForTesting(
            [this](const std::string& text) { messages.push_back(text); });
        toolkit::SetProgramEndForTesting([this] { ++ends; });
        program = std::make_unique<KvoraxProgram>(dialog);
    }

    void TearDown() override {
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        toolkit::SetMessagePresenterForTesting(nullptr);
        toolkit::SetProgramEndForTesting(nullptr);
        std::filesystem::current_path(previousFolder_);
    }

    /// Shows the start form and presses "OK" with Enter; the run then ticks on its timer.
    FormDraw& StartRun() {
        program->Start();
        QTest::keyClick(program->formStart()->Command1, Qt::Key_Return);
        FormDraw* draw = program->formDraw();
        if (!draw) throw std::runtime_error("the main window was not shown");
        return *draw;
    }

    /// Starts the run and stops its timer after the first tick, for ticks by hand.
    FormDraw& StartStopped() {
        FormDraw& draw = StartRun();
        EXPECT_TRUE(QTest::qWaitFor([&] { return store().StepCount >= 1; }, 5000));
        draw.Timer1.SetInterval(0);
        return draw;
    }

    bool WaitActive(QWidget* window) {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window, 5000);
    }

    Store& store() { return program->store(); }
    std::string path(const std::string& name) const { return folder_.path(name); }

    ScriptedDialog dialog;
    std::vector<std::string> messages;
    int ends = 0;
    std::unique_ptr<KvoraxProgram> program;

  private:
    TempFolder folder_;
    std::filesystem::path previousFolder_;
};
