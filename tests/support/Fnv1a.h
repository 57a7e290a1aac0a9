// FNV-1a, 64 bits: a named hash of file bytes that every platform computes alike (unlike
// std::hash), for results pinned to constants.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

/// The hash as 16 hexadecimal digits.
inline std::string Fnv1a64(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 0x100000001b3ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}
