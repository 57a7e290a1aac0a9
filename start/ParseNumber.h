// Text to number for every start parameter, independent of the process locale.
#pragma once

#include <string_view>

/// Blanks, tabs and line feeds anywhere are ignored; then the longest leading decimal
/// number (sign, digits with at most one ".", optional exponent E/e with sign and digits)
/// is taken; no such part gives 0. Too large a number gives an infinity, too small a zero.
double ParseNumber(std::string_view text);
