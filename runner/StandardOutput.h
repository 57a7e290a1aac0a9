// Standard output with its failures seen, as the system's own tools see them.
#pragma once

#include <string_view>

#include "core/UserError.h"

/// Writes the text to standard output and flushes it. Throws StandardOutputError.
void PrintToStandardOutput(std::string_view text);
