// Long runs as a user runs them: a run of K + M ticks against K ticks resumed for M, file
// for file; a fault that comes back at its step; restart files refused with their reasons;
// a run killed at any moment, which goes on from its newest restart file; and clouds told
// apart by their seeds.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "storage/Snapshot.h"
#include "tests/support/RunnerProcess.h"

namespace {

namespace fs = std::filesystem;

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The name and the bytes of every file in a folder.
std::map<std::string, std::string> FilesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& e : fs::directory_iterator(folder))
        files[e.path().filename().string()] = ReadAll(e.path().string());
    return files;
}

// Stars that cross pixels at every tick.
void WriteMovingSettings(const std::string& path) {
    std::ofstream(path, std::ios::binary) << "\" 315360000\"\r\n\"6.67e-11\"\r\n\"1e+39\"\r\n"
                                             "\"2e+30\"\r\n\"60\"\r\n\"1e+19\"\r\n\"0.5e+18\"\r\n"
                                             "\"0\"\r\n";
}

// Settings with G = 1, dT = 1, no rotation; two massless stars that meet at the fifth tick.
void WriteMeeting(const TempFolder& f) {
    std::ofstream(f.path("Kvorax.ini"), std::ios::binary)
        << "\"1\"\r\n\"1\"\r\n\"0\"\r\n\"1\"\r\n\"2\"\r\n\"600\"\r\n\"1\"\r\n\"0\"\r\n";
    Store s;
    s.RecreateTables(2);
    s.Bodies[0].vx = 1;
    s.Bodies[1].x = 8, s.Bodies[1].vx = -1;
    WriteSnapshot(f.path("meet.kvx"), s);
}

constexpr const char* kOutputs =
    " --save s.kvx --photo p.bmp --log l.csv --every 4 --frames f --checkpoints c";

void ExpectSplitRunIsTheWholeRun(const std::string& start, const std::string& threads) {
    TempFolder whole, half;
    for (const TempFolder* f : {&whole, &half})
        if (start == "moving") WriteMovingSettings(f->path("Kvorax.ini"));
    const RunResult w = RunRunner(whole, "--steps 23" + threads + kOutputs);
    ASSERT_EQ(w.status, 0) << w.err;
    const RunResult first =
        RunRunner(half, "--steps 10 --log first.csv --save-state h.kvxr" + threads);
    ASSERT_EQ(first.status, 0) << first.err;
    // A resumed run starts from no settings: these, with no stars, could not start one.
    WriteAll(half.path("Kvorax.ini"), "\"1\"\r\n\"1\"\r\n\"1\"\r\n\"1\"\r\n\"0\"\r\n");
    const RunResult r = RunRunner(half, "--resume h.kvxr --steps 13" + threads + kOutputs);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, w.out);
    for (const char* file : {"s.kvx", "p.bmp"})
        EXPECT_EQ(ReadAll(half.path(file)), ReadAll(whole.path(file))) << file;
    EXPECT_EQ(ReadAll(half.path("first.csv")) + ReadAll(half.path("l.csv")),
              ReadAll(whole.path("l.csv")));
    // The resumed run writes the files of the steps after 10, as the whole run did.
    auto frames = FilesIn(whole.path("f")), checkpoints = FilesIn(whole.path("c"));
    for (const char* before : {"frame-000004.png", "frame-000008.png"})
        frames.erase(before);
    for (const char* before :
         {"step-000004.kvx", "step-000004.kvxr", "step-000008.kvx", "step-000008.kvxr"})
        checkpoints.erase(before);
    EXPECT_EQ(FilesIn(half.path("f")), frames);
    EXPECT_EQ(FilesIn(half.path("c")), checkpoints);
    EXPECT_EQ(checkpoints.size(), 8u);  // 12, 16, 20 and the last, 23, each with its state
    // A run resumed from the last checkpoint's restart file goes on as the whole run would.
    const RunResult more = RunRunner(whole, "--resume c/step-000023.kvxr --steps 0");
    EXPECT_EQ(more.out, w.out);
}

void Corrupt(const std::string& path, std::size_t at) {
    std::string bytes = ReadAll(path);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    WriteAll(path, bytes);
}

}  // namespace

TEST(ResumeRun, TheDefaultCloudResumedIsTheWholeRunFileForFile) {
    ExpectSplitRunIsTheWholeRun("default", " --threads 1");
    ExpectSplitRunIsTheWholeRun("default", " --threads 2");
}

TEST(ResumeRun, MovingStarsResumedAreTheWholeRunFileForFile) {
    ExpectSplitRunIsTheWholeRun("moving", " --threads 1");
    ExpectSplitRunIsTheWholeRun("moving", " --threads 2");
}

namespace {

std::string StepFilePath(const std::string& folder, int step, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "/step-%06d%s", step, extension);
    return folder + name;
}

struct StepsOnDisk {
    std::vector<int> checkpoints, restartFiles;
};

// The steps of the checkpoints and restart files in folder, in order; the hidden named
// temporaries a killed writer may leave, which the next run clears, are not counted.
StepsOnDisk StepsIn(const std::string& folder) {
    StepsOnDisk steps;
    for (const std::string& name : EntriesOf(folder)) {
        if (name.front() == '.') continue;
        const int step = std::stoi(name.substr(std::strlen("step-")));
        (name.ends_with(".kvxr") ? steps.restartFiles : steps.checkpoints).push_back(step);
    }
    return steps;
}

}  // namespace

// A run killed at any moment leaves the checkpoints of its first K-th steps and no others,
// each whole, each restart file beside its checkpoint (only the newest checkpoint may still
// lack its own), and the newest restart file goes on to the uninterrupted run's end.
TEST(ResumeRun, AKilledRunLeavesItsFirstCheckpointsWholeAndGoesOnFromTheNewest) {
    constexpr int kSteps = 4000, kEvery = 3;
    TempFolder f;
    ASSERT_EQ(RunRunner(f, "--steps 4000 --save whole.kvx").status, 0);
    int resumed = 0;
    for (const double after : {0.05, 0.1, 0.2, 0.3, 0.5, 0.8}) {
        SCOPED_TRACE("killed after " + std::to_string(after) + " s");
        const std::string folder = f.path("c" + std::to_string(after));
        const RunResult killed =
            RunRunner(f, "--steps 4000 --every 3 --checkpoints '" + folder + "'", "out.txt",
                      WithinSeconds(after));
        if (killed.status == 0 || !fs::exists(folder)) continue;  // ended before, or began after
        ASSERT_EQ(killed.status, kKilledAtTheBound);
        const StepsOnDisk steps = StepsIn(folder);
        for (std::size_t k = 0; k < steps.checkpoints.size(); ++k)
            EXPECT_EQ(steps.checkpoints[k], kEvery * static_cast<int>(k + 1));
        EXPECT_LE(steps.restartFiles.size(), steps.checkpoints.size());
        EXPECT_GE(steps.restartFiles.size() + 1, steps.checkpoints.size());
        for (std::size_t k = 0; k < steps.restartFiles.size(); ++k)
            EXPECT_EQ(steps.restartFiles[k], steps.checkpoints[k]);
        for (const int step : steps.checkpoints) {
            Store read;
            EXPECT_NO_THROW(ReadSnapshot(StepFilePath(folder, step, ".kvx"), read)) << step;
        }
        if (steps.restartFiles.empty()) continue;
        const int last = steps.restartFiles.back();
        const RunResult rest =
            RunRunner(f, "--resume '" + StepFilePath(folder, last, ".kvxr") + "' --steps " +
                             std::to_string(kSteps - last) + " --save resumed.kvx");
        ASSERT_EQ(rest.status, 0) << rest.err;
        EXPECT_EQ(ReadAll(f.path("resumed.kvx")), ReadAll(f.path("whole.kvx")));
        ++resumed;
    }
    EXPECT_GE(resumed, 2) << "too few kills came in the middle of the run to prove anything";
}

TEST(ResumeRun, AResumedRunFaultsAtTheSameStepAndAResumeFromTheFaultFaultsAgain) {
    TempFolder f;
    WriteMeeting(f);
    const RunResult whole = RunRunner(
        f, "--open meet.kvx --steps 10 --every 2 --checkpoints c --save-state whole.kvxr");
    ASSERT_EQ(whole.status, 3) << whole.err;
    EXPECT_NE(whole.err.find("шаге 5"), std::string::npos) << whole.err;
    ASSERT_EQ(RunRunner(f, "--open meet.kvx --steps 2 --save-state two.kvxr").status, 0);
    const RunResult resumed = RunRunner(f, "--resume two.kvxr --steps 8 --save-state r.kvxr");
    EXPECT_EQ(resumed.status, 3);
    EXPECT_EQ(resumed.err, whole.err);
    EXPECT_EQ(resumed.out, whole.out);
    EXPECT_EQ(ReadAll(f.path("r.kvxr")), ReadAll(f.path("whole.kvxr")));
    EXPECT_EQ(ReadAll(f.path("c/step-000005.kvxr")), ReadAll(f.path("whole.kvxr")));
    for (const char* state : {"whole.kvxr", "c/step-000005.kvxr"}) {
        const RunResult again = RunRunner(f, std::string("--resume ") + state + " --steps 3");
        EXPECT_EQ(again.status, 3) << state;
        EXPECT_EQ(again.err, whole.err) << state;
    }
}

TEST(ResumeRun, RefusedRestartFilesNameTheFileAndTheReasonAndWriteNothing) {
    TempFolder f;
    ASSERT_EQ(RunRunner(f, "--steps 3 --save-state good.kvxr --save good.kvx").status, 0);
    const std::string good = ReadAll(f.path("good.kvxr"));
    WriteAll(f.path("cut.kvxr"), good.substr(0, good.size() - 9));
    WriteAll(f.path("flipped.kvxr"), good);
    Corrupt(f.path("flipped.kvxr"), good.size() / 2);
    WriteAll(f.path("empty.kvxr"), "");
    std::string newer = good;
    newer[8] = 9;
    const auto crc = static_cast<std::uint32_t>(crc32(
        0L, reinterpret_cast<const Bytef*>(newer.data()), static_cast<uInt>(newer.size() - 4)));
    std::memcpy(newer.data() + newer.size() - 4, &crc, 4);
    WriteAll(f.path("newer.kvxr"), newer);
    const std::pair<const char*, const char*> cases[] = {
        {"cut.kvxr", "файл обрывается"},       {"flipped.kvxr", "контрольная сумма не сходится"},
        {"empty.kvxr", "файл пуст"},           {"newer.kvxr", "формате версии 9"},
        {"good.kvx", "это не файл состояния"}, {"missing.kvxr", "не существует"},
    };
    for (const auto& [file, reason] : cases) {
        const RunResult r =
            RunRunner(f, std::string("--resume ") + file + " --save out.kvx --photo out.bmp");
        EXPECT_EQ(r.status, 4) << file;
        EXPECT_NE(r.err.find(std::string("«") + file + "»"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << file;
        EXPECT_FALSE(fs::exists(f.path("out.kvx"))) << file;
    }
}

TEST(ResumeRun, OptionsThatTheRestartFileSettlesAreRefused) {
    TempFolder f;
    ASSERT_EQ(RunRunner(f, "--steps 1 --save-state s.kvxr --save s.kvx").status, 0);
    for (const char* option : {"--open s.kvx", "--settings x.ini", "--plane yz", "--seed 4"}) {
        const RunResult r = RunRunner(f, std::string("--resume s.kvxr ") + option);
        EXPECT_EQ(r.status, 2) << option;
        EXPECT_NE(r.err.find(std::string(option).substr(0, std::string(option).find(' '))),
                  std::string::npos)
            << r.err;
    }
}

TEST(ResumeRun, EachSeedItsOwnCloudAndTheSameCloudTwice) {
    TempFolder f;
    const auto cloud = [&](const std::string& seed) {
        EXPECT_EQ(RunRunner(f, "--steps 0 --save c.kvx " + seed).status, 0) << seed;
        return ReadAll(f.path("c.kvx"));
    };
    const std::string none = cloud(""), zero = cloud("--seed 0"), one = cloud("--seed 1");
    EXPECT_EQ(zero, none);
    EXPECT_EQ(cloud("--seed 1"), one);
    EXPECT_NE(one, zero);
    EXPECT_NE(cloud("--seed 2"), one);
    EXPECT_NE(cloud("--seed 4294967295"), zero);
    EXPECT_NE(cloud("--seed 5489"), zero);  // the generator's own default seed is no alias
    for (const char* bad : {"-1", "4294967296", "x", "1.5"}) {
        const RunResult r = RunRunner(f, std::string("--seed ") + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
    }
}
