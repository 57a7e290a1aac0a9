// Default names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "storage/DefaultName.h"
#include "tests/support/TempFolder.h"

namespace {

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

}  // namespace

TEST(DefaultName, NumbersStartAtTheCountOfMatchingFiles) {
    TempFolder f;
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname00.kvx"));
    Touch(f.path("Noname00.kvx"));
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname01.kvx"));
    EXPECT_EQ(DefaultName(".wmf", f.path()), f.path("Noname00.wmf"));  // counted separately
    Touch(f.path("NonameAB.kvx"));                                     // any two characters match
    Touch(f.path("noname05.kvx"));  // case-sensitive: does not match
    Touch(f.path("Noname123.kvx"));
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname02.kvx"));
}

TEST(DefaultName, NeverOverwritesAFile) {
    TempFolder f;
    Touch(f.path("Noname01.kvx"));  // a gap: the count 1 names an existing file
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname02.kvx"));
    std::filesystem::create_directory(f.path("Noname02.kvx"));  // folders are not counted
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname03.kvx"));
}

TEST(DefaultName, PastNinetyNineTheNumberHasThreeDigits) {
    TempFolder f;
    for (int k = 0; k < 100; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "Noname%02d.wmf", k);
        Touch(f.path(name));
    }
    EXPECT_EQ(DefaultName(".wmf", f.path()), f.path("Noname100.wmf"));
}
