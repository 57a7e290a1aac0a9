// Targets that are not plain files, and files the user may not write: a pipe without a
// reader is refused at once instead of waiting for good, one with a reader receives the
// bytes, a reader that goes away fails the write instead of ending the program, a socket is
// refused, and an existing file the user may not write stays as it was.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <future>
#include <optional>

#include "core/FileError.h"
#include "storage/FileAccess.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr uid_t kNobody = 65534;

// The reason a write of content to path fails with; nothing when it succeeds.
std::optional<FileReason> WriteRefusal(const std::string& path, const std::string& content) {
    try {
        WriteFileAtomically(path, content.data(), content.size());
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), path);
        return e.reason();
    }
    return std::nullopt;
}

// Runs write in a child process as the user nobody; its exit status tells what it met:
// 0 written, 1 refused as not writable, 2 another failure.
int WriteAsNobody(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0)
            ::_exit(3);
        const auto reason = WriteRefusal(path, "new");
        ::_exit(!reason ? 0 : reason->problem == FileProblem::NotWritable ? 1 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(WriteTargets, APipeWithoutAReaderIsRefusedAtOnce) {
    TempFolder folder;
    const std::string pipe = folder.path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    // An ordinary open would wait for a reader for good; the guard only ends a hang.
    auto refusal = std::async(std::launch::async, [&] { return WriteRefusal(pipe, "x"); });
    ASSERT_EQ(refusal.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "the write waits for a reader";
    const auto reason = refusal.get();
    ASSERT_TRUE(reason);
    EXPECT_EQ(reason->problem, FileProblem::PipeWithoutReader);
    struct stat st {};
    ASSERT_EQ(::lstat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));  // still the pipe, not replaced by a file
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"pipe"});
}

TEST(WriteTargets, APipeWithAReaderReceivesEveryByteAndAReaderGoneFailsTheWrite) {
    TempFolder folder;
    const std::string pipe = folder.path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const std::string content(1 << 20, 'k');  // far more than a pipe holds at once
    {
        const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        ::fcntl(reader, F_SETFL, 0);  // reads wait for the writer from now on
        // A read before the writer has opened its end sees the end of the file at once, so
        // the reader keeps its end open and reads until every byte has come (or 10 s).
        auto received = std::async(std::launch::async, [reader, expected = content.size()] {
            std::string bytes;
            char buffer[65536];
            for (int idle = 0; bytes.size() < expected && idle < 10000;) {
                const ssize_t got = ::read(reader, buffer, sizeof buffer);
                if (got > 0) {
                    bytes.append(buffer, static_cast<std::size_t>(got));
                } else if (got == 0) {
                    ++idle;
                    ::usleep(1000);
                } else {
                    break;
                }
            }
            ::close(reader);
            return bytes;
        });
        EXPECT_FALSE(WriteRefusal(pipe, content));
        EXPECT_EQ(received.get(), content);
    }
    // A reader that leaves before the end: the signal that would end the program is held
    // back, and the write fails with its reason.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    AtomicFileWriter writer(pipe);
    ::close(reader);
    try {
        writer.Write(content);
        ADD_FAILURE() << "a write into a pipe without a reader succeeded";
    } catch (const FileError& e) {
        EXPECT_EQ(e.reason(), FileReason::System(EPIPE));
    }
}

TEST(WriteTargets, SocketsAreRefusedAndDevicesWrittenInPlace) {
    TempFolder folder;
    const std::string socketPath = folder.path("socket");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const auto refused = WriteRefusal(socketPath, "x");
    ::close(s);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->problem, FileProblem::NotRegularFile);
    struct stat st {};
    ASSERT_EQ(::lstat(socketPath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_FALSE(WriteRefusal("/dev/null", "x"));
    EXPECT_EQ(WriteRefusal("/dev/full", "x"), FileReason::System(ENOSPC));
}

TEST(WriteTargets, AFileTheUserMayNotWriteIsNotReplaced) {
    if (::geteuid() != 0) GTEST_SKIP() << "switching to another user needs root";
    TempFolder folder;
    // World-writable and without the sticky bit: the folder alone would allow the rename.
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const std::string others = folder.path("others.kvx");  // root's, read-only for nobody
    std::ofstream(others) << "old";
    ::chmod(others.c_str(), 0644);
    const std::string own = folder.path("own.kvx");  // nobody's own, read-only
    std::ofstream(own) << "old";
    ::chown(own.c_str(), kNobody, kNobody);
    ::chmod(own.c_str(), 0444);
    const std::string writable = folder.path("writable.kvx");
    std::ofstream(writable) << "old";
    ::chown(writable.c_str(), kNobody, kNobody);

    EXPECT_EQ(WriteAsNobody(others), 1);
    EXPECT_EQ(WriteAsNobody(own), 1);
    EXPECT_EQ(WriteAsNobody(writable), 0);
    EXPECT_EQ(ReadAll(others), "old");
    EXPECT_EQ(ReadAll(own), "old");
    EXPECT_EQ(ReadAll(writable), "new");
    struct stat st {};
    ::stat(others.c_str(), &st);
    EXPECT_EQ(st.st_uid, 0u);  // not given to the writer
    EXPECT_EQ(folder.entries(),
              (std::vector<std::string>{"others.kvx", "own.kvx", "writable.kvx"}));
}
