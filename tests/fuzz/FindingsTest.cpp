// Faults the fuzz targets found, kept as tests; the inputs under regressions/ are also
// replayed here and given to every fuzz run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include "tests/fuzz/Properties.h"

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Check(const std::string& target, const std::string& input) {
    if (target == "snapshot") return CheckSnapshot(Bytes(input.begin(), input.end()));
    if (target == "parse_number") return CheckParseNumber(input);
    const std::string failure = CheckSettingsFile(input);
    return failure.empty() ? CheckSettingsRoundTrip(SplitIntoTexts(input)) : failure;
}

}  // namespace

TEST(FuzzFindings, ExponentsBeyondTheLongLongRangeSaturate) {
    const double inf = std::numeric_limits<double>::infinity();
    // Adding the leading digit's position to an exponent of 2^63 - 1 overflowed.
    EXPECT_EQ(ParseNumber("1e9223372036854775807"), inf);
    EXPECT_EQ(ParseNumber("-12e9223372036854775806"), -inf);
    // A million digits before the point outweighed an exponent saturated at a million.
    EXPECT_EQ(ParseNumber("1" + std::string(1'000'001, '0') + "e-99999999999999999999"), 0.0);
}

TEST(FuzzFindings, KeptInputsKeepEveryProperty) {
    int replayed = 0;
    for (const auto& folder : std::filesystem::directory_iterator(KVORAX_FUZZ_REGRESSIONS)) {
        for (const auto& file : std::filesystem::directory_iterator(folder)) {
            const std::string target = folder.path().filename().string();
            EXPECT_EQ(Check(target, ReadAll(file.path())), "") << file.path();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}
