// A file that could not be read or written, or a snapshot that was refused: what was being
// done, the path, and why, as facts. The tick carries it in its outcome when the snapshot
// it was asked to open is refused.
#pragma once

#include <string>

enum class FileAction { Read, Write, OpenSnapshot, Resume };

enum class FileProblem {
    System,               ///< the system refused; systemError holds errno
    EmptyName,            ///< no name was given
    NotRegularFile,       ///< a pipe, a device or a socket where a file was expected
    NotWritable,          ///< an existing file that the user may not write is not replaced
    PipeWithoutReader,    ///< a named pipe that no process reads from
    WriterClosed,         ///< written after the writer was committed or failed
    PictureNotEncoded,    ///< the picture could not be turned into the file format
    SnapshotTooShort,     ///< fewer than the two bytes of the body count
    SnapshotBadCount,     ///< count holds the body count, outside 1..kMaxBodies
    SnapshotTruncated,    ///< count bodies need `needed` bytes, the file has `actual`
    SnapshotNotFinite,    ///< star `count` (from 1) holds an infinity or a NaN
    DanglingLink,         ///< a symbolic link leads into the missing folder `detail`
    RestartEmpty,         ///< a restart file of no bytes
    RestartForeign,       ///< no restart file's magic at the start (a snapshot, say)
    RestartNewerVersion,  ///< count holds the version, one this program does not know
    RestartTruncated,     ///< the file records `needed` bytes and has `actual`
    RestartTooLong,       ///< the same, with bytes after the recorded end
    RestartBadChecksum,   ///< the checksum does not match the bytes: the file is damaged
    RestartInconsistent,  ///< the checksum matches but the parts contradict each other
};

struct FileReason {
    FileProblem problem = FileProblem::System;
    int systemError = 0;
    long long count = 0, needed = 0, actual = 0;
    std::string detail;

    static FileReason System(int error) {
        FileReason r;
        r.systemError = error;
        return r;
    }
    /// A problem that needs no detail.
    static FileReason Of(FileProblem problem) {
        FileReason r;
        r.problem = problem;
        return r;
    }
    static FileReason DanglingLink(const std::string& missingFolder) {
        FileReason r = Of(FileProblem::DanglingLink);
        r.detail = missingFolder;
        return r;
    }
    static FileReason SnapshotBadCount(long long count) {
        FileReason r = Of(FileProblem::SnapshotBadCount);
        r.count = count;
        return r;
    }
    static FileReason SnapshotTruncated(long long count, long long needed, long long actual) {
        FileReason r = Of(FileProblem::SnapshotTruncated);
        r.count = count, r.needed = needed, r.actual = actual;
        return r;
    }
    static FileReason SnapshotNotFinite(long long star) {
        FileReason r = Of(FileProblem::SnapshotNotFinite);
        r.count = star;
        return r;
    }

    bool operator==(const FileReason&) const = default;
};

class FileError {
  public:
    FileError(FileAction action, const std::string& path, const FileReason& reason)
        : action_(action), path_(path), reason_(reason) {}
    FileAction action() const { return action_; }
    const std::string& path() const { return path_; }
    const FileReason& reason() const { return reason_; }

  private:
    FileAction action_;
    std::string path_;
    FileReason reason_;
};
