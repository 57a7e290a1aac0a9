// The checks behind the fuzz targets: the seeds keep every property, the real writers and
// readers keep them on awkward texts, and faulty stand-ins are caught, so that a fuzz run
// cannot pass because a check is blind.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "start/TextEncoding.h"
#include "tests/fuzz/Properties.h"
#include "tests/fuzz/Seeds.h"

namespace {

Bytes SeedWithTrailingBytes() {
    return SnapshotSeeds()[1];
}
Bytes SeedWithNaN() {
    return SnapshotSeeds()[8];
}

}  // namespace

TEST(FuzzProperties, SeedsKeepEveryProperty) {
    for (const Bytes& seed : SnapshotSeeds())
        EXPECT_EQ(CheckSnapshot(seed), "");
    for (const std::string& seed : SettingsSeeds()) {
        EXPECT_EQ(CheckSettingsFile(seed), "");
        EXPECT_EQ(CheckSettingsRoundTrip(SplitIntoTexts(seed)), "");
    }
    for (const std::string& seed : NumberSeeds())
        EXPECT_EQ(CheckParseNumber(seed), "") << seed;
}

TEST(FuzzProperties, FaultySnapshotReadersAndWritersAreCaught) {
    const Bytes cloud = SnapshotSeeds()[0];
    auto ignoresValues = [](const Bytes& b) {
        Bytes zeroed(b.size(), 0);
        std::copy_n(b.begin(), std::min<std::size_t>(2, b.size()), zeroed.begin());
        return DecodeSnapshot(zeroed);
    };
    auto refusesTrailingBytes = [](const Bytes& b) {
        if (b.size() != SnapshotSize(b[0] | b[1] << 8))
            throw SnapshotRefused{FileReason::Of(FileProblem::SnapshotTruncated)};
        return DecodeSnapshot(b);
    };
    auto setsAccelerations = [](const Bytes& b) {
        auto bodies = DecodeSnapshot(b);
        bodies[0].ax = 1;
        return bodies;
    };
    auto refusesSilently = [](const Bytes&) -> std::vector<Body> { throw SnapshotRefused{}; };
    auto throwsOther = [](const Bytes&) -> std::vector<Body> { throw std::length_error("n"); };
    auto bigEndianCount = [](const Store& s) {
        Bytes b = EncodeSnapshot(s);
        std::swap(b[0], b[1]);
        return b;
    };
    EXPECT_NE(CheckSnapshot(SeedWithNaN(), ignoresValues), "");
    EXPECT_NE(CheckSnapshot(cloud, ignoresValues), "");
    EXPECT_NE(CheckSnapshot(SeedWithTrailingBytes(), refusesTrailingBytes), "");
    EXPECT_NE(CheckSnapshot(cloud, setsAccelerations), "");
    EXPECT_NE(CheckSnapshot(cloud, refusesSilently), "");
    EXPECT_NE(CheckSnapshot(SeedWithNaN(), refusesSilently), "");
    EXPECT_NE(CheckSnapshot(Bytes{}, throwsOther), "");
    EXPECT_NE(CheckSnapshot(cloud, DecodeSnapshot, bigEndianCount), "");
}

TEST(FuzzProperties, SettingsTextsWithLineEndsCommasAndNulReadBack) {
    StartTexts texts;
    texts.TextN = "\r\n";
    texts.TextSize1 = "a\rb";
    texts.TextSize2 = "a\nb,c";
    texts.TextM = std::string("nul\0inside", 10);
    texts.TextIM = "\t trailing \t";
    texts.TextdT = "";
    EXPECT_EQ(CheckSettingsRoundTrip(texts), "");
}

TEST(FuzzProperties, FaultySettingsWritersAndReadersAreCaught) {
    auto trimsLeadingBlanks = [](const StartTexts& t) {
        StartTexts trimmed = t;
        trimmed.TextdT.erase(0, trimmed.TextdT.find_first_not_of(' '));
        return FormatSettings(trimmed);
    };
    auto ignoresQuotes = [](std::string_view content, int max) {
        std::string unquoted(content);
        std::erase(unquoted, '"');
        return ParseSettingsValues(unquoted, max);
    };
    auto readsNine = [](std::string_view, int) { return std::vector<std::string>(9); };
    StartTexts withComma;
    withComma.TextNo = "a,b";
    EXPECT_NE(CheckSettingsRoundTrip(StartTexts{}, trimsLeadingBlanks), "");
    EXPECT_NE(CheckSettingsRoundTrip(withComma, FormatSettings, ignoresQuotes), "");
    EXPECT_NE(CheckSettingsFile("", FormatSettings, readsNine), "");
    // Readers that take a byte order mark as text, keep bytes that are not UTF-8, or turn
    // them into replacement characters.
    auto readsMarkAsText = [](std::string_view content, int max) {
        return SplitSettingsValues(content, max);
    };
    auto replacesOldBytes = [](std::string_view content, int max) {
        std::string replaced;
        for (char c : content)
            replaced += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
        return ParseSettingsValues(IsValidUtf8(content) ? std::string(content) : replaced, max);
    };
    StartTexts oldCodePage;
    oldCodePage.TextNo = "\xf7\xe0\xf1";
    EXPECT_NE(CheckSettingsFile("\"1\"", FormatSettings, readsMarkAsText), "");
    EXPECT_NE(CheckSettingsFile("\"\xf7\"", FormatSettings, readsMarkAsText), "");
    EXPECT_NE(CheckSettingsRoundTrip(oldCodePage, FormatSettings, replacesOldBytes), "");
    EXPECT_EQ(CheckSettingsRoundTrip(oldCodePage), "");
    // A quote inside a text is outside the promise, so even a faulty writer passes there.
    StartTexts withQuote;
    withQuote.TextdT = " 1\"";
    EXPECT_EQ(CheckSettingsRoundTrip(withQuote, trimsLeadingBlanks), "");
}

TEST(FuzzProperties, InputSplitsIntoEightTextsAtNulBytes) {
    const StartTexts texts = SplitIntoTexts(std::string_view("a\0b\0\0\0\0\0\0h\0i", 12));
    EXPECT_EQ(texts.TextN, "a");
    EXPECT_EQ(texts.TextSize1, "b");
    EXPECT_EQ(texts.TextG, "");
    EXPECT_EQ(texts.TextNo, std::string("h\0i", 3));
    EXPECT_EQ(SplitIntoTexts("x").TextSize1, "");
}

TEST(FuzzProperties, PlainDecimalIsExactlyTheDefinedForm) {
    for (const char* plain : {"0", "-0", ".5", "5.", "-5.e3", "1E+19", "00012", "1e-400"})
        EXPECT_TRUE(IsPlainDecimal(plain)) << plain;
    for (const char* other : {"", "-", ".", "+1", " 1", "1 ", "1e", "1e+", "e5", "1.2.3", "1,5",
                              "--1", "0x10", "inf", "nan", "1e5x", "-.e1"})
        EXPECT_FALSE(IsPlainDecimal(other)) << other;
}

TEST(FuzzProperties, FaultyNumberConversionsAreCaught) {
    auto throws = [](std::string_view) -> double { throw std::invalid_argument("x"); };
    auto dropsSign = [](std::string_view t) { return std::fabs(ParseNumber(t)); };
    auto singlePrecision = [](std::string_view t) {
        return static_cast<double>(static_cast<float>(ParseNumber(t)));
    };
    auto nanForWords = [](std::string_view t) { return IsPlainDecimal(t) ? ParseNumber(t) : NAN; };
    auto wrongOffPlain = [](std::string_view t) { return IsPlainDecimal(t) ? ParseNumber(t) : 42; };
    EXPECT_NE(CheckParseNumber("Text1", throws), "");
    EXPECT_NE(CheckParseNumber("-1e-400", dropsSign), "");
    EXPECT_NE(CheckParseNumber("-1e400", dropsSign), "");
    EXPECT_NE(CheckParseNumber("6.67e-11", singlePrecision), "");
    EXPECT_NE(CheckParseNumber("Text1", nanForWords), "");
    // Only plain decimal texts are compared; others need only not throw.
    EXPECT_EQ(CheckParseNumber(" 315360000", wrongOffPlain), "");
}
