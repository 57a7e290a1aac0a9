// The ways a file writer can take, for tests that run each: an unnamed file or a named
// temporary, replacing a file or creating one.
#pragma once

#include <fstream>
#include <string>

enum class Way { Unnamed, Named };

struct WriteCase {
    Way way;
    bool replacing;
};

inline const WriteCase kWriteCases[] = {
    {Way::Unnamed, true}, {Way::Unnamed, false}, {Way::Named, true}, {Way::Named, false}};

inline std::string Describe(const WriteCase& c) {
    return std::string(c.way == Way::Unnamed ? "unnamed file" : "named temporary") +
           (c.replacing ? ", replacing" : ", creating");
}

inline void WriteAll(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}
