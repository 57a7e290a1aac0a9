// The settings file read back after writing, for generated texts and for any file content.
#include "tests/fuzz/Properties.h"

#include "start/TextEncoding.h"

namespace {

bool HoldsQuote(const StartTexts& texts) {
    for (int k = 0; k < kStartBoxCount; ++k)
        if (texts.text(StartBox(k)).find('"') != std::string::npos) return true;
    return false;
}

bool AllUtf8(const StartTexts& texts) {
    for (int k = 0; k < kStartBoxCount; ++k)
        if (!IsValidUtf8(texts.text(StartBox(k)))) return false;
    return true;
}

// The texts as the start form holds them after loading these values.
StartTexts Loaded(const std::vector<std::string>& values) {
    StartTexts texts;
    for (std::size_t k = 0; k < values.size(); ++k)
        texts.text(kSettingsLineOrder[k]) = values[k];
    return texts;
}

}  // namespace

std::string CheckSettingsRoundTrip(const StartTexts& texts, SettingsFormatter format,
                                   SettingsParser parse) {
    if (HoldsQuote(texts)) return {};  // written unescaped: such a file cannot read back
    const std::vector<std::string> values = parse(format(texts), kStartBoxCount);
    if (values.size() != kStartBoxCount)
        return "read back " + std::to_string(values.size()) + " values instead of 8";
    // One byte that is not UTF-8 makes the whole file an older one in the code page.
    const bool utf8 = AllUtf8(texts);
    for (int line = 0; line < kStartBoxCount; ++line) {
        const std::string& text = texts.text(kSettingsLineOrder[line]);
        if (values[line] != (utf8 ? text : Windows1251ToUtf8(text)))
            return "line " + std::to_string(line + 1) + " reads back as another text";
    }
    return {};
}

std::string CheckSettingsFile(std::string_view content, SettingsFormatter format,
                              SettingsParser parse) {
    const std::vector<std::string> values = parse(content, kStartBoxCount);
    if (values.size() > kStartBoxCount)
        return "read " + std::to_string(values.size()) + " values from one file";
    for (const std::string& value : values)
        if (!IsValidUtf8(value)) return "a value read is not UTF-8";
    const std::string_view mark = "\xEF\xBB\xBF";  // one is skipped, a second is text
    if (!content.starts_with(mark) &&
        parse(std::string(mark) + std::string(content), kStartBoxCount) != values)
        return "a byte order mark changes the values read";
    return CheckSettingsRoundTrip(Loaded(values), format, parse);
}

StartTexts SplitIntoTexts(std::string_view input) {
    StartTexts texts;
    for (int k = 0; k < kStartBoxCount; ++k) {
        const std::size_t end = k + 1 < kStartBoxCount ? input.find('\0') : input.npos;
        texts.text(StartBox(k)) = std::string(input.substr(0, end));
        input.remove_prefix(end == input.npos ? input.size() : end + 1);
    }
    return texts;
}
