// Reading files and writing them atomically: a write goes to an unnamed (or, where the file
// system cannot, a hidden temporary) file in the target's folder and replaces the target
// only when complete and on the disk, so neither a failure nor a kill destroys the previous
// file. A symbolic link is written through: the file it points to is replaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <vector>

#include "storage/Descriptor.h"
#include "storage/WriteFault.h"
#include "storage/WriteSteps.h"

using Bytes = std::vector<std::uint8_t>;

struct FileReason;

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

/// Whether a writer first removes the temporaries that killed writers of its target left.
/// FolderCleared: the caller cleared the folder (RemoveStaleTemporariesIn) before a series
/// of writes into it, so the writer does not read the folder again. A long run's folder
/// grows at every write, and reading all of it for each would make the series quadratic.
/// A target that a link puts in another folder is still cleaned.
enum class Leftovers { Remove, FolderCleared };

/// Writes a file piece by piece; Commit() makes it appear under its name, and a writer
/// destroyed without a successful Commit() leaves the folder as it was. A device or a pipe
/// with a reader is written in place; a pipe without one and a socket are refused, so no
/// write waits for good. An existing file the user may not write is refused too, as
/// QSaveFile does, although the folder would allow replacing it.
class AtomicFileWriter {
  public:
    /// Creates the new file, after removing temporaries that killed writers of the same
    /// target left behind. Throws FileError.
    explicit AtomicFileWriter(const std::string& path, Durability durability = Durability::OnCommit,
                              Leftovers leftovers = Leftovers::Remove);
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
    /// Commits several writers as one, as a single Commit would each: every file is flushed
    /// to the disk, two or more of one file system under a single flush of it, then they take
    /// their names in the order given, and each folder among them is flushed once, after the
    /// last name. When any of this fails, none of the files stays: those already named are put
    /// back as they were, the last first. A kill between two names leaves the first files named
    /// and not the rest. Throws FileError, naming the writer that failed.
    static void CommitTogether(std::span<AtomicFileWriter* const> writers);

    /// Writers committed together, as CommitTogether commits them.
    using Group = std::span<AtomicFileWriter* const>;
    struct GroupsCommitted {
        std::size_t groups = 0;      ///< the first ones, committed
        std::exception_ptr failure;  ///< the FileError of the group after them, if any failed
    };
    /// A group commit: groups committed in order, each as by CommitTogether, but all of them
    /// under one flush of the disk before the first name and one flush of each folder after
    /// the last, where a commit of each would flush twice for each. The groups before the
    /// first that fails are committed as if alone; that one and every later one leave no
    /// file. Nothing is reported done before the flushes, so each committed file is as
    /// durable as after its own Commit.
    static GroupsCommitted CommitGroups(std::span<const Group> groups);

  private:
    void Sync();  // this file's own flush, unless a shared one did it
    bool NeedsFlush() const;
    static void FlushShared(std::span<AtomicFileWriter* const> writers);
    static void NameGroup(Group group);
    static void FlushFolders(std::span<const Group> named, GroupsCommitted& done);
    bool OpenInPlace();
    void RefuseIfNotWritable();
    bool OpenUnnamed();
    void OpenNamed();
    void HoldInUse();
    void ReadyToName();
    void Name();
    int SyncFolder();
    static bool FlushedBefore(std::span<AtomicFileWriter* const> earlier,
                              const std::string& folder);
    void PutInPlace(bool replacing);
    void NameUnnamed();
    static void RollBackNamed(std::span<AtomicFileWriter* const> writers);
    void RollBack(int previous, bool replacing);
    [[noreturn]] void Fail(int error);
    [[noreturn]] void Refuse(const FileReason& reason);
    void Discard();

    std::string path_;      // as given, for messages
    std::string target_;    // the file replaced: path_ with symbolic links followed
    std::string tempPath_;  // the temporary's name while it has one
    WriteSteps steps_{path_};
    Descriptor fd_;
    Descriptor inUse_;     // holds the lock that marks the temporary as in use
    Descriptor folder_;    // from the naming on: the folder to flush
    Descriptor previous_;  // and the file replaced, kept to restore it
    bool replacing_ = false;
    bool named_ = false;    // in place of the target, the folder not yet flushed
    bool inPlace_ = false;  // a device such as /dev/full or a pipe
    bool unnamed_ = false;  // an O_TMPFILE file, named only at commit
    bool rollBack_ = true;  // false in the writer that restores the previous content
    bool syncs_ = true;     // Durability::OnCommit
    bool synced_ = false;   // nothing written since the last Sync
};

/// Writes the whole file atomically. Throws FileError.
void WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         Durability durability = Durability::OnCommit);

inline void WriteFileAtomically(const std::string& path, const Bytes& bytes) {
    WriteFileAtomically(path, bytes.data(), bytes.size());
}

/// Puts everything written to the file system that holds folder on the disk. Throws
/// FileError.
void SyncFileSystem(const std::string& folder);
