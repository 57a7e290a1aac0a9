// POSIX file access; failures are FileError with the errno of the call that failed.
#include "storage/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/FileError.h"
#include "storage/LinkTarget.h"
#include "storage/PathParts.h"
#include "storage/StaleTemporaries.h"
#include "storage/WriteSteps.h"

namespace {

std::function<long long(const std::string&)>& WriteLimit() {
    static std::function<long long(const std::string&)> limit;
    return limit;
}

// Errors of O_TMPFILE that mean the file system (or an old kernel) does not offer it.
bool UnnamedUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Some file systems cannot flush a folder; the rename is then as durable as they make it.
bool FolderSyncUnsupported(int error) {
    return error == EINVAL || error == EOPNOTSUPP;
}

bool IsDeviceOrPipe(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode));
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

Bytes ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    if (path.empty())
        throw FileError(FileAction::Read, path, FileReason::Of(FileProblem::EmptyName));
    // Non-blocking, so that opening a pipe cannot hang; only regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw FileError(FileAction::Read, path, FileReason::System(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(FileAction::Read, path,
                        S_ISDIR(st.st_mode) ? FileReason::System(EISDIR)
                                            : FileReason::Of(FileProblem::NotRegularFile));
    }
    Bytes bytes;
    std::uint8_t buffer[65536];
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes - bytes.size());
        const ssize_t got = ::read(fd, buffer, want);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            throw FileError(FileAction::Read, path, FileReason::System(error));
        }
        if (got == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    ::close(fd);
    return bytes;
}

AtomicFileWriter::AtomicFileWriter(const std::string& path, Durability durability)
    : path_(path), syncs_(durability == Durability::OnCommit) {
    if (path.empty())
        throw FileError(FileAction::Write, path, FileReason::Of(FileProblem::EmptyName));
    // A device or pipe cannot be replaced by renaming; the system follows any link to it.
    if (IsDeviceOrPipe(path)) {
        OpenInPlace();
        return;
    }
    const LinkTarget link = FollowLinks(path);
    if (link.error != 0) Fail(link.error);
    if (!link.missingFolder.empty())
        throw FileError(FileAction::Write, path,
                        {FileProblem::DanglingLink, 0, 0, 0, 0, link.missingFolder});
    target_ = link.path;
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) Fail(EISDIR);
    RemoveStaleTemporaries(target_);
    if (!OpenUnnamed()) OpenNamed();
    // A replaced file keeps its permissions.
    if (exists && S_ISREG(st.st_mode)) ::fchmod(fd_, st.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::OpenInPlace() {
    inPlace_ = true;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) Fail(errno);
}

bool AtomicFileWriter::OpenUnnamed() {
    fd_ = StepOpenUnnamed(FolderOf(target_));
    if (fd_ < 0) {
        if (UnnamedUnsupported(errno)) return false;
        Fail(errno);
    }
    // A second descriptor holds the in-use lock and keeps the file alive once fd_ is closed;
    // without /proc it cannot be opened, and the file could not be named either.
    inUseFd_ = HoldInUse("/proc/self/fd/" + std::to_string(fd_));
    if (inUseFd_ < 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    unnamed_ = true;
    return true;
}

void AtomicFileWriter::OpenNamed() {
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        tempPath_ = TemporaryNameFor(target_);
        fd_ = StepOpenNamed(tempPath_);
        if (fd_ < 0 && errno != EEXIST) {
            const int error = errno;
            tempPath_.clear();
            Fail(error);
        }
    }
    if (fd_ < 0) {
        tempPath_.clear();
        Fail(EEXIST);
    }
    inUseFd_ = HoldInUse(tempPath_);
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
    // Last, so that the temporary stays marked as in use for as long as it has a name.
    if (inUseFd_ >= 0) ::close(inUseFd_);
    inUseFd_ = -1;
}

void AtomicFileWriter::Fail(int error) {
    Discard();
    throw FileError(FileAction::Write, path_, FileReason::System(error));
}

void AtomicFileWriter::Write(const void* data, std::size_t size) {
    if (fd_ < 0)
        throw FileError(FileAction::Write, path_, FileReason::Of(FileProblem::WriterClosed));
    if (const auto& limit = WriteLimit()) {
        const long long allowed = limit(path_);
        if (allowed >= 0 && written_ + size > static_cast<std::size_t>(allowed)) Fail(ENOSPC);
    }
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = StepWrite(fd_, p, size);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) Fail(errno);
        if (done == 0) Fail(EIO);
        p += done;
        size -= static_cast<std::size_t>(done);
        written_ += static_cast<std::size_t>(done);
    }
}

void AtomicFileWriter::Commit() {
    if (fd_ < 0)
        throw FileError(FileAction::Write, path_, FileReason::Of(FileProblem::WriterClosed));
    if (inPlace_) {
        const int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0) Fail(errno);
        return;
    }
    if (syncs_ && StepSyncFile(fd_) != 0) Fail(errno);
    const int closed = StepCloseFile(fd_);
    fd_ = -1;
    if (closed != 0) Fail(errno);
    const Descriptor folder(StepOpenFolder(FolderOf(target_)));
    if (folder.get() < 0) Fail(errno);
    // Kept open to restore the previous content should the folder not reach the disk.
    const Descriptor previous(
        ::open(target_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const bool replacing = previous.get() >= 0 || errno != ENOENT;
    PutInPlace(replacing);
    // Only now is the rename on the disk, and a power cut cannot bring the old file back.
    if (syncs_ && StepSyncFolder(folder.get()) != 0 && !FolderSyncUnsupported(errno)) {
        const int error = errno;
        if (rollBack_) RollBack(previous.get(), replacing);
        Fail(error);
    }
    Discard();
}

void AtomicFileWriter::PutInPlace(bool replacing) {
    if (unnamed_) {
        // A new target takes the file's name at once, with no temporary name at all.
        if (!replacing && StepLink(inUseFd_, target_) == 0) return;
        if (!replacing && errno != EEXIST) Fail(errno);
        NameUnnamed();
    }
    if (StepRename(tempPath_, target_) != 0) Fail(errno);
    tempPath_.clear();
}

// The temporary name lives from here to the rename that follows at once; a writer killed in
// between leaves it behind, no longer locked, for the next write of the target to remove.
void AtomicFileWriter::NameUnnamed() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath_ = TemporaryNameFor(target_);
        if (StepLink(inUseFd_, tempPath_) == 0) return;
        const int error = errno;
        tempPath_.clear();
        if (error != EEXIST) Fail(error);
    }
    Fail(EEXIST);
}

// The new file is in place but its name is not on the disk: the previous content is put
// back, copied from the descriptor still open on it, so that the failure reported leaves
// the target as it was. Best effort: the first failure is the one reported.
void AtomicFileWriter::RollBack(int previous, bool replacing) {
    if (!replacing) {
        ::unlink(target_.c_str());
        return;
    }
    if (previous < 0) return;
    try {
        AtomicFileWriter restore(target_);
        restore.rollBack_ = false;
        std::vector<char> buffer(65536);
        for (off_t offset = 0;;) {
            const ssize_t got = ::pread(previous, buffer.data(), buffer.size(), offset);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return;  // an incomplete copy is never committed
            if (got == 0) break;
            restore.Write(buffer.data(), static_cast<std::size_t>(got));
            offset += got;
        }
        restore.Commit();
    } catch (const FileError&) {
    }
}

void WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         Durability durability) {
    AtomicFileWriter writer(path, durability);
    writer.Write(data, size);
    writer.Commit();
}

void SyncFileSystem(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw FileError(FileAction::Write, folder, FileReason::System(errno));
    const int synced = ::syncfs(fd);
    const int error = errno;
    ::close(fd);
    if (synced != 0) throw FileError(FileAction::Write, folder, FileReason::System(error));
}

void SetWriteLimitForTesting(std::function<long long(const std::string&)> limit) {
    WriteLimit() = std::move(limit);
}
