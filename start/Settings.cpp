// Reading and writing the settings file.
#include "start/Settings.h"

#include "start/TextEncoding.h"
#include "storage/FileAccess.h"

namespace {

// Hand-edited files may be large or not text at all; eight values never need more.
constexpr std::size_t kMaxSettingsBytes = 1 << 20;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Skips one separator (a comma, or a line end CR LF, LF or CR) at position k.
std::size_t SkipSeparator(std::string_view s, std::size_t k) {
    if (k >= s.size()) return k;
    if (s[k] == ',') return k + 1;
    if (s[k] == '\r' && k + 1 < s.size() && s[k + 1] == '\n') return k + 2;
    return k + 1;
}

}  // namespace

std::vector<std::string> SplitSettingsValues(std::string_view s, int maxValues) {
    std::vector<std::string> values;
    std::size_t k = 0;
    while (k < s.size() && static_cast<int>(values.size()) < maxValues) {
        while (k < s.size() && (s[k] == ' ' || s[k] == '\t'))
            ++k;
        if (k >= s.size()) break;
        if (IsLineEnd(s[k])) {  // a blank line holds no value
            k = SkipSeparator(s, k);
            continue;
        }
        std::size_t end;
        if (s[k] == '"') {
            const std::size_t close = s.find('"', k + 1);
            end = close == std::string_view::npos ? s.size() : close;
            values.emplace_back(s.substr(k + 1, end - k - 1));
            // Anything between the closing quote and the separator is ignored.
            end = s.find_first_of(",\r\n", std::min(end + 1, s.size()));
        } else {
            end = s.find_first_of(",\r\n", k);
            if (end == std::string_view::npos) end = s.size();
            std::string_view value = s.substr(k, end - k);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
                value.remove_suffix(1);
            values.emplace_back(value);
        }
        k = end == std::string_view::npos ? s.size() : SkipSeparator(s, end);
    }
    return values;
}

std::vector<std::string> ParseSettingsValues(std::string_view content, int maxValues) {
    // Every separator and quote is ASCII, which both readings keep as it is, so decoding
    // the whole file first splits it as its bytes would be split.
    return SplitSettingsValues(DecodeTextFile(content), maxValues);
}

std::string FormatSettings(const StartTexts& texts) {
    std::string content;
    for (StartBox box : kSettingsLineOrder)
        content += '"' + texts.text(box) + "\"\r\n";
    return content;
}

void LoadSettings(StartTexts& texts, const std::string& path) {
    if (IsRegularFile(path)) ReadSettings(texts, path);
}

void ReadSettings(StartTexts& texts, const std::string& path) {
    const Bytes bytes = ReadFilePrefix(path, kMaxSettingsBytes);
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::vector<std::string> values = ParseSettingsValues(content, kStartBoxCount);
    for (std::size_t k = 0; k < values.size(); ++k)
        texts.text(kSettingsLineOrder[k]) = values[k];
}

void SaveSettings(const StartTexts& texts, const std::string& path) {
    const std::string content = FormatSettings(texts);
    WriteFileAtomically(path, content.data(), content.size());
}
