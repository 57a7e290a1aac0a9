// Frames, checkpoints and the progress line of long runs: the files' names and contents
// against what --save and --photo write, refused arguments, unusable folders, a fault in
// the middle of a run, a write that fails, and the progress line only on a terminal.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <latch>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "core/FileError.h"
#include "runner/BackgroundWrites.h"
#include "runner/PeriodicOutputs.h"
#include "runner/ProgressLine.h"
#include "storage/FileAccess.h"
#include "storage/Snapshot.h"
#include "tests/support/Bodies.h"
#include "tests/support/RunnerProcess.h"
#include "tests/support/SettingsFiles.h"
#include "tests/support/WriteFaults.h"

namespace {

using Names = std::vector<std::string>;

// Pixels compared as colours, whatever format each file stores them in.
QImage Pixels(const std::string& path) {
    return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

bool HasWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 255, 255)) return true;
    return false;
}

// Finish reports the failed file of the lowest step and, when given, how many others failed.
void ExpectFinishFails(PeriodicOutputs& outputs, const std::string& file,
                       std::optional<int> othersFailed = std::nullopt) {
    try {
        outputs.Finish();
        ADD_FAILURE() << "the failed write was not reported";
    } catch (const PeriodicWriteError& failure) {
        EXPECT_NE(failure.first().path().find(file), std::string::npos) << failure.first().path();
        if (othersFailed) {
            EXPECT_EQ(failure.othersFailed(), *othersFailed);
        }
    }
}

}  // namespace

TEST(PeriodicOutputs, FilesAfterEveryKthAndTheLastTickNamedWithTheStep) {
    TempFolder f;
    RunResult r = RunRunner(f, "--steps 25 --every 10 --frames f --checkpoints c");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(EntriesOf(f.path("f")),
              (Names{"frame-000010.png", "frame-000020.png", "frame-000025.png"}));
    EXPECT_EQ(EntriesOf(f.path("c")),
              (Names{"step-000010.kvx", "step-000010.kvxr", "step-000020.kvx", "step-000020.kvxr",
                     "step-000025.kvx", "step-000025.kvxr"}));
    EXPECT_EQ(ReadAll(f.path("f/frame-000010.png")).substr(1, 3), "PNG");

    // A last tick that is a K-th one is written once; existing folders are used as they are.
    r = RunRunner(f, "--steps 20 --every 20 --frames g --checkpoints g");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(EntriesOf(f.path("g")),
              (Names{"frame-000020.png", "step-000020.kvx", "step-000020.kvxr"}));
    EXPECT_EQ(RunRunner(f, "--steps 3 --every 2 --frames g").status, 0);
    EXPECT_EQ(EntriesOf(f.path("g")),
              (Names{"frame-000002.png", "frame-000003.png", "frame-000020.png", "step-000020.kvx",
                     "step-000020.kvxr"}));
    // Steps past six digits keep every digit, so names still sort by step within a width.
    EXPECT_EQ(StepFileName("runs", "frame-", 1234567, ".png"), "runs/frame-1234567.png");
}

TEST(PeriodicOutputs, EachFileIsWhatSaveAndPhotoWriteAfterThatTick) {
    TempFolder f;
    RunResult r = RunRunner(
        f, "--steps 25 --every 10 --frames f --checkpoints c --save last.kvx --photo last.bmp");
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunRunner(f, "--steps 10 --save ten.kvx --photo ten.bmp");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadAll(f.path("c/step-000025.kvx")), ReadAll(f.path("last.kvx")));
    EXPECT_EQ(ReadAll(f.path("c/step-000010.kvx")), ReadAll(f.path("ten.kvx")));
    EXPECT_NE(ReadAll(f.path("c/step-000010.kvx")), ReadAll(f.path("c/step-000020.kvx")));
    const QImage last = Pixels(f.path("last.bmp"));
    ASSERT_TRUE(HasWhite(last));  // else equal pictures would prove little
    EXPECT_EQ(Pixels(f.path("f/frame-000025.png")), last);
    EXPECT_EQ(Pixels(f.path("f/frame-000010.png")), Pixels(f.path("ten.bmp")));
}

TEST(PeriodicOutputs, RefusedArgumentsNameTheOptionAndCreateNothing) {
    TempFolder f;
    ExpectEachRefused(f, 2,
                      {
                          {"--every 0 --frames f", "«0»"},
                          {"--every -3 --frames f", "«-3»"},
                          {"--every x --checkpoints c", "«x»"},
                          {"--every 2.5 --frames f", "«2.5»"},
                          {"--every 5", "--every"},
                          {"--frames f", "--frames"},
                          {"--checkpoints c --steps 3", "--checkpoints"},
                      },
                      "--every");
    EXPECT_EQ(f.entries(), Names{});
}

TEST(PeriodicOutputs, UnusableFolderStopsTheRunBeforeItsFirstTick) {
    TempFolder f;
    std::ofstream(f.path("plain")) << "x";
    const bool hasSys = std::filesystem::is_directory("/sys");
    const struct {
        std::string folder, reason;
    } cases[] = {
        {"missing/frames", "не существует"},
        {"plain/frames", "не является папкой"},
        {"plain", "уже есть файл"},
        {hasSys ? "/sys" : "plain", hasSys ? "«/sys»" : "уже есть файл"},  // even for root
    };
    for (const auto& c : cases) {
        const RunResult r = RunRunner(f, "--steps 5 --every 1 --frames '" + c.folder +
                                             "' --save s.kvx --photo p.bmp --log l.csv");
        EXPECT_EQ(r.status, 4) << c.folder;
        EXPECT_NE(r.err.find("«" + c.folder + "»"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.folder;
        EXPECT_EQ(f.entries(), Names{"plain"}) << c.folder;  // no --save, --photo or --log
    }
}

TEST(PeriodicOutputs, FaultWritesTheStateBeforeTheFailingTickUnderItsStep) {
    TempFolder f;
    WriteUnitSettings(f.path("Kvorax.ini"));
    // Two massless stars meet at x = 4: the fifth tick finds them at one place.
    WriteSnapshot(f.path("meet.kvx"), StoreOf({Moving(0, 1), Moving(8, -1)}));
    const RunResult r = RunRunner(f,
                                  "--open meet.kvx --steps 10 --every 2 --frames f "
                                  "--checkpoints c --save out.kvx --photo out.bmp");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("шаге 5"), std::string::npos) << r.err;
    EXPECT_EQ(EntriesOf(f.path("c")),
              (Names{"step-000002.kvx", "step-000002.kvxr", "step-000004.kvx", "step-000004.kvxr",
                     "step-000005.kvx", "step-000005.kvxr"}));
    EXPECT_EQ(ReadAll(f.path("c/step-000005.kvx")), ReadAll(f.path("out.kvx")));
    EXPECT_EQ(Pixels(f.path("f/frame-000005.png")), Pixels(f.path("out.bmp")));

    Store four, five;
    ReadSnapshot(f.path("c/step-000004.kvx"), four);
    ReadSnapshot(f.path("c/step-000005.kvx"), five);
    EXPECT_EQ(four.Bodies[0].x, 3.0);
    EXPECT_EQ(four.Bodies[1].x, 5.0);
    EXPECT_EQ(five.Bodies[0].x, 4.0);  // the positions that met, velocities unchanged
    EXPECT_EQ(five.Bodies[1].x, 4.0);
    EXPECT_EQ(five.Bodies[0].vx, 1.0);
    EXPECT_EQ(five.Bodies[1].vx, -1.0);
    const QImage frame4 = Pixels(f.path("f/frame-000004.png"));
    const QImage frame5 = Pixels(f.path("f/frame-000005.png"));
    EXPECT_EQ(frame4.pixel(3, 0), qRgb(255, 255, 255));
    EXPECT_EQ(frame4.pixel(5, 0), qRgb(255, 255, 255));
    EXPECT_EQ(frame5.pixel(4, 0), qRgb(255, 255, 255));
    EXPECT_EQ(frame5.pixel(3, 0), qRgb(0, 0, 0));  // erased by the failing tick
    EXPECT_EQ(frame5.pixel(5, 0), qRgb(0, 0, 0));
}

TEST(PeriodicOutputs, NothingIsWrittenAfterAWriteFails) {
    TempFolder f;
    SetWriteLimitForTesting([](const std::string& path) {
        return path.find("frame-000020") != std::string::npos ? 0LL : -1LL;
    });
    RunState run;
    run.store = StoreOf({Moving(1, 0)});
    PeriodicOutputs outputs(f.path("f"), "", 10);
    outputs.AfterTick(10, false, run);
    outputs.AfterTick(20, false, run);
    ExpectFinishFails(outputs, "frame-000020.png");
    EXPECT_TRUE(outputs.failed());
    outputs.AfterTick(30, true, run);
    EXPECT_THROW(outputs.Finish(), PeriodicWriteError);
    SetWriteLimitForTesting(nullptr);
    EXPECT_EQ(EntriesOf(f.path("f")), Names{"frame-000010.png"});
}

TEST(PeriodicOutputs, ARestartFileThatFailsTakesItsCheckpointWithItAndNothingAfter) {
    // Its content not written, or its name not given after the checkpoint's was.
    for (WriteStep failing : {WriteStep::Write, WriteStep::Link}) {
        SCOPED_TRACE(static_cast<int>(failing));
        TempFolder f;
        std::mutex mutex;
        Names named;  // in the order the files take their names
        SetWriteFaultForTesting([&, failing](const WriteAttempt& attempt) {
            const std::string file = attempt.path.substr(attempt.path.rfind('/') + 1);
            if (attempt.step == WriteStep::Link) {
                std::lock_guard lock(mutex);
                named.push_back(file);
            }
            return file == "step-000020.kvxr" && attempt.step == failing ? ENOSPC : 0;
        });
        RunState run;
        run.store = StoreOf({Moving(1, 0)});
        {
            PeriodicOutputs outputs("", f.path("c"), 10);
            for (int step = 10; step <= 40; step += 10)
                outputs.AfterTick(step, step == 40, run);
            ExpectFinishFails(outputs, "step-000020.kvxr", 0);
        }
        SetWriteFaultForTesting(nullptr);
        EXPECT_EQ(EntriesOf(f.path("c")), (Names{"step-000010.kvx", "step-000010.kvxr"}));
        // The restart file is named after its checkpoint, never ahead of it.
        const Names ten(named.begin(), named.begin() + std::min<std::size_t>(named.size(), 2));
        EXPECT_EQ(ten, (Names{"step-000010.kvx", "step-000010.kvxr"}));
    }
}

namespace {

using Files = BackgroundWrites::Files;

// A write of the files named, in a folder already cleared of leftovers, as the runner's are.
BackgroundWrites::Prepare FilesNamed(const TempFolder& folder, Names names) {
    return [&folder, names] {
        Files files;
        for (const std::string& name : names) {
            files.push_back(std::make_unique<AtomicFileWriter>(
                folder.path(name), Durability::OnCommit, Leftovers::FolderCleared));
            files.back()->Write(name);
        }
        return files;
    };
}

[[noreturn]] Files Throw(const char* path) {
    throw FileError(FileAction::Write, path, FileReason::System(ENOSPC));
}

}  // namespace

TEST(BackgroundWrites, EveryWriteRunsOnceAndAFailureDropsTheWritesBehindIt) {
    std::atomic<int> done{0};
    {
        BackgroundWrites writes(4, 8);
        for (int k = 0; k < 1000; ++k)
            writes.Post([&] {
                ++done;
                return Files{};
            });
        writes.Finish();
        EXPECT_EQ(done, 1000);
    }
    // One thread: the failing write holds until the others are queued behind it.
    BackgroundWrites writes(1, 100);
    std::latch queued(1);
    writes.Post([&] {
        queued.wait();
        return Throw("first");
    });
    for (int k = 0; k < 10; ++k)
        writes.Post([&] {
            ++done;
            return Files{};
        });
    queued.count_down();
    EXPECT_THROW(writes.Finish(), FileError);
    EXPECT_TRUE(writes.failed());
    writes.Post([&] {
        ++done;
        return Files{};
    });
    EXPECT_THROW(writes.Finish(), FileError);
    EXPECT_EQ(done, 1000);
}

TEST(BackgroundWrites, FilesAppearInTheOrderPostedAndTheEarliestFailureIsTheOneReported) {
    TempFolder f;
    BackgroundWrites writes(4, 16);
    std::latch laterFailed(1);
    writes.Post(FilesNamed(f, {"0"}));  // named before the failures
    writes.Post([&] {                   // 1: fails after 3 has failed
        laterFailed.wait();
        return Throw("one");
    });
    writes.Post(FilesNamed(f, {"2"}));  // prepared, but after 1: never named
    writes.Post([&] {
        laterFailed.count_down();
        return Throw("three");
    });
    try {
        writes.Finish();
        ADD_FAILURE() << "no failure reported";
    } catch (const FileError& failure) {
        EXPECT_EQ(failure.path(), "one");  // the earlier posted, though it failed later
    }
    EXPECT_EQ(writes.failures(), 2);
    EXPECT_EQ(f.entries(), Names{"0"});
}

// The writes prepared while the first one is held are named as one group after it: one
// flush of the disk and one of the folder for all their files, where each write alone
// would flush both, and the names still in the order posted.
TEST(BackgroundWrites, WritesPreparedMeanwhileShareOneFlushOfTheDiskAndOfTheFolder) {
    TempFolder f;
    std::mutex mutex;
    std::vector<WriteStep> flushes;
    Names named;
    SetWriteFaultForTesting([&](const WriteAttempt& attempt) {
        std::lock_guard lock(mutex);
        if (attempt.step == WriteStep::Link || attempt.step == WriteStep::Rename)
            named.push_back(attempt.path.substr(attempt.path.rfind('/') + 1));
        if (attempt.step == WriteStep::SyncFile || attempt.step == WriteStep::SyncFileSystem ||
            attempt.step == WriteStep::SyncFolder)
            flushes.push_back(attempt.step);
        return 0;
    });
    {
        BackgroundWrites writes(4, 16);
        std::latch release(1);
        const BackgroundWrites::Prepare first = FilesNamed(f, {"0.kvx", "0.kvxr"});
        writes.Post([&] {
            release.wait();
            return first();
        });
        for (const char* k : {"1", "2", "3"})
            writes.Post(FilesNamed(f, {std::string(k) + ".kvx", std::string(k) + ".kvxr"}));
        for (int wait = 0; wait < 10000 && writes.waitingForTurn() < 3; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(writes.waitingForTurn(), 3);
        release.count_down();
        writes.Finish();
    }
    SetWriteFaultForTesting(nullptr);
    const Names all{"0.kvx", "0.kvxr", "1.kvx", "1.kvxr", "2.kvx", "2.kvxr", "3.kvx", "3.kvxr"};
    EXPECT_EQ(named, all);
    EXPECT_EQ(f.entries(), all);
    EXPECT_EQ(flushes, (std::vector<WriteStep>{WriteStep::SyncFileSystem, WriteStep::SyncFolder}));
}

TEST(PeriodicOutputs, AFullDiskLeavesTheFilesBeforeTheFirstFailedOneAndNoneAfter) {
    TempFolder f;
    // Frame 3 fails only once frames 4 and 5 are being written and 5 has failed already, so
    // that files after it are under way when it fails: none of them may appear.
    std::mutex mutex;
    std::condition_variable seen;
    std::set<std::string> writing;
    auto frame = [](const std::string& path, char k) {
        return path.find(std::string("frame-00000") + k) != std::string::npos;
    };
    SetWriteFaultForTesting([&](const WriteAttempt& attempt) {
        if (attempt.step != WriteStep::Write) return 0;
        std::unique_lock lock(mutex);
        writing.insert(attempt.path.substr(attempt.path.rfind('/') + 1));
        seen.notify_all();
        if (frame(attempt.path, '5')) return ENOSPC;
        if (!frame(attempt.path, '3')) return 0;
        seen.wait_for(lock, std::chrono::seconds(10), [&] { return writing.size() >= 5; });
        return ENOSPC;
    });
    RunState run;
    run.store = StoreOf({Moving(1, 0)});
    {
        PeriodicOutputs outputs(f.path("f"), "", 1);
        for (int step = 1; step <= 6; ++step)
            outputs.AfterTick(step, step == 6, run);
        ExpectFinishFails(outputs, "frame-000003.png", 1);
    }
    SetWriteFaultForTesting(nullptr);
    EXPECT_EQ(EntriesOf(f.path("f")), (Names{"frame-000001.png", "frame-000002.png"}));
}

TEST(ProgressLine, RateAndTimeLeftFromTheStepsDone) {
    // 500 steps in 2 s: 250 a second, and the 1500 left take 6 s.
    EXPECT_EQ(ProgressText(500, 2000, 2.0), "Шаг 500 из 2000, 250 шаг/с, осталось 0:00:06");
    // 3 steps in 2 s: 1.5 a second; 7 left take 4.67 s.
    EXPECT_EQ(ProgressText(3, 10, 2.0), "Шаг 3 из 10, 1.5 шаг/с, осталось 0:00:05");
    EXPECT_EQ(ProgressText(1, 7201, 1.0), "Шаг 1 из 7201, 1.0 шаг/с, осталось 2:00:00");
    EXPECT_EQ(ProgressText(0, 10, 0.0), "Шаг 0 из 10");
}

TEST(ProgressLine, OnlyOnATerminal) {
    TempFolder f;
    const std::string runner = KVORAX_RUN_PATH;
    // Standard error into a pipe: no line at all.
    const std::string command =
        "cd '" + f.path() + "' && '" + runner + "' --steps 1000 2>&1 >/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string piped;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        piped.append(buffer, got);
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_EQ(piped, "");

    // On a terminal the line ends with the last step.
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::chdir(f.path().c_str()) != 0) ::_exit(126);
        ::execl(runner.c_str(), runner.c_str(), "--steps", "1000", nullptr);
        ::_exit(127);
    }
    std::string shown;
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(got));
    int status = -1;
    ::waitpid(pid, &status, 0);
    ::close(terminal);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(shown.find("\rШаг 1000 из 1000, "), std::string::npos) << shown;
    EXPECT_NE(shown.find("Кворакс  1000 шаг"), std::string::npos) << shown;
}
