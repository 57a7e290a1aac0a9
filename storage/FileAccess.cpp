// POSIX file access; failures are FileError with the errno of the call that failed.
#include "storage/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "core/FileError.h"

namespace {

std::function<long long(const std::string&)>& WriteLimit() {
    static std::function<long long(const std::string&)> limit;
    return limit;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode));
}

std::string RandomSuffix() {
    static std::mt19937_64 generator{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    for (int k = 0; k < 8; ++k)
        s += digits[generator() % 36];
    return s;
}

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

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    if (path.empty())
        throw FileError(FileAction::Write, path, FileReason::Of(FileProblem::EmptyName));
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) Fail(EISDIR);
    if (IsDevice(path)) {
        // A device or pipe cannot be replaced by renaming; it is written in place.
        fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) Fail(errno);
        return;
    }
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        tempPath_ = FolderOf(path) + "/." + FileNameOf(path) + "." + RandomSuffix() + ".tmp";
        fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0 && errno != EEXIST) {
            tempPath_.clear();
            Fail(errno);
        }
    }
    if (fd_ < 0) {
        tempPath_.clear();
        Fail(EEXIST);
    }
    // A replaced file keeps its permissions.
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd_, st.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
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
        const ssize_t done = ::write(fd_, p, size);
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
    if (tempPath_.empty()) {
        const int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0) Fail(errno);
        return;
    }
    if (::fsync(fd_) != 0) Fail(errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) Fail(errno);
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) Fail(errno);
    tempPath_.clear();
}

void WriteFileAtomically(const std::string& path, const void* data, std::size_t size) {
    AtomicFileWriter writer(path);
    writer.Write(data, size);
    writer.Commit();
}

void SetWriteLimitForTesting(std::function<long long(const std::string&)> limit) {
    WriteLimit() = std::move(limit);
}
