// Starting inputs of the fuzz targets, made from the program's own writers where it has one.
#pragma once

#include <string>
#include <vector>

#include "storage/FileAccess.h"

/// A real snapshot of a built cloud, the one-body example with bytes after it, and the
/// malformed files a user may hand over.
std::vector<Bytes> SnapshotSeeds();

/// The default settings file, a hand-written one, and texts separated by NUL bytes.
std::vector<std::string> SettingsSeeds();

/// Number texts as typed, among them out-of-range and decimal-comma ones.
std::vector<std::string> NumberSeeds();
