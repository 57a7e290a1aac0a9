// The settings file: exact bytes, round trip, hand-edited files and missing values.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/FileError.h"
#include "start/Settings.h"
#include "storage/FileAccess.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WriteFaults.h"

namespace {

void WriteAll(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

}  // namespace

TEST(Settings, DefaultsGiveTheEightQuotedLines) {
    EXPECT_EQ(FormatSettings(StartTexts{}),
              "\" 315360000\"\r\n\"6.67e-11\"\r\n\"4.61e+32\"\r\n\"2e+30\"\r\n\"100\"\r\n"
              "\"1e+19\"\r\n\"0.5e+18\"\r\n\"Text1\"\r\n");
}

TEST(Settings, RoundTripKeepsEveryTextExactly) {
    TempFolder folder;
    StartTexts texts;
    texts.TextN = " 42 ";
    texts.TextG = "6,67e-11";
    texts.TextNo = "частота, 0.1";  // comma and Cyrillic inside quotes
    texts.TextSize2 = "";
    SaveSettings(texts, folder.path("Kvorax.ini"));
    StartTexts read;
    read.TextN = read.TextG = read.TextNo = read.TextSize2 = "changed";
    LoadSettings(read, folder.path("Kvorax.ini"));
    for (int k = 0; k < kStartBoxCount; ++k)
        EXPECT_EQ(read.text(StartBox(k)), texts.text(StartBox(k))) << k;
}

TEST(Settings, HandWrittenValuesAreRead) {
    // Unquoted values, commas as separators, blanks before values, LF line ends.
    const auto values = ParseSettingsValues("  100\n6.67e-11, 5\n\"a,b\"  junk\n\n x \r\nlast");
    EXPECT_EQ(values, (std::vector<std::string>{"100", "6.67e-11", "5", "a,b", "x", "last"}));
    EXPECT_EQ(ParseSettingsValues("\"unterminated, value\nrest"),
              (std::vector<std::string>{"unterminated, value\nrest"}));
    EXPECT_EQ(ParseSettingsValues("1,2,3,4,5,6,7,8,9,10").size(), 8u);
    EXPECT_TRUE(ParseSettingsValues("").empty());
}

TEST(Settings, MissingValuesKeepTheDefaults) {
    TempFolder folder;
    WriteAll(folder.path("Kvorax.ini"), "\" 1\"\r\n\"2\"\r\n");
    StartTexts texts;
    LoadSettings(texts, folder.path("Kvorax.ini"));
    EXPECT_EQ(texts.TextdT, " 1");
    EXPECT_EQ(texts.TextG, "2");
    EXPECT_EQ(texts.TextIM, "4.61e+32");
    EXPECT_EQ(texts.TextNo, "Text1");
}

TEST(Settings, AbsentOrUnusableFiles) {
    TempFolder folder;
    StartTexts texts;
    LoadSettings(texts, folder.path("Kvorax.ini"));  // absent: defaults
    EXPECT_EQ(texts.TextN, "100");
    std::filesystem::create_directory(folder.path("dir.ini"));
    LoadSettings(texts, folder.path("dir.ini"));  // a folder is not a settings file
    EXPECT_EQ(texts.TextN, "100");
    EXPECT_THROW(SaveSettings(texts, folder.path("missing/Kvorax.ini")), FileError);
}

TEST(Settings, FailedWriteKeepsThePreviousFile) {
    TempFolder folder;
    const std::string path = folder.path("Kvorax.ini");
    WriteAll(path, "old");
    SetWriteLimitForTesting([](const std::string&) { return 10; });
    EXPECT_THROW(SaveSettings(StartTexts{}, path), FileError);
    SetWriteLimitForTesting(nullptr);
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"Kvorax.ini"});  // no temporary left
}

TEST(Settings, FilesFromOtherEditorsReadAsTyped) {
    TempFolder folder;
    const std::string path = folder.path("Kvorax.ini");
    // Notepad's byte order mark before the first quote.
    WriteAll(path, "\xEF\xBB\xBF\" 1\"\r\n\"2\"\r\n");
    StartTexts texts;
    LoadSettings(texts, path);
    EXPECT_EQ(texts.TextdT, " 1");
    EXPECT_EQ(texts.TextG, "2");
    // An older file in the Cyrillic code page: its texts come back as typed and are written
    // back as UTF-8.
    WriteAll(path, "\" 1\"\r\n\"\xf7\xe0\xf1\xf2\xee\xf2\xe0\"\r\n");
    LoadSettings(texts, path);
    EXPECT_EQ(texts.TextG, "частота");
    SaveSettings(texts, path);
    EXPECT_NE(ReadAll(path).find("\"частота\"\r\n"), std::string::npos);
}
