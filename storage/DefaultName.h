// Default names Noname00.kvx, Noname01.kvx, ... (and .wmf for pictures) in the working
// directory: the number starts at the count of names matching Noname??<ext>, and goes up
// while a file of that name exists, so a default name never overwrites a file.
#pragma once

#include <string>

/// extension with its dot: ".kvx" or ".wmf". folder "." is the working directory.
std::string DefaultName(const std::string& extension, const std::string& folder = ".");
