// Reading files and writing them atomically: a write goes to an unnamed (or, where the file
// system cannot, a hidden temporary) file in the target's folder and replaces the target
// only when complete and on the disk, so neither a failure nor a kill destroys the previous
// file. A symbolic link is written through: the file it points to is replaced.
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

/// When a written file reaches the disk. OnCommit: before it replaces the target, and the
/// folder after it, so a power cut after the commit keeps it. AtTheEnd: a kill still leaves
/// the old file or the new one, but the disk gets it only when the caller syncs the file
/// system (SyncFileSystem), once, after a whole series of such files.
enum class Durability { OnCommit, AtTheEnd };

/// Writes a file piece by piece; Commit() makes it appear under its name, and a writer
/// destroyed without a successful Commit() leaves the folder as it was. A device or a pipe
/// is written in place.
class AtomicFileWriter {
  public:
    /// Creates the new file, after removing temporaries that killed writers of the same
    /// target left behind. Throws FileError.
    explicit AtomicFileWriter(const std::string& path,
                              Durability durability = Durability::OnCommit);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /// Appends bytes. Throws FileError.
    void Write(const void* data, std::size_t size);
    void Write(const std::string& text) { Write(text.data(), text.size()); }
    /// Flushes the file to the disk, puts it in place of the target and flushes the
    /// folder. On a failure the previous file is restored where the system allows it.
    /// Throws FileError.
    void Commit();

  private:
    void OpenInPlace();
    bool OpenUnnamed();
    void OpenNamed();
    void PutInPlace(bool replacing);
    void NameUnnamed();
    void RollBack(int previous, bool replacing);
    [[noreturn]] void Fail(int error);
    void Discard();

    std::string path_;      // as given, for messages
    std::string target_;    // the file replaced: path_ with symbolic links followed
    std::string tempPath_;  // the temporary's name while it has one
    int fd_ = -1;
    int inUseFd_ = -1;      // holds the lock that marks the temporary as in use
    bool inPlace_ = false;  // a device such as /dev/full or a pipe
    bool unnamed_ = false;  // an O_TMPFILE file, named only at commit
    bool rollBack_ = true;  // false in the writer that restores the previous content
    bool syncs_ = true;     // Durability::OnCommit
    std::size_t written_ = 0;
};

/// Writes the whole file atomically. Throws FileError.
void WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         Durability durability = Durability::OnCommit);

/// Puts everything written to the file system that holds folder on the disk. Throws
/// FileError.
void SyncFileSystem(const std::string& folder);
inline void WriteFileAtomically(const std::string& path, const Bytes& bytes) {
    WriteFileAtomically(path, bytes.data(), bytes.size());
}

/// For fault-injection tests: when set, a write fails with ENOSPC once the file would
/// hold more than the returned number of bytes (a negative number never fails).
void SetWriteLimitForTesting(std::function<long long(const std::string& path)> limit);

/// The system calls of an atomic write to a file, in the order they run.
enum class WriteStep {
    OpenUnnamed,  // O_TMPFILE in the target's folder; EOPNOTSUPP, EISDIR or EINVAL make
    OpenNamed,    // the writer fall back to a named temporary
    Write,
    SyncFile,
    CloseFile,
    OpenFolder,
    Link,  // names the unnamed file
    Rename,
    SyncFolder,
};

/// For fault-injection tests: when set, it is asked before each step, and an errno value
/// other than 0 makes that step fail with it.
void SetWriteFaultForTesting(std::function<int(WriteStep step)> fault);
