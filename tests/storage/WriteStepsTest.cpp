// Every system call of an atomic write made to fail in turn, in both ways of writing (an
// unnamed file, or a named temporary where the file system refuses one): each failure names
// the file and the reason, keeps the previous file byte for byte and leaves nothing else.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <optional>

#include "core/FileError.h"
#include "storage/FileAccess.h"
#include "tests/support/Failures.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WriteCases.h"

namespace {

const char* const kPrevious = "previous content\n";
const std::string kNew(100000, 'n');

// Installs the fault hook for its lifetime: records the steps asked for, refuses unnamed
// files in the named way, and fails one chosen step.
class StepHook {
  public:
    explicit StepHook(Way way, std::optional<WriteStep> failing = {}, int error = EIO) {
        SetWriteFaultForTesting([this, way, failing, error](const WriteAttempt& attempt) {
            const WriteStep step = attempt.step;
            if (seen.empty() || seen.back() != step) seen.push_back(step);
            if (failing && step == *failing) return error;
            if (way == Way::Named && step == WriteStep::OpenUnnamed) return EOPNOTSUPP;
            return 0;
        });
    }
    ~StepHook() { SetWriteFaultForTesting(nullptr); }
    StepHook(const StepHook&) = delete;
    StepHook& operator=(const StepHook&) = delete;

    std::vector<WriteStep> seen;  // consecutive repeats (several writes) recorded once
};

std::ptrdiff_t Position(const std::vector<WriteStep>& steps, WriteStep step) {
    const auto at = std::find(steps.begin(), steps.end(), step);
    return at == steps.end() ? -1 : at - steps.begin();
}

// The steps of a successful write, in the given way, to a target that exists or not.
std::vector<WriteStep> StepsOfAWrite(Way way, bool replacing) {
    TempFolder folder;
    const std::string path = folder.path("a.kvx");
    if (replacing) WriteAll(path, kPrevious);
    StepHook hook(way);
    WriteFileAtomically(path, kNew.data(), kNew.size());
    return hook.seen;
}

}  // namespace

TEST(WriteSteps, FileReachesTheDiskBeforeItsNameAndTheNameAfterIt) {
    for (const WriteCase& c : kWriteCases) {
        SCOPED_TRACE(Describe(c));
        const std::vector<WriteStep> steps = StepsOfAWrite(c.way, c.replacing);
        const auto named = std::max(Position(steps, WriteStep::Link),
                                    Position(steps, WriteStep::Rename));  // the last naming
        ASSERT_GE(named, 0);
        EXPECT_LT(Position(steps, WriteStep::SyncFile), named);
        EXPECT_LT(Position(steps, WriteStep::CloseFile), named);  // close errors come first
        EXPECT_EQ(Position(steps, WriteStep::SyncFolder), named + 1);
        if (c.way == Way::Unnamed && !c.replacing) {  // named at once, no temporary name
            EXPECT_EQ(Position(steps, WriteStep::Rename), -1);
        }
    }
}

TEST(WriteSteps, OnlyARefusedUnnamedFileShowsATemporaryWhileWriting) {
    for (int refusal : {0, EOPNOTSUPP, EISDIR, EINVAL}) {  // 0: unnamed files offered
        SCOPED_TRACE(refusal);
        TempFolder folder;
        const std::string path = folder.path("a.kvx");
        WriteAll(path, kPrevious);
        StepHook hook(Way::Unnamed, WriteStep::OpenUnnamed, refusal);
        AtomicFileWriter writer(path);
        writer.Write(kNew);
        const std::vector<std::string> during = folder.entries();
        if (refusal == 0) {
            EXPECT_EQ(during, std::vector<std::string>{"a.kvx"});
        } else {
            ASSERT_EQ(during.size(), 2u);
            EXPECT_EQ(during[0].rfind(".a.kvx.", 0), 0u) << during[0];
        }
        writer.Commit();
        EXPECT_EQ(ReadAll(path), kNew);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"a.kvx"});
    }
}

TEST(WriteSteps, EveryStepFailingKeepsThePreviousFileAndLeavesNothing) {
    for (const WriteCase& c : kWriteCases) {
        for (WriteStep failing : StepsOfAWrite(c.way, c.replacing)) {
            if (c.way == Way::Named && failing == WriteStep::OpenUnnamed) continue;  // refused
            SCOPED_TRACE(Describe(c) + ", failing step " +
                         std::to_string(static_cast<int>(failing)));
            TempFolder folder;
            const std::string path = folder.path("a.kvx");
            if (c.replacing) WriteAll(path, kPrevious);
            const std::vector<std::string> before = folder.entries();
            std::optional<FileError> failure;
            {
                StepHook hook(c.way, failing, EIO);
                failure = WriteFailure(path, kNew);
            }
            ASSERT_TRUE(failure);
            EXPECT_EQ(failure->path(), path);
            EXPECT_EQ(failure->reason(), FileReason::System(EIO));
            EXPECT_EQ(folder.entries(), before);
            if (c.replacing) {
                EXPECT_EQ(ReadAll(path), kPrevious);
            }
        }
    }
}

TEST(WriteSteps, FolderThatCannotReachTheDiskRestoresThePreviousFileWithItsPermissions) {
    TempFolder folder;
    const std::string path = folder.path("a.ini");
    WriteAll(path, kPrevious);
    ::chmod(path.c_str(), 0640);
    {
        StepHook hook(Way::Unnamed, WriteStep::SyncFolder, EIO);  // the restore fails too
        EXPECT_TRUE(WriteFailure(path, kNew));
    }
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadAll(path), kPrevious);
    // A file system that cannot flush folders at all does not make every write fail.
    for (int unsupported : {EINVAL, EOPNOTSUPP}) {
        StepHook hook(Way::Unnamed, WriteStep::SyncFolder, unsupported);
        EXPECT_FALSE(WriteFailure(path, kNew));
        EXPECT_EQ(ReadAll(path), kNew);
    }
}

TEST(WriteSteps, WritesSyncedAtTheEndLeaveTheDiskToTheFinalSync) {
    // A series of outputs (the runner's frames) is flushed once, at the end: no write of it
    // flushes the file or the folder, and it still replaces the target whole.
    for (Way way : {Way::Unnamed, Way::Named}) {
        TempFolder folder;
        const std::string path = folder.path("frame.png");
        WriteAll(path, kPrevious);
        StepHook hook(way);
        WriteFileAtomically(path, kNew.data(), kNew.size(), Durability::AtTheEnd);
        EXPECT_EQ(Position(hook.seen, WriteStep::SyncFile), -1);
        EXPECT_EQ(Position(hook.seen, WriteStep::SyncFolder), -1);
        EXPECT_EQ(ReadAll(path), kNew);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"frame.png"});
        SyncFileSystem(folder.path());
    }
    try {
        SyncFileSystem("/nonexistent-folder-of-frames");
        ADD_FAILURE() << "a missing folder was synced";
    } catch (const FileError& e) {
        EXPECT_EQ(e.reason(), FileReason::System(ENOENT));
    }
}
