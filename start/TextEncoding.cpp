// UTF-8 validation and the Windows-1251 table.
#include "start/TextEncoding.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Code points of the bytes 0x80 to 0xFF. 0x98 has no character; it keeps its own value, as
// web browsers read it, so that no byte is lost.
constexpr std::array<char32_t, 64> kUpperHalfStart = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char32_t Windows1251CodePoint(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte < 0xC0) return kUpperHalfStart[byte - 0x80];
    return 0x0410 + (byte - 0xC0);  // А to я, in alphabetical order
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

// The allowed range of the second byte excludes overlong forms, surrogates and code points
// past U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t k) {
    const auto lead = static_cast<unsigned char>(s[k]);
    if (lead < 0x80) return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() - k < length) return 0;
    const auto second = static_cast<unsigned char>(s[k + 1]);
    if (second < low || second > high) return 0;
    for (std::size_t m = 2; m < length; ++m)
        if (!IsContinuation(static_cast<unsigned char>(s[k + m]))) return 0;
    return length;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t k = 0; k < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, k);
        if (length == 0) return false;
        k += length;
    }
    return true;
}

std::string EscapedBytes(std::string_view bytes) {
    std::string out;
    for (std::size_t k = 0; k < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[k]);
        const std::size_t length = Utf8SequenceLength(bytes, k);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
            ++k;
        } else {
            out.append(bytes.substr(k, length));
            k += length;
        }
    }
    return out;
}

std::string Windows1251ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char byte : bytes)
        AppendUtf8(out, Windows1251CodePoint(static_cast<unsigned char>(byte)));
    return out;
}

std::string DecodeTextFile(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Windows1251ToUtf8(bytes);
}
