// The system calls of an atomic write. Each asks the test hook first; a failure it injects
// returns -1 with errno set, as the call itself would have.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

/// An unnamed file in folder (O_TMPFILE), for writing.
int StepOpenUnnamed(const std::string& folder);
/// A new file at path, for writing; never an existing one.
int StepOpenNamed(const std::string& path);
ssize_t StepWrite(int fd, const void* data, std::size_t size);
int StepSyncFile(int fd);
/// Closes fd; the descriptor is gone even when this fails.
int StepCloseFile(int fd);
int StepOpenFolder(const std::string& folder);
/// Gives the file open at fd the name path (which must not exist).
int StepLink(int fd, const std::string& path);
int StepRename(const std::string& from, const std::string& to);
int StepSyncFolder(int fd);
