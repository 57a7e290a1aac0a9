// The settings file Kvorax.ini: the eight texts of the start form, each in double quotes
// on its own CR LF line, in the order dT, G, IM, M, N, Size1, Size2, No. Written as UTF-8;
// read as UTF-8 after an optional byte order mark, or as Windows-1251 when not valid UTF-8.
#pragma once

#include <string>
#include <vector>

#include "core/UserError.h"
#include "start/StartTexts.h"

inline const char* const kSettingsFileName = "Kvorax.ini";

/// The values of a text: separated by commas or line ends, blanks before a value skipped,
/// a quoted value running to the next quote. At most maxValues are returned.
std::vector<std::string> SplitSettingsValues(std::string_view text, int maxValues = 8);

/// The values of a settings file's bytes: SplitSettingsValues of their DecodeTextFile.
std::vector<std::string> ParseSettingsValues(std::string_view content, int maxValues = 8);

/// The file content for the eight texts.
std::string FormatSettings(const StartTexts& texts);

/// Fills the texts from the file, in its line order; boxes without a value keep their
/// text. Throws FileError when path is not a plain file that can be read.
void ReadSettings(StartTexts& texts, const std::string& path);

/// ReadSettings, where an absent file (or one that is not a plain file) changes nothing.
void LoadSettings(StartTexts& texts, const std::string& path = kSettingsFileName);

/// Writes the eight texts atomically. Throws FileError.
void SaveSettings(const StartTexts& texts, const std::string& path = kSettingsFileName);
