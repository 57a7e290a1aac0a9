// Temporaries that killed writers left behind: the next write of the same target removes
// them, a writer that is still running keeps its own however old, and nothing else is
// touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "storage/FileAccess.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

namespace {

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

void MakeHoursOld(const std::string& path) {
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 2 * 3600;
    times[1] = times[0];
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

}  // namespace

TEST(StaleTemporaries, TheNextWriteRemovesThoseOfEndedWritersOfThatTargetOnly) {
    TempFolder folder;
    const std::vector<std::string> stale = {".a.kvx.abcdefgh.tmp", ".a.kvx.0123456z.tmp"};
    std::vector<std::string> kept = {
        ".a.kvx.abcdefg.tmp",     // seven characters
        ".a.kvx.abcdefghi.tmp",   // nine
        ".a.kvx.ABCDEFGH.tmp",    // capitals
        ".a.kvx.abcd-fgh.tmp",    // not a letter or digit
        ".a.kvx.abcdefgh.tmp~",   // another ending
        ".b.kvx.abcdefgh.tmp",    // another target
        ".xa.kvx.abcdefgh.tmp",   // another target that ends the same
        "a.kvx.abcdefgh.tmp",     // not hidden
        ".a.kvx.abcdefgh.tmp.kv"  // longer
    };
    for (const auto& name : stale)
        Touch(folder.path(name));
    MakeHoursOld(folder.path(stale[1]));
    for (const auto& name : kept)
        Touch(folder.path(name));
    std::filesystem::create_directory(folder.path(".a.kvx.qwertyui.tmp"));  // not a file
    kept.push_back(".a.kvx.qwertyui.tmp");
    kept.push_back("a.kvx");
    std::sort(kept.begin(), kept.end());
    WriteFileAtomically(folder.path("a.kvx"), "new", 3);
    EXPECT_EQ(folder.entries(), kept);
    EXPECT_EQ(ReadAll(folder.path("a.kvx")), "new");
}

TEST(StaleTemporaries, AWriterStillRunningKeepsItsTemporary) {
    TempFolder folder;
    const std::string path = folder.path("a.kvx");
    // A named temporary, as on a file system without unnamed files.
    SetWriteFaultForTesting(
        [](const WriteAttempt& a) { return a.step == WriteStep::OpenUnnamed ? EINVAL : 0; });
    auto first = std::make_unique<AtomicFileWriter>(path);
    SetWriteFaultForTesting(nullptr);
    first->Write("first");
    WriteFileAtomically(path, "second", 6);  // starts by removing stale temporaries
    EXPECT_EQ(folder.entries().size(), 2u);
    first->Commit();
    EXPECT_EQ(ReadAll(path), "first");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"a.kvx"});
}

TEST(StaleTemporaries, ALockedTemporaryIsKeptHoweverOldAndRemovedOnceReleased) {
    TempFolder folder;
    const std::string temporary = folder.path(".a.kvx.inuse000.tmp");
    Touch(temporary);
    MakeHoursOld(temporary);
    const int fd = ::open(temporary.c_str(), O_RDONLY);  // a writer in another process
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    WriteFileAtomically(folder.path("a.kvx"), "1", 1);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{".a.kvx.inuse000.tmp", "a.kvx"}));
    ::close(fd);
    WriteFileAtomically(folder.path("a.kvx"), "2", 1);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"a.kvx"});
}
