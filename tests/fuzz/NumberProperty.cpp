// ParseNumber against std::from_chars, with strtod deciding the out-of-range cases.
#include <locale.h>
#include <stdlib.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "tests/fuzz/Properties.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips digits from k on and says how many there were.
std::size_t SkipDigits(std::string_view s, std::size_t& k) {
    const std::size_t start = k;
    while (k < s.size() && IsDigit(s[k]))
        ++k;
    return k - start;
}

// The infinity or signed zero that strtod gives for an out-of-range text, in the C locale
// whatever the process locale is.
double RangeLimit(const std::string& text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    const double v = strtod_l(text.c_str(), nullptr, c);
    const double limit = std::isinf(v) ? std::numeric_limits<double>::infinity() : 0.0;
    return std::copysign(limit, v);
}

std::string Describe(double v) {
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    return std::string(text, end);
}

}  // namespace

bool IsPlainDecimal(std::string_view s) {
    std::size_t k = 0;
    if (k < s.size() && s[k] == '-') ++k;
    std::size_t digits = SkipDigits(s, k);
    if (k < s.size() && s[k] == '.') digits += SkipDigits(s, ++k);
    if (digits == 0) return false;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
        ++k;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        if (SkipDigits(s, k) == 0) return false;
    }
    return k == s.size();
}

std::string CheckParseNumber(std::string_view text, NumberParser parse) {
    double v;
    try {
        v = parse(text);
    } catch (...) {
        return "ParseNumber threw";
    }
    if (std::isnan(v)) return "ParseNumber gave NaN";
    if (!IsPlainDecimal(text)) return {};
    double expected = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), expected);
    if (result.ptr != text.data() + text.size())
        return "std::from_chars reads only part of a plain decimal text";
    if (result.ec == std::errc::result_out_of_range) expected = RangeLimit(std::string(text));
    if (std::bit_cast<std::uint64_t>(v) != std::bit_cast<std::uint64_t>(expected))
        return "ParseNumber gave " + Describe(v) + " instead of " + Describe(expected);
    return {};
}
