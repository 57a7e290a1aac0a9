// Temporary names, the creation lock, and the removal of temporaries no writer holds.
#include "storage/StaleTemporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

#include "storage/PathParts.h"

namespace {

constexpr std::size_t kSuffixLength = 8;
constexpr std::string_view kEnding = ".tmp";
constexpr std::time_t kStaleSeconds = 60;

const char kSuffixDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string RandomSuffix() {
    static std::mt19937_64 generator{std::random_device{}()};
    std::string s;
    for (std::size_t k = 0; k < kSuffixLength; ++k)
        s += kSuffixDigits[generator() % 36];
    return s;
}

bool IsSuffixDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

// The target's name inside a temporary name ".NAME.xxxxxxxx.tmp"; empty for other names.
std::string_view TargetNameIn(std::string_view name) {
    const std::size_t tail = 1 + kSuffixLength + kEnding.size();  // ".xxxxxxxx.tmp"
    if (name.size() <= 1 + tail || name[0] != '.') return {};
    if (name.substr(name.size() - kEnding.size()) != kEnding) return {};
    const std::size_t dot = name.size() - tail;
    if (name[dot] != '.') return {};
    for (std::size_t k = dot + 1; k < dot + 1 + kSuffixLength; ++k)
        if (!IsSuffixDigit(name[k])) return {};
    return name.substr(1, dot - 1);
}

// A writer holds an exclusive flock on its temporary from before the file has a name (an
// unnamed file) or from before any cleaner may look at it (a named temporary, created under
// the folder's shared lock, see CreatingTemporary) until after the rename. The kernel drops
// the lock when the writer's process ends, however it ends, so a temporary that can be
// locked belongs to no running writer and is removed at once, whatever its age; one that is
// locked is left alone, however old. The lock belongs to the open file, not to a process
// ID, so a reused ID cannot make a running writer's file look abandoned, nor can another
// machine where the file system shares locks. Only where no lock can be tested (no locks,
// a file we cannot open) does age decide: older than a minute, far longer than the few
// microseconds between a temporary's creation and its lock.
enum class Owner { Running, Gone, Unknown };

Owner OwnerOf(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Owner::Gone;
    return errno == EWOULDBLOCK ? Owner::Running : Owner::Unknown;
}

bool OlderThanAMinute(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && st.st_mtime + kStaleSeconds < std::time(nullptr);
}

// foldersLocked: the cleaner holds the folder's exclusive lock, so no temporary is between
// its creation and its lock and an unlocked one is abandoned.
void RemoveIfStale(const std::string& path, bool folderLocked) {
    const bool old = OlderThanAMinute(path);
    if (!folderLocked && !old) return;
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.valid() && (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)))
        return;  // not a file of ours, whatever its name
    const Owner owner = fd.valid() ? OwnerOf(fd.get()) : Owner::Unknown;
    // Removed while the lock is held, so no writer can take the file up in between.
    if (owner == Owner::Gone || (owner == Owner::Unknown && old)) ::unlink(path.c_str());
}

std::vector<std::string> NamesIn(const std::string& folder,
                                 const std::function<bool(std::string_view)>& wanted) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir))
        if (wanted(entry->d_name)) names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

void RemoveStale(const std::string& folder, const std::function<bool(std::string_view)>& wanted) {
    const std::vector<std::string> names = NamesIn(folder, wanted);
    if (names.empty()) return;
    const Descriptor lock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    bool locked = false;
    if (lock.valid()) {
        locked = ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0;
        // A writer is creating a temporary right now; what is stale stays for a later
        // write. Never waiting keeps a writer stopped at that point from stopping others.
        if (!locked && errno == EWOULDBLOCK) return;
    }
    for (const std::string& name : names)
        RemoveIfStale(folder + "/" + name, locked);
}

}  // namespace

std::string TemporaryNameFor(const std::string& target) {
    return FolderOf(target) + "/." + FileNameOf(target) + "." + RandomSuffix() +
           std::string(kEnding);
}

CreatingTemporary::CreatingTemporary(const std::string& folder)
    : folder_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    // Cleaners hold the exclusive lock only while they test and remove, never waiting.
    if (folder_.valid()) ::flock(folder_.get(), LOCK_SH);
}

void RemoveStaleTemporaries(const std::string& target) {
    const std::string targetName = FileNameOf(target);
    RemoveStale(FolderOf(target),
                [&](std::string_view name) { return TargetNameIn(name) == targetName; });
}

void RemoveStaleTemporariesIn(const std::string& folder) {
    RemoveStale(folder, [](std::string_view name) { return !TargetNameIn(name).empty(); });
}
