// Text to number: the leading-number rule, blanks, decimal commas, out-of-range texts,
// and independence from the process locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "start/ParseNumber.h"

TEST(ParseNumber, TakesTheLongestLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"100", 100},
        {" 315360000", 315360000},
        {"6.67e-11", 6.67e-11},
        {"0.5e+18", 0.5e18},
        {"1e+19", 1e19},
        {"Text1", 0},
        {"6,67e-11", 6},
        {"", 0},
        {"-", 0},
        {".", 0},
        {".5", 0.5},
        {"5.", 5},
        {"-2.5", -2.5},
        {"+7", 7},
        {"1e", 1},
        {"1e+", 1},
        {"2E3", 2000},
        {"3.5.1", 3.5},
        {"1 000", 1000},
        {"\t4\n2", 42},
        {"12abc", 12},
        {"1.5e3x", 1500},
        {"--1", 0},
        {"1d5", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseNumber(c.text), c.value) << c.text;
}

TEST(ParseNumber, OutOfRangeTextsGiveInfinityOrZero) {
    EXPECT_EQ(ParseNumber("1e400"), INFINITY);
    EXPECT_EQ(ParseNumber("-1e400"), -INFINITY);
    EXPECT_EQ(ParseNumber("1e99999999999999999999"), INFINITY);
    EXPECT_EQ(ParseNumber("1e-400"), 0.0);
    EXPECT_TRUE(std::signbit(ParseNumber("-1e-400")));
    EXPECT_EQ(ParseNumber("0.000001e-320"), 0.0);
    EXPECT_EQ(ParseNumber(std::string(400, '9')), INFINITY);
}

TEST(ParseNumber, IgnoresTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no decimal-comma locale installed";
    EXPECT_EQ(ParseNumber("6.67e-11"), 6.67e-11);
    EXPECT_EQ(ParseNumber("6,67"), 6);
    std::setlocale(LC_NUMERIC, saved.c_str());
}
