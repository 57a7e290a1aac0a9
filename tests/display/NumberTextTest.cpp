// The number-to-text rule and the three texts of a tick.
#include <gtest/gtest.h>

#include <clocale>

#include "display/NumberText.h"

TEST(NumberText, ShortestFifteenDigitForm) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {315360000, " 315360000"},
        {315360000 * 1.5, " 473040000"},
        {315360000 * 0.667, " 210345120"},
        {1e19, " 1E+19"},
        {6.67e-11, " 6.67E-11"},
        {-2.5, "-2.5"},
        {0.0, " 0"},
        {-0.0, " 0"},
        {1e15, " 1E+15"},
        {123456789012345, " 123456789012345"},
        {0.0001, " 0.0001"},
        {0.00001, " 1E-05"},
        {1.0 / 3.0, " 0.333333333333333"},
        {-1e-300, "-1E-300"},
        {2.18411892473262e37, " 2.18411892473262E+37"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberText(c.value), c.text) << c.text;
    EXPECT_EQ(NumberText(std::int64_t{1}), " 1");
    EXPECT_EQ(NumberText(std::int64_t{0}), " 0");
    EXPECT_EQ(NumberText(std::int64_t{-5}), "-5");
    EXPECT_EQ(NumberText(std::int64_t{100000}), " 100000");
}

TEST(NumberText, IgnoresADecimalCommaLocale) {
    if (!std::setlocale(LC_ALL, "ru_RU.UTF-8") && !std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no decimal-comma locale installed";
    EXPECT_EQ(NumberText(6.67e-11), " 6.67E-11");
    EXPECT_EQ(NumberText(2.5), " 2.5");
    std::setlocale(LC_ALL, "C");
}

TEST(NumberText, TickTexts) {
    const TickTexts t = MakeTickTexts(1, 0.5625, 315360000);
    EXPECT_EQ(t.caption, "Кворакс  1 шаг");
    EXPECT_EQ(t.energy, "Энергия системы: 0.5625");
    EXPECT_EQ(t.timeStep, " 315360000");
    EXPECT_EQ(MakeTickTexts(7, 0, -1).energy, "Энергия системы: 0");
    EXPECT_EQ(MakeTickTexts(7, 0, -1).timeStep, "-1");
}
