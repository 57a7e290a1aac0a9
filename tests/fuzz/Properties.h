// What the snapshot reader, the settings reader and the number conversion promise for every
// input. The fuzz targets check it on generated inputs; the tests on the seeds and on faulty
// stand-ins, so that a check which cannot fail would show.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/Store.h"
#include "start/ParseNumber.h"
#include "start/Settings.h"
#include "start/StartTexts.h"
#include "storage/FileAccess.h"
#include "storage/Snapshot.h"

// Each check returns an empty text when the property holds, else what is wrong.

using SnapshotDecoder = std::vector<Body> (*)(const Bytes&);
using SnapshotEncoder = Bytes (*)(const Store&);

/// A count in 1..32766, then at least that many records, every value of them finite.
bool IsWellFormedSnapshot(const Bytes& bytes);

/// Accepted exactly when well formed; then N bodies with zero accelerations whose encoding
/// is the first 2 + 56 N bytes. A refusal gives a reason.
std::string CheckSnapshot(const Bytes& bytes, SnapshotDecoder decode = DecodeSnapshot,
                          SnapshotEncoder encode = EncodeSnapshot);

using SettingsFormatter = std::string (*)(const StartTexts&);
using SettingsParser = std::vector<std::string> (*)(std::string_view, int);

/// Texts without a double quote are read back from their file exactly, whatever else they
/// hold, when they are UTF-8 (every text box's are); otherwise each comes back as its bytes
/// read in Windows-1251. Line ends included: a text box is a single line and never yields
/// CR or LF, but the reader keeps them inside the quotes, so nothing needs excluding.
std::string CheckSettingsRoundTrip(const StartTexts& texts,
                                   SettingsFormatter format = FormatSettings,
                                   SettingsParser parse = ParseSettingsValues);

/// Any file: at most eight values, each UTF-8, the same with a byte order mark in front, and
/// the texts loaded from it (the defaults where values are missing) survive a write and a
/// read.
std::string CheckSettingsFile(std::string_view content, SettingsFormatter format = FormatSettings,
                              SettingsParser parse = ParseSettingsValues);

/// Eight texts in the order of the form's rows: the input split at its first seven NUL bytes
/// (no text box holds one); texts past the end are empty.
StartTexts SplitIntoTexts(std::string_view input);

using NumberParser = double (*)(std::string_view);

/// The whole text is: an optional '-'; digits with at most one '.' among, before or after
/// them, at least one digit in all; optionally 'e' or 'E', an optional '+' or '-' and at least
/// one digit. No blanks, no '+' in front.
bool IsPlainDecimal(std::string_view text);

/// Never throws and never gives NaN. On plain decimal text: bit for bit what std::from_chars
/// gives, or where that finds the text out of range, the infinity or zero with the text's
/// sign that strtod (C locale) rounds it to.
std::string CheckParseNumber(std::string_view text, NumberParser parse = ParseNumber);
