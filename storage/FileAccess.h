// Reading files and writing them atomically: a write goes to a temporary file in the
// target's folder and is renamed over the target only when complete, so a failed write
// never destroys the previous file and leaves no temporary file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

/// Reads at most maxBytes from the start of the regular file at path; anything else (a
/// folder, a pipe, a device) is refused.
/// Throws FileError (the action names reading) when it cannot.
Bytes ReadFilePrefix(const std::string& path, std::size_t maxBytes);

/// True when path names an existing regular file.
bool IsRegularFile(const std::string& path);

/// True when anything (file, folder, device) exists at path.
bool PathExists(const std::string& path);

/// Writes a file piece by piece; Commit() makes it appear under its name, and a writer
/// destroyed without a successful Commit() removes its temporary file.
class AtomicFileWriter {
  public:
    /// Creates the temporary file. Throws FileError.
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /// Appends bytes. Throws FileError.
    void Write(const void* data, std::size_t size);
    void Write(const std::string& text) { Write(text.data(), text.size()); }
    /// Flushes to the disk and renames over the target. Throws FileError.
    void Commit();

  private:
    [[noreturn]] void Fail(int error);
    void Discard();

    std::string path_;
    std::string tempPath_;  // empty when writing straight to a device such as /dev/full
    int fd_ = -1;
    std::size_t written_ = 0;
};

/// Writes the whole file atomically. Throws FileError.
void WriteFileAtomically(const std::string& path, const void* data, std::size_t size);
inline void WriteFileAtomically(const std::string& path, const Bytes& bytes) {
    WriteFileAtomically(path, bytes.data(), bytes.size());
}

/// For fault-injection tests: when set, a write fails with ENOSPC once the file would
/// hold more than the returned number of bytes (a negative number never fails).
void SetWriteLimitForTesting(std::function<long long(const std::string& path)> limit);
