// What the runner's files meet on the disk: named pipes with and without a reader, existing
// files the user may not write, one folder for frames and checkpoints, and the temporaries
// that killed runs left in a folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>

#include "storage/Descriptor.h"
#include "storage/Snapshot.h"
#include "tests/support/RunnerProcess.h"

namespace {

using Names = std::vector<std::string>;

constexpr uid_t kNobody = 65534;
constexpr int kBound = 60;  // seconds; a run of a few ticks takes well under one

// Reads a named pipe on its own thread. The test holds a writing end of its own as well, so
// the reader meets the end of the pipe only once the test lets go, after the runner ended,
// and not before the runner has opened the pipe.
class PipeReader {
  public:
    explicit PipeReader(const std::string& path)
        : reader_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)),
          holder_(::open(path.c_str(), O_WRONLY | O_CLOEXEC)) {  // a reader is there: no wait
        EXPECT_TRUE(reader_.valid() && holder_.valid()) << path;
        ::fcntl(reader_.get(), F_SETFL, 0);  // reads wait for bytes from now on
        bytes_ = std::async(std::launch::async, [fd = reader_.get()] {
            std::string bytes;
            char buffer[65536];
            for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
                bytes.append(buffer, static_cast<std::size_t>(got));
            return bytes;
        });
    }
    ~PipeReader() {
        holder_.Close();
        if (bytes_.valid()) bytes_.wait();
    }

    /// Everything written into the pipe; call once the runner has ended.
    std::string Received() {
        holder_.Close();
        return bytes_.get();
    }

  private:
    Descriptor reader_, holder_;
    std::future<std::string> bytes_;
};

bool IsPipe(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

void WriteText(const std::string& path, const char* text, uid_t owner, mode_t mode) {
    std::ofstream(path) << text;
    EXPECT_EQ(::chown(path.c_str(), owner, owner), 0) << path;
    EXPECT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

// Equal bytes; when they differ, the sizes rather than megabytes of bytes.
testing::AssertionResult SameBytes(const std::string& got, const std::string& expected) {
    if (got == expected) return testing::AssertionSuccess();
    const std::size_t size = std::min(got.size(), expected.size());
    const std::size_t at =
        std::mismatch(got.begin(), got.begin() + size, expected.begin()).first - got.begin();
    return testing::AssertionFailure() << got.size() << " bytes where " << expected.size()
                                       << " were expected, the first difference at byte " << at;
}

std::string WriteFailure(const std::string& name, const std::string& reason) {
    return "Не удалось записать файл «" + name + "»: " + reason + ".";
}

const char kFiles[] = "--steps 5 --save a.kvx --photo a.bmp --log a.csv";

}  // namespace

TEST(RunnerTargets, APipeWithoutAReaderIsRefusedAtOnce) {
    TempFolder f;
    ASSERT_EQ(::mkfifo(f.path("pipe").c_str(), 0644), 0);
    for (const char* option : {"--save", "--photo", "--log"}) {
        const RunResult r = RunRunner(f, std::string("--steps 2 ") + option + " pipe", "out.txt",
                                      WithinSeconds(kBound));
        ASSERT_NE(r.status, kKilledAtTheBound) << option << " waits for a reader";
        EXPECT_EQ(r.status, 4) << option;
        EXPECT_NE(r.err.find(WriteFailure("pipe", "из этого канала никто не читает")),
                  std::string::npos)
            << option << ": " << r.err;
        EXPECT_TRUE(IsPipe(f.path("pipe"))) << option;  // not replaced by a file
        EXPECT_EQ(f.entries(), Names{"pipe"}) << option;
    }
}

TEST(RunnerTargets, APipeWithAReaderReceivesWhatAFileWouldHold) {
    TempFolder files, pipes;
    ASSERT_EQ(RunRunner(files, kFiles).status, 0);
    for (const char* name : {"a.kvx", "a.bmp", "a.csv"})
        ASSERT_EQ(::mkfifo(pipes.path(name).c_str(), 0644), 0);
    PipeReader snapshot(pipes.path("a.kvx")), photo(pipes.path("a.bmp")), log(pipes.path("a.csv"));
    const RunResult r = RunRunner(pipes, kFiles, "out.txt", WithinSeconds(kBound));
    EXPECT_EQ(r.status, 0) << r.err;
    // The picture is far larger than a pipe holds at once: it came through a running reader.
    EXPECT_TRUE(SameBytes(snapshot.Received(), ReadAll(files.path("a.kvx"))));
    EXPECT_TRUE(SameBytes(photo.Received(), ReadAll(files.path("a.bmp"))));
    EXPECT_TRUE(SameBytes(log.Received(), ReadAll(files.path("a.csv"))));
    EXPECT_EQ(ReadAll(files.path("a.kvx")).size(), SnapshotSize(100));
    EXPECT_GT(ReadAll(files.path("a.bmp")).size(), 1u << 16);
    for (const char* name : {"a.kvx", "a.bmp", "a.csv"})
        EXPECT_TRUE(IsPipe(pipes.path(name))) << name;
}

TEST(RunnerTargets, AnExistingFileTheUserMayNotWriteIsNotReplaced) {
    if (::geteuid() != 0) GTEST_SKIP() << "running as another user needs root";
    TempFolder f;
    // World-writable and without the sticky bit: the folder alone would allow the rename.
    ASSERT_EQ(::chmod(f.path().c_str(), 0777), 0);
    const struct {
        const char* option;
        const char* name;
        uid_t owner;
        mode_t mode;
    } refused[] = {
        {"--save", "root.kvx", 0, 0644},
        {"--photo", "root.bmp", 0, 0644},
        {"--log", "root.csv", 0, 0644},
        {"--save", "own.kvx", kNobody, 0444},  // nobody's own, read-only
    };
    for (const auto& c : refused)
        WriteText(f.path(c.name), "old", c.owner, c.mode);
    WriteText(f.path("writable.kvx"), "old", kNobody, 0644);
    for (const auto& c : refused) {
        const RunResult r = RunRunner(f, std::string(c.option) + " " + c.name, "out.txt",
                                      WithinSeconds(kBound) + kAsNobody);
        EXPECT_EQ(r.status, 4) << c.name;
        EXPECT_NE(r.err.find(WriteFailure(c.name, "существующий файл недоступен для записи")),
                  std::string::npos)
            << c.name << ": " << r.err;
        EXPECT_TRUE(SameBytes(ReadAll(f.path(c.name)), "old")) << c.name;
        const struct stat st = StatOf(f.path(c.name));
        EXPECT_EQ(st.st_uid, c.owner) << c.name;  // not given to the writer
        EXPECT_EQ(st.st_mode & 0777, c.mode) << c.name;
    }
    // The same user in the same folder replaces a file it may write.
    const RunResult r =
        RunRunner(f, "--save writable.kvx", "out.txt", WithinSeconds(kBound) + kAsNobody);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadAll(f.path("writable.kvx")).size(), SnapshotSize(100));
    EXPECT_EQ(f.entries(), (Names{"own.kvx", "root.bmp", "root.csv", "root.kvx", "writable.kvx"}));
}

TEST(RunnerTargets, RootReplacesItsOwnReadOnlyFiles) {
    if (::geteuid() != 0) GTEST_SKIP() << "another user's read-only files are refused";
    TempFolder f;
    WriteText(f.path("ro.kvx"), "old", 0, 0444);
    WriteText(f.path("ro.csv"), "old", 0, 0444);
    const RunResult r = RunRunner(f, "--steps 2 --save ro.kvx --log ro.csv");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadAll(f.path("ro.kvx")).size(), SnapshotSize(100));
    EXPECT_EQ(ReadAll(f.path("ro.csv")).substr(0, 2), "1,");
    for (const char* name : {"ro.kvx", "ro.csv"})
        EXPECT_EQ(StatOf(f.path(name)).st_mode & 0777, 0444u) << name;  // still read-only
}

TEST(RunnerTargets, FramesAndCheckpointsInOneFolderAreThoseOfTwoFolders) {
    TempFolder f;
    ASSERT_EQ(RunRunner(f, "--steps 20 --every 10 --frames one --checkpoints one").status, 0);
    ASSERT_EQ(RunRunner(f, "--steps 20 --every 10 --frames fr --checkpoints ch").status, 0);
    EXPECT_EQ(EntriesOf(f.path("one")),
              (Names{"frame-000010.png", "frame-000020.png", "step-000010.kvx", "step-000010.kvxr",
                     "step-000020.kvx", "step-000020.kvxr"}));
    for (const char* folder : {"fr", "ch"})
        for (const std::string& name : EntriesOf(f.path(folder)))
            EXPECT_TRUE(
                SameBytes(ReadAll(f.path("one/" + name)), ReadAll(f.path(folder) + "/" + name)))
                << name;
}

TEST(RunnerTargets, KilledWritersTemporariesAreRemovedWhenTheRunStarts) {
    // Of a file the run writes, of one it never writes, of a checkpoint: ".NAME.xxxxxxxx.tmp".
    const Names left = {".frame-000010.png.abcdefgh.tmp", ".frame-000099.png.0123456z.tmp",
                        ".step-000010.kvx.zzzzzzzz.tmp"};
    // Not a temporary's name (capitals), a running writer's temporary, another file.
    const Names kept = {".frame-000010.png.ABCDEFGH.tmp", ".frame-000030.png.inuse000.tmp",
                        "notes.txt"};
    const Names frames = {"frame-000010.png", "frame-000020.png"};
    TempFolder reference;
    ASSERT_EQ(RunRunner(reference, "--steps 20 --every 10 --frames f").status, 0);
    ASSERT_EQ(EntriesOf(reference.path("f")), frames);
    // A run of no ticks writes no file, so only its start can have removed them.
    for (const int steps : {0, 20}) {
        SCOPED_TRACE(steps);
        TempFolder f;
        ASSERT_TRUE(std::filesystem::create_directory(f.path("f")));
        for (const auto& name : left)
            std::ofstream(f.path("f/" + name)) << "partial";
        for (const auto& name : kept)
            std::ofstream(f.path("f/" + name)) << "kept";
        // A writer still running holds the lock on its temporary, so that one stays.
        const Descriptor running(::open(f.path("f/" + kept[1]).c_str(), O_RDONLY | O_CLOEXEC));
        ASSERT_EQ(::flock(running.get(), LOCK_EX), 0);
        const RunResult r =
            RunRunner(f, "--steps " + std::to_string(steps) + " --every 10 --frames f");
        ASSERT_EQ(r.status, 0) << r.err;
        Names expected = kept;
        if (steps > 0) expected.insert(expected.end(), frames.begin(), frames.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(EntriesOf(f.path("f")), expected);
        for (const auto& name : kept)
            EXPECT_EQ(ReadAll(f.path("f/" + name)), "kept") << name;
        if (steps > 0) {
            for (const auto& name : frames)
                EXPECT_TRUE(
                    SameBytes(ReadAll(f.path("f/" + name)), ReadAll(reference.path("f/" + name))))
                    << name;
        }
    }
}
