// Temporary names, the in-use lock, and the removal of temporaries no writer holds.
#include "storage/StaleTemporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <random>

#include "storage/PathParts.h"

namespace {

constexpr int kSuffixLength = 8;
constexpr const char* kEnding = ".tmp";
constexpr std::time_t kStaleSeconds = 60;

const char kSuffixDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string RandomSuffix() {
    static std::mt19937_64 generator{std::random_device{}()};
    std::string s;
    for (int k = 0; k < kSuffixLength; ++k)
        s += kSuffixDigits[generator() % 36];
    return s;
}

bool IsSuffixDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

// A writer holds an exclusive flock on its temporary from before the file has a name (a
// named temporary: from a few microseconds after) until after the rename. The kernel drops
// the lock when the writer's process ends, however it ends, so a temporary that can be
// locked belongs to no running writer and is removed at once, whatever its age; one that is
// locked is left alone, however old. The lock belongs to the open file, not to a process
// ID, so a reused ID cannot make a running writer's file look abandoned, nor can another
// machine where the file system shares locks. Only where no lock can be tested (no locks,
// a file we cannot open) does age decide: older than a minute, far longer than the few
// microseconds between naming and renaming.
enum class Owner { Running, Gone, Unknown };

Owner OwnerOf(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Owner::Gone;
    return errno == EWOULDBLOCK ? Owner::Running : Owner::Unknown;
}

bool OlderThanAMinute(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && st.st_mtime + kStaleSeconds < std::time(nullptr);
}

void RemoveIfStale(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return;  // not a file of ours, whatever its name
    }
    const Owner owner = fd >= 0 ? OwnerOf(fd) : Owner::Unknown;
    // Removed while the lock is held, so no writer can take the file up in between.
    if (owner == Owner::Gone || (owner == Owner::Unknown && OlderThanAMinute(path)))
        ::unlink(path.c_str());
    if (fd >= 0) ::close(fd);
}

}  // namespace

std::string TemporaryNameFor(const std::string& target) {
    return FolderOf(target) + "/." + FileNameOf(target) + "." + RandomSuffix() + kEnding;
}

bool IsTemporaryNameOf(const std::string& name, const std::string& targetName) {
    const std::string head = "." + targetName + ".";
    const std::string ending = kEnding;
    if (name.size() != head.size() + kSuffixLength + ending.size()) return false;
    if (name.compare(0, head.size(), head) != 0) return false;
    if (name.compare(name.size() - ending.size(), ending.size(), ending) != 0) return false;
    for (std::size_t k = head.size(); k < head.size() + kSuffixLength; ++k)
        if (!IsSuffixDigit(name[k])) return false;
    return true;
}

int HoldInUse(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // flock, not fcntl: an fcntl lock would go with the close of any other descriptor of
    // the file in this process. Without locks, age protects the file.
    if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
    return fd;
}

void RemoveStaleTemporaries(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string targetName = FileNameOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsTemporaryNameOf(entry->d_name, targetName))
            RemoveIfStale(folder + "/" + entry->d_name);
    }
    ::closedir(dir);
}
