// A fresh temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

/// Names in folder, sorted.
inline std::vector<std::string> EntriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvorax-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(root_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path(const std::string& name = "") const {
        return name.empty() ? root_.string() : (root_ / name).string();
    }
    /// Names in the folder, sorted.
    std::vector<std::string> entries() const { return EntriesOf(path()); }

  private:
    std::filesystem::path root_;
};
