// A writer process killed with SIGKILL at random moments while it rewrites one file in a
// loop, in both ways of writing: after every kill the file holds one complete version that
// the writer wrote, and whatever the kill left beside it is gone once the next write of the
// file starts.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <thread>

#include "storage/FileAccess.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WriteFaults.h"

namespace {

constexpr std::size_t kVersionSize = 20000;

// Version v: its number in the first eight bytes, then bytes that depend on v and the place.
std::string Version(std::uint64_t v) {
    std::string bytes(kVersionSize, '\0');
    std::memcpy(bytes.data(), &v, sizeof v);
    for (std::size_t k = sizeof v; k < bytes.size(); ++k)
        bytes[k] = static_cast<char>((v * 131 + k * 7) & 0xFF);
    return bytes;
}

// The version a file holds, or nothing when it is not one complete version.
std::optional<std::uint64_t> VersionIn(const std::string& bytes) {
    if (bytes.size() != kVersionSize) return std::nullopt;
    std::uint64_t v = 0;
    std::memcpy(&v, bytes.data(), sizeof v);
    if (bytes != Version(v)) return std::nullopt;
    return v;
}

void WriteText(const std::string& path, const std::string& bytes) {
    WriteFileAtomically(path, bytes.data(), bytes.size());
}

void RefuseUnnamedFiles() {
    SetWriteFaultForTesting(WithoutUnnamedFiles);
}

// The child: writes versions first, first + 1, ... until it is killed.
[[noreturn]] void WriteUntilKilled(const std::string& path, std::uint64_t first, bool named) {
    if (named) RefuseUnnamedFiles();
    try {
        for (std::uint64_t v = first;; ++v)
            WriteText(path, Version(v));
    } catch (...) {
    }
    ::_exit(3);  // a failed write, not a kill
}

std::chrono::microseconds TimeOfOneWrite(const std::string& path, bool named) {
    if (named) RefuseUnnamedFiles();
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < 10; ++k)
        WriteText(path, Version(0));
    SetWriteFaultForTesting(nullptr);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start) /
           10;
}

// Waits until the file holds a version numbered from first on: the child has committed.
bool WaitForFirstCommit(const std::string& path, std::uint64_t first) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto held = VersionIn(ReadAll(path));
        if (held && *held >= first) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return false;
}

// Returns how many kills left a temporary behind (removed by the next write).
int KillWriters(int kills, bool named) {
    TempFolder folder;
    const std::string path = folder.path("a.kvx");
    // Kills spread over two writes after the first, landing in every step and between.
    std::uniform_int_distribution<long long> delay(0, 2 * TimeOfOneWrite(path, named).count());
    std::mt19937 random(12345);
    int leftBehind = 0;
    for (int k = 1; k <= kills; ++k) {
        const std::uint64_t first = static_cast<std::uint64_t>(k) << 32;
        const pid_t child = ::fork();
        if (child == 0) WriteUntilKilled(path, first, named);
        const bool committed = WaitForFirstCommit(path, first);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(committed && WIFSIGNALED(status)) << "the writer failed on its own";

        const auto held = VersionIn(ReadAll(path));
        EXPECT_TRUE(held && *held >= first) << "kill " << k;  // the version before, or after
        if (folder.entries().size() > 1) ++leftBehind;
        { AtomicFileWriter next(path); }  // a write starts, then is abandoned
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"a.kvx"}) << "kill " << k;
    }
    std::printf("%d kills, %d left a temporary for the next write to remove\n", kills, leftBehind);
    return leftBehind;
}

}  // namespace

TEST(Kill, UnnamedFilesLeaveOneCompleteVersionAndNothingElse) {
    KillWriters(200, false);
}

TEST(Kill, NamedTemporariesLeaveOneCompleteVersionAndTheNextWriteRemovesThem) {
    // Most kills land while the temporary has a name; the cleanup is what is tested here.
    EXPECT_GT(KillWriters(100, true), 0);
}
