// Temporary names of the atomic writer, the lock that marks one as in use, and the removal
// of those that a killed writer left behind.
#pragma once

#include <string>

/// A fresh temporary name beside target: ".NAME.xxxxxxxx.tmp", x from 0-9 and a-z.
std::string TemporaryNameFor(const std::string& target);

/// True when name (without folder) is a temporary name of the file named targetName.
bool IsTemporaryNameOf(const std::string& name, const std::string& targetName);

/// Opens path for reading and takes the lock that tells cleaners the file is in use, held
/// until the descriptor is closed (where the file system offers locks). -1 when path
/// cannot be opened.
int HoldInUse(const std::string& path);

/// Removes the temporaries of target whose writer has ended; best effort, never fails.
void RemoveStaleTemporaries(const std::string& target);
