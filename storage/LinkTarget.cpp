// Symbolic links are followed by hand, so that a write replaces the file a link points to
// and the link itself stays.
#include "storage/LinkTarget.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "storage/PathParts.h"

namespace {

// The kernel's own limit on links in one lookup.
constexpr int kMaxLinks = 40;

// The text of the link at path; empty with errno set when it cannot be read.
std::string ReadLink(const std::string& path) {
    char buffer[PATH_MAX];
    const ssize_t size = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (size < 0) return "";
    if (static_cast<std::size_t>(size) == sizeof buffer) {
        errno = ENAMETOOLONG;
        return "";
    }
    return std::string(buffer, static_cast<std::size_t>(size));
}

bool FolderIsMissing(const std::string& path) {
    struct stat st {};
    return ::stat(FolderOf(path).c_str(), &st) != 0 && errno == ENOENT;
}

}  // namespace

LinkTarget FollowLinks(const std::string& path) {
    LinkTarget result;
    result.path = path;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        struct stat st {};
        if (::lstat(result.path.c_str(), &st) != 0) {
            // A dangling link: its target is created, provided the target's folder exists.
            if (errno == ENOENT && followed > 0 && FolderIsMissing(result.path))
                result.missingFolder = FolderOf(result.path);
            return result;  // other failures are reported by the open that follows
        }
        if (!S_ISLNK(st.st_mode)) return result;
        const std::string text = ReadLink(result.path);
        if (text.empty()) {
            result.error = errno;
            return result;
        }
        result.path = text[0] == '/' ? text : FolderOf(result.path) + "/" + text;
    }
    result.error = ELOOP;
    return result;
}
