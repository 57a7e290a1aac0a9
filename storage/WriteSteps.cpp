// The writer's system calls behind the fault-injection hook.
#include "storage/WriteSteps.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "storage/FileAccess.h"

namespace {

std::function<int(WriteStep)>& Fault() {
    static std::function<int(WriteStep)> fault;
    return fault;
}

// True, with errno set, when the hook makes this step fail.
bool Injected(WriteStep step) {
    const auto& fault = Fault();
    if (!fault) return false;
    const int error = fault(step);
    if (error == 0) return false;
    errno = error;
    return true;
}

}  // namespace

void SetWriteFaultForTesting(std::function<int(WriteStep step)> fault) {
    Fault() = std::move(fault);
}

int StepOpenUnnamed(const std::string& folder) {
    if (Injected(WriteStep::OpenUnnamed)) return -1;
    return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
}

int StepOpenNamed(const std::string& path) {
    if (Injected(WriteStep::OpenNamed)) return -1;
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
}

ssize_t StepWrite(int fd, const void* data, std::size_t size) {
    if (Injected(WriteStep::Write)) return -1;
    return ::write(fd, data, size);
}

int StepSyncFile(int fd) {
    if (Injected(WriteStep::SyncFile)) return -1;
    return ::fsync(fd);
}

int StepCloseFile(int fd) {
    if (Injected(WriteStep::CloseFile)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return ::close(fd);
}

int StepOpenFolder(const std::string& folder) {
    if (Injected(WriteStep::OpenFolder)) return -1;
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int StepLink(int fd, const std::string& path) {
    if (Injected(WriteStep::Link)) return -1;
    // Naming a descriptor through /proc needs no capability, unlike AT_EMPTY_PATH.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
}

int StepRename(const std::string& from, const std::string& to) {
    if (Injected(WriteStep::Rename)) return -1;
    return ::rename(from.c_str(), to.c_str());
}

int StepSyncFolder(int fd) {
    if (Injected(WriteStep::SyncFolder)) return -1;
    return ::fsync(fd);
}
