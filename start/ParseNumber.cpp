// Scanning the longest leading number, then converting it with std::from_chars.
#include "start/ParseNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest prefix of s that reads as a decimal number, 0 if none.
std::size_t NumberPrefixLength(const std::string& s) {
    std::size_t k = 0;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    std::size_t digits = 0;
    while (k < s.size() && IsDigit(s[k]))
        ++k, ++digits;
    if (k < s.size() && s[k] == '.') {
        ++k;
        while (k < s.size() && IsDigit(s[k]))
            ++k, ++digits;
    }
    if (digits == 0) return 0;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
        std::size_t e = k + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
        if (e < s.size() && IsDigit(s[e])) {
            while (e < s.size() && IsDigit(s[e]))
                ++e;
            k = e;
        }
    }
    return k;
}

// Written exponent of a number such as 1e+400, saturated far beyond the double range but
// far enough below the long long limit that adding a digit position cannot overflow.
long long WrittenExponent(std::string_view digits) {
    constexpr long long kSaturated = 1'000'000'000'000'000'000;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    long long e = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), e).ec != std::errc{} ||
        e > kSaturated)
        e = kSaturated;
    return negative ? -e : e;
}

// A number out of the double range: infinite when its leading digit stands far left of
// the point (1e400, 5e+309), zero when far right of it (1e-400).
double OutOfRangeValue(std::string_view number, bool negative) {
    const std::size_t e = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    const long long leading = first < point ? static_cast<long long>(point - first)
                                            : -static_cast<long long>(first - point);
    const long long exponent =
        e == std::string_view::npos ? 0 : WrittenExponent(number.substr(e + 1));
    const double v = leading + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -v : v;
}

}  // namespace

double ParseNumber(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    const std::size_t length = NumberPrefixLength(s);
    if (length == 0) return 0;
    std::string_view number(s.data(), length);
    bool negative = false;
    if (number[0] == '+' || number[0] == '-') {
        negative = number[0] == '-';
        number.remove_prefix(1);
    }
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) return OutOfRangeValue(number, negative);
    return negative ? -value : value;
}
