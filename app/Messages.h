// The words for every failure the two programs tell the user of. The failures are typed
// facts wherever they arise; here, and only here, they become Russian sentences.
#pragma once

#include <string>

#include "core/FpFault.h"
#include "core/UserError.h"

/// The message for a failure of any kind the programs report.
std::string Message(const UserError& failure);

struct FileReason;

/// Why a file could not be used, in words ("нет места на диске").
std::string ReasonText(const FileReason& reason);

/// The fault in words ("деление на ноль").
std::string FpFaultText(FpFault fault);
