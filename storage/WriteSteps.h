// The system calls of one atomic write. Each asks the test hook first; a failure it injects
// returns -1 with errno set, as the call itself would have.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "storage/Descriptor.h"
#include "storage/WriteFault.h"

class WriteSteps {
  public:
    /// path: the file written, as the caller named it, which the hook is shown.
    explicit WriteSteps(const std::string& path) : path_(path) {}

    /// An unnamed file in folder (O_TMPFILE), for writing.
    int OpenUnnamed(const std::string& folder);
    /// A new file at path, for writing; never an existing one.
    int OpenNamed(const std::string& path);
    /// A second descriptor of fd's open file, holding the in-use lock (see
    /// StaleTemporaries.h); it keeps the file open once fd is closed.
    int LockTemporary(int fd);
    ssize_t Write(int fd, const void* data, std::size_t size);
    int SyncFile(int fd);
    /// Flushes everything written to the file system that holds fd's file.
    int SyncFileSystem(int fd);
    /// Closes fd; the descriptor is gone even when this fails.
    int CloseFile(Descriptor& fd);
    int OpenFolder(const std::string& folder);
    /// Gives the file open at fd the name path (which must not exist).
    int Link(int fd, const std::string& path);
    int Rename(const std::string& from, const std::string& to);
    int SyncFolder(int fd);

  private:
    bool Injected(WriteStep step, std::size_t size = 0) const;

    const std::string& path_;
    std::size_t written_ = 0;
};
