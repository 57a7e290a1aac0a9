// How a fuzz target reports a broken property: the message, then abort(), so that libFuzzer
// keeps the input as a crash file.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

inline void AbortOnFailure(const std::string& failure) {
    if (failure.empty()) return;
    std::fprintf(stderr, "Property broken: %s\n", failure.c_str());
    std::abort();
}
