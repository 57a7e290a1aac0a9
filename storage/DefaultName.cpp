// Counting the matching names and finding a free one.
#include "storage/DefaultName.h"

#include <dirent.h>

#include <cstdio>

#include "storage/FileAccess.h"

namespace {

// Noname??<ext>, each ? one byte, case-sensitive.
bool MatchesPattern(const std::string& name, const std::string& extension) {
    const std::string prefix = "Noname";
    return name.size() == prefix.size() + 2 + extension.size() && name.starts_with(prefix) &&
           name.ends_with(extension);
}

int CountMatchingFiles(const std::string& extension, const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (MatchesPattern(name, extension) && IsRegularFile(folder + "/" + name)) ++count;
    }
    ::closedir(dir);
    return count;
}

std::string NumberedName(int number, const std::string& extension) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", number);
    return "Noname" + std::string(digits) + extension;
}

}  // namespace

std::string DefaultName(const std::string& extension, const std::string& folder) {
    int number = CountMatchingFiles(extension, folder);
    const std::string base = folder == "." ? "" : folder + "/";
    while (PathExists(base + NumberedName(number, extension)))
        ++number;
    return base + NumberedName(number, extension);
}
