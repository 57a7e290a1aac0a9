// Reading texts that people wrote with other programs: UTF-8, with or without a byte order
// mark, or the Cyrillic code page Windows-1251 of older files.
#pragma once

#include <string>
#include <string_view>

/// Whether the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing past
/// U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view bytes);

/// The length of the well-formed UTF-8 sequence that starts at bytes[k], or 0 when none does.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t k);

/// The bytes for a message: UTF-8 kept, every other byte and every control character
/// written as \xHH, so that two different names never look the same.
std::string EscapedBytes(std::string_view bytes);

/// Each byte read as Windows-1251, written as UTF-8. Bytes below 0x80 stay as they are.
std::string Windows1251ToUtf8(std::string_view bytes);

/// The text of a file as UTF-8: a leading UTF-8 byte order mark dropped; what follows kept
/// when it is valid UTF-8, else read as Windows-1251.
std::string DecodeTextFile(std::string_view bytes);
