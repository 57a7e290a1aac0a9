// Settings files written for a test, in the file's own form: eight quoted lines, CR LF.
#pragma once

#include <fstream>
#include <string>

/// dT = 1, G = 1, IM = 0, M = 1, N = 2, Size1 = 600 (a star at x is drawn at picture
/// column x), Size2 = 1, no rotation.
inline void WriteUnitSettings(const std::string& path) {
    std::ofstream(path, std::ios::binary)
        << "\"1\"\r\n\"1\"\r\n\"0\"\r\n\"1\"\r\n\"2\"\r\n\"600\"\r\n\"1\"\r\n\"0\"\r\n";
}
