// The folder and the last name of a path, as the atomic writer needs them.
#pragma once

#include <string>

/// The folder part of path: "." for a bare name, "/" for a name in the root.
inline std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

/// The part of path after its last slash.
inline std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
