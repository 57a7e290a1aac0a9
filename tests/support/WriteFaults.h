// Faults for the file writer's test seam: a disk that fills up, a file system that offers
// no unnamed files.
#pragma once

#include <cerrno>
#include <functional>
#include <string>

#include "storage/WriteFault.h"

/// When set, a write fails with ENOSPC once the file would hold more than limit(path) bytes
/// (a negative limit never fails); nullptr removes it, and any other fault with it.
inline void SetWriteLimitForTesting(std::function<long long(const std::string& path)> limit) {
    if (!limit) {
        SetWriteFaultForTesting(nullptr);
        return;
    }
    SetWriteFaultForTesting([limit = std::move(limit)](const WriteAttempt& attempt) {
        if (attempt.step != WriteStep::Write) return 0;
        const long long allowed = limit(attempt.path);
        return allowed >= 0 && attempt.size > static_cast<std::size_t>(allowed) ? ENOSPC : 0;
    });
}

/// The fault of a file system without O_TMPFILE: every writer takes a named temporary.
inline int WithoutUnnamedFiles(const WriteAttempt& attempt) {
    return attempt.step == WriteStep::OpenUnnamed ? EOPNOTSUPP : 0;
}
