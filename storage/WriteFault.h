// The one test seam of the file writer: a hook asked before each system call of a write,
// which can make that call fail.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

/// The system calls of an atomic write to a file, in the order they run.
enum class WriteStep {
    OpenUnnamed,    // O_TMPFILE in the target's folder; EOPNOTSUPP, EISDIR or EINVAL make
    OpenNamed,      // the writer fall back to a named temporary
    LockTemporary,  // marks the temporary as in use
    Write,
    SyncFile,
    SyncFileSystem,  // one flush for several files of a group (syncfs)
    CloseFile,
    OpenFolder,
    Link,  // names the unnamed file
    Rename,
    SyncFolder,
};

/// What the hook is shown of a step.
struct WriteAttempt {
    WriteStep step;
    const std::string& path;  ///< the file written, as the caller named it
    std::size_t size;         ///< for a Write: the bytes the file holds once it succeeds
};

/// For fault-injection tests: when set, it is asked before each step, and an errno value
/// other than 0 makes that step fail with it.
void SetWriteFaultForTesting(std::function<int(const WriteAttempt& attempt)> fault);
