// Writing to a symbolic link: the link stays as it is and the file it points to receives the
// new content, keeping its permissions; a broken chain is reported with its reason.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/FileError.h"
#include "storage/FileAccess.h"
#include "tests/support/Failures.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::string ChainName(int k) {
    std::string name = "l";
    name += std::to_string(k);  // not "l" + ..., which GCC 12 misreads as an overlapping copy
    return name;
}

// A folder "real" holding a.ini and a folder "links" for the links under test.
class SymlinkWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(folder.path("real"));
        fs::create_directory(folder.path("links"));
        std::ofstream(real("a.ini")) << "old";
        ::chmod(real("a.ini").c_str(), 0640);
    }

    std::string real(const std::string& name) const { return folder.path("real/" + name); }
    std::string link(const std::string& name) const { return folder.path("links/" + name); }
    void Link(const std::string& name, const std::string& to) const {
        fs::create_symlink(to, link(name));
    }

    // Every name under the folder with what it is: a link with its text, or a file.
    std::vector<std::string> Tree() const {
        std::vector<std::string> tree;
        for (const auto& e : fs::recursive_directory_iterator(folder.path())) {
            const std::string name = e.path().string().substr(folder.path().size() + 1);
            tree.push_back(e.is_symlink() ? name + " -> " + fs::read_symlink(e.path()).string()
                                          : name);
        }
        std::sort(tree.begin(), tree.end());
        return tree;
    }

    TempFolder folder;
};

TEST_F(SymlinkWrite, ChainsOfLinksReachTheFileAndStay) {
    Link("relative.ini", "../real/a.ini");
    Link("absolute.ini", real("a.ini"));
    Link("chain.ini", "relative.ini");  // a link to a link to the file
    fs::create_directory_symlink("../real", link("folder"));
    const std::vector<std::string> tree = Tree();
    for (const std::string name : {"relative.ini", "absolute.ini", "chain.ini", "folder/a.ini"}) {
        SCOPED_TRACE(name);
        std::ofstream(real("a.ini")) << "old";
        WriteFileAtomically(link(name), "new", 3);
        EXPECT_EQ(ReadAll(real("a.ini")), "new");
        EXPECT_EQ(Tree(), tree);  // links unchanged, no file added anywhere
        struct stat st {};
        ::stat(real("a.ini").c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
}

TEST_F(SymlinkWrite, DanglingLinkCreatesItsTargetWhenTheFolderExists) {
    Link("new.ini", "../real/new.ini");
    WriteFileAtomically(link("new.ini"), "new", 3);
    EXPECT_EQ(ReadAll(real("new.ini")), "new");
    EXPECT_TRUE(fs::is_symlink(link("new.ini")));
}

TEST_F(SymlinkWrite, BrokenChainsNameThePathAndTheReason) {
    Link("lost.ini", "../gone/lost.ini");
    Link("loop1.ini", "loop2.ini");
    Link("loop2.ini", "loop1.ini");
    Link("self.ini", "self.ini");
    Link("dir.ini", "../real");
    Link("full", "/dev/full");
    const std::vector<std::string> tree = Tree();
    FileReason lost = FileReason::Of(FileProblem::DanglingLink);
    lost.detail = link("../gone");  // the folder that is missing
    const struct {
        std::string name;
        FileReason reason;
    } cases[] = {
        {"lost.ini", lost},
        {"loop1.ini", FileReason::System(ELOOP)},
        {"self.ini", FileReason::System(ELOOP)},
        {"dir.ini", FileReason::System(EISDIR)},
        {"full", FileReason::System(ENOSPC)},  // a device is written in place, through the link
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto failure = WriteFailure(link(c.name));
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->path(), link(c.name));
        EXPECT_EQ(failure->reason(), c.reason);
    }
    EXPECT_EQ(Tree(), tree);
    EXPECT_EQ(ReadAll(real("a.ini")), "old");
}

TEST_F(SymlinkWrite, FortyLinksInARowAreFollowedAndOneMoreIsALoop) {
    // The kernel's own limit on the links of one lookup.
    Link("l0", "../real/a.ini");
    for (int k = 1; k <= 40; ++k)
        Link(ChainName(k), ChainName(k - 1));
    EXPECT_FALSE(WriteFailure(link("l39")));
    EXPECT_EQ(ReadAll(real("a.ini")), "new");
    const auto loop = WriteFailure(link("l40"));
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->reason(), FileReason::System(ELOOP));
}

}  // namespace
