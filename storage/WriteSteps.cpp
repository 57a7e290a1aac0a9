// The writer's system calls behind the fault-injection hook.
#include "storage/WriteSteps.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace {

std::function<int(const WriteAttempt&)>& Fault() {
    static std::function<int(const WriteAttempt&)> fault;
    return fault;
}

}  // namespace

void SetWriteFaultForTesting(std::function<int(const WriteAttempt& attempt)> fault) {
    Fault() = std::move(fault);
}

// True, with errno set, when the hook makes this step fail.
bool WriteSteps::Injected(WriteStep step, std::size_t size) const {
    const auto& fault = Fault();
    if (!fault) return false;
    const int error = fault(WriteAttempt{step, path_, size});
    if (error == 0) return false;
    errno = error;
    return true;
}

int WriteSteps::OpenUnnamed(const std::string& folder) {
    if (Injected(WriteStep::OpenUnnamed)) return -1;
    return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
}

int WriteSteps::OpenNamed(const std::string& path) {
    if (Injected(WriteStep::OpenNamed)) return -1;
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
}

int WriteSteps::LockTemporary(int fd) {
    if (Injected(WriteStep::LockTemporary)) return -1;
    const int held = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    // flock, not fcntl: an fcntl lock would go with the close of any other descriptor of the
    // file in this process. A file system without locks leaves the file to the age rule.
    if (held >= 0) ::flock(held, LOCK_EX | LOCK_NB);
    return held;
}

ssize_t WriteSteps::Write(int fd, const void* data, std::size_t size) {
    if (Injected(WriteStep::Write, written_ + size)) return -1;
    const ssize_t done = ::write(fd, data, size);
    if (done > 0) written_ += static_cast<std::size_t>(done);
    return done;
}

int WriteSteps::SyncFile(int fd) {
    if (Injected(WriteStep::SyncFile)) return -1;
    return ::fsync(fd);
}

int WriteSteps::SyncFileSystem(int fd) {
    if (Injected(WriteStep::SyncFileSystem)) return -1;
    return ::syncfs(fd);
}

int WriteSteps::CloseFile(Descriptor& fd) {
    if (Injected(WriteStep::CloseFile)) {
        const int error = errno;
        fd.Close();
        errno = error;
        return -1;
    }
    return fd.Close();
}

int WriteSteps::OpenFolder(const std::string& folder) {
    if (Injected(WriteStep::OpenFolder)) return -1;
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int WriteSteps::Link(int fd, const std::string& path) {
    if (Injected(WriteStep::Link)) return -1;
    // Naming a descriptor through /proc needs no capability, unlike AT_EMPTY_PATH.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
}

int WriteSteps::Rename(const std::string& from, const std::string& to) {
    if (Injected(WriteStep::Rename)) return -1;
    return ::rename(from.c_str(), to.c_str());
}

int WriteSteps::SyncFolder(int fd) {
    if (Injected(WriteStep::SyncFolder)) return -1;
    return ::fsync(fd);
}
