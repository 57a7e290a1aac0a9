// Atomic writes: a failed write leaves the previous file intact and no temporary behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "core/FileError.h"
#include "storage/FileAccess.h"
#include "tests/support/Failures.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WriteFaults.h"

TEST(FileAccess, WritesReplaceAndKeepPermissions) {
    TempFolder folder;
    const std::string path = folder.path("a.txt");
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), 0600);
    WriteFileAtomically(path, "new", 3);
    EXPECT_EQ(ReadAll(path), "new");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"a.txt"});
}

TEST(FileAccess, FailuresNameTheFileAndTheReason) {
    TempFolder folder;
    std::ofstream(folder.path("plain")) << "x";
    std::filesystem::create_directory(folder.path("dir"));
    struct Case {
        std::string path;
        FileReason reason;
    };
    const Case cases[] = {
        {folder.path("missing/a.kvx"), FileReason::System(ENOENT)},
        {folder.path("plain/a.kvx"), FileReason::System(ENOTDIR)},
        {folder.path("dir"), FileReason::System(EISDIR)},
        {"/dev/full", FileReason::System(ENOSPC)},
        {"", FileReason::Of(FileProblem::EmptyName)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto failure = WriteFailure(c.path, std::string(100000, 'x'));
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->action(), FileAction::Write);
        EXPECT_EQ(failure->path(), c.path);
        EXPECT_EQ(failure->reason(), c.reason);
    }
    EXPECT_EQ(ReadAll(folder.path("plain")), "x");
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"dir", "plain"}));
}

TEST(FileAccess, InjectedFullDiskKeepsThePreviousFile) {
    TempFolder folder;
    const std::string path = folder.path("a.kvx");
    std::ofstream(path) << "previous";
    SetWriteLimitForTesting([](const std::string&) { return 5; });
    {
        AtomicFileWriter writer(path);
        writer.Write("1234");
        EXPECT_THROW(writer.Write("56"), FileError);
        EXPECT_THROW(writer.Commit(), FileError);  // a failed writer stays failed
    }
    SetWriteLimitForTesting(nullptr);
    EXPECT_EQ(ReadAll(path), "previous");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"a.kvx"});
}

TEST(FileAccess, UncommittedWriterLeavesNothing) {
    TempFolder folder;
    {
        AtomicFileWriter writer(folder.path("a.csv"));
        writer.Write("half");
    }
    EXPECT_TRUE(folder.entries().empty());
}

TEST(FileAccess, ReadingIsBoundedAndNamesFailures) {
    TempFolder folder;
    std::ofstream(folder.path("a")) << "abcdef";
    EXPECT_EQ(ReadFilePrefix(folder.path("a"), 3), (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(ReadFilePrefix(folder.path("a"), 100).size(), 6u);
    ::mkfifo(folder.path("pipe").c_str(), 0644);  // would block an ordinary open
    EXPECT_THROW(ReadFilePrefix(folder.path("pipe"), 10), FileError);
    EXPECT_THROW(ReadFilePrefix("/dev/zero", 10), FileError);
    try {
        ReadFilePrefix(folder.path("none"), 10);
        ADD_FAILURE();
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), folder.path("none"));
        EXPECT_EQ(e.reason(), FileReason::System(ENOENT));
    }
}
