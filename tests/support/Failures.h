// The failure an action throws, as facts, for tests that check what failed and why.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "core/FileError.h"
#include "storage/FileAccess.h"

/// The failure of kind Kind that action throws; nothing when it throws none.
template <typename Kind, typename Action>
std::optional<Kind> FailureOf(Action&& action) {
    try {
        action();
    } catch (const Kind& failure) {
        return failure;
    }
    return std::nullopt;
}

/// The failure of writing content to path atomically; nothing when the write succeeds.
inline std::optional<FileError> WriteFailure(const std::string& path,
                                             const std::string& content = "new") {
    return FailureOf<FileError>([&] { WriteFileAtomically(path, content.data(), content.size()); });
}

inline void PrintTo(const FileReason& r, std::ostream* out) {
    *out << "problem " << static_cast<int>(r.problem) << ", errno " << r.systemError << ", count "
         << r.count << ", needed " << r.needed << ", actual " << r.actual << ", detail \""
         << r.detail << "\"";
}
