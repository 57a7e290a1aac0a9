// The conversions of the start sequence and the checks made before anything is built.
#include <gtest/gtest.h>

#include "start/StartParameters.h"

namespace {

// The box named by the error for these texts, or nothing when the texts are accepted.
std::optional<StartBox> RefusedBox(const StartTexts& texts) {
    try {
        ConvertStartTexts(texts);
    } catch (const StartParameterError& e) {
        EXPECT_EQ(e.text(), texts.text(e.box()));  // the message quotes the box as typed
        return e.box();
    }
    return std::nullopt;
}

}  // namespace

TEST(StartParameters, BodyCountRoundsHalfToEven) {
    StartTexts t;
    for (auto [text, n] : {std::pair{"2.5", 2},
                           {"3.5", 4},
                           {"1.4", 1},
                           {"32766", 32766},
                           {" 7 ", 7},
                           {"0.45e1", 4}}) {
        t.TextN = text;
        EXPECT_EQ(ConvertStartTexts(t).N, n) << text;
    }
}

TEST(StartParameters, RefusalsNameTheirBox) {
    auto refused = [](auto edit) {
        StartTexts t;
        edit(t);
        return RefusedBox(t);
    };
    EXPECT_EQ(refused([](StartTexts& t) { t.TextN = "Text1"; }), StartBox::N);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextN = "0.5"; }), StartBox::N);  // rounds to 0
    EXPECT_EQ(refused([](StartTexts& t) { t.TextN = "-3"; }), StartBox::N);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextN = "32767"; }), StartBox::N);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextN = "1e400"; }), StartBox::N);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextSize1 = "0"; }), StartBox::Size1);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextSize1 = "abc"; }), StartBox::Size1);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextG = "1e999"; }), StartBox::G);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextdT = "-1e400"; }), StartBox::dT);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextNo = "9e9999"; }), StartBox::No);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextSize2 = "0"; }), std::nullopt);
    EXPECT_EQ(refused([](StartTexts& t) { t.TextdT = "-5"; }), std::nullopt);
}

TEST(StartParameters, DefaultTextsGiveTheDesignValues) {
    const StartParameters p = ConvertStartTexts(StartTexts{});
    EXPECT_EQ(p.N, 100);
    EXPECT_EQ(p.Size1, 1e19);
    EXPECT_EQ(p.Size2, 0.5e18);
    EXPECT_EQ(p.M, 2e30);
    EXPECT_EQ(p.IM, 4.61e32);
    EXPECT_EQ(p.dT, 315360000);
    EXPECT_EQ(p.G, 6.67e-11);
    EXPECT_EQ(p.No, 0);  // "Text1"
}

TEST(StartParameters, RefusedStartLeavesTheStoreAlone) {
    Store s;
    s.RecreateTables(3);
    s.Plane = "yz";
    StartTexts t;
    t.TextSize1 = "0";
    EXPECT_THROW(StartRun(s, t), StartParameterError);
    EXPECT_EQ(s.N(), 3);
    EXPECT_EQ(s.Plane, "yz");
}
