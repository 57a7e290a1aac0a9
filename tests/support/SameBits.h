// Two doubles compared to the bit: tells -0 from +0 and one NaN from another.
#pragma once

#include <cstring>

inline bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
