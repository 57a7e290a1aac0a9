// Arguments carried through Qt's parser as QStrings come back as the same bytes.
#include <gtest/gtest.h>

#include <random>

#include "runner/ArgumentBytes.h"
#include "runner/RunnerOptions.h"

TEST(ArgumentBytes, EveryByteSequenceComesBackUnchanged) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(ArgumentBytes(ArgumentText(one)), one) << byte;
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 12, '\0');
        for (char& c : bytes)  // mostly the lead and continuation bytes of UTF-8
            c = static_cast<char>(random() % 3 == 0 ? random() % 128 : 0x80 + random() % 128);
        ASSERT_EQ(ArgumentBytes(ArgumentText(bytes)), bytes) << round;
    }
    // Characters beyond the 16-bit range pair their surrogates; they are not escaped bytes.
    const std::string mixed = "a\xF0\x9F\x98\x80\xed\xb2\x80\xff частота";
    EXPECT_EQ(ArgumentBytes(ArgumentText(mixed)), mixed);
}

TEST(ArgumentBytes, Utf8ReadsAsItsCharacters) {
    EXPECT_EQ(ArgumentText("частота \xF0\x9F\x98\x80"),
              QString::fromUtf8("частота \xF0\x9F\x98\x80"));
    EXPECT_EQ(ArgumentBytes(QString::fromUtf8("частота")), "частота");
    EXPECT_EQ(ArgumentText("a\xff").size(), 2);
}

TEST(ArgumentBytes, PathOptionsKeepTheirBytes) {
    const std::string name = "runs\xff/x\xfe.kvx";
    const RunnerRequest request = ParseRunnerArguments(
        {"kvorax-run", "--save", name, "--open=" + name, "--frames", name, "--every", "2"});
    EXPECT_EQ(request.options.save, name);
    EXPECT_EQ(request.options.open, name);
    EXPECT_EQ(request.options.frames, name);
    EXPECT_TRUE(request.text.empty());
}
