// Writes the seed corpora, one folder per fuzz target: kvorax-fuzz-seeds FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/fuzz/Seeds.h"

namespace {

template <typename Inputs>
void WriteAll(const std::filesystem::path& folder, const Inputs& inputs) {
    std::filesystem::create_directories(folder);
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        std::ofstream out(folder / ("seed-" + std::to_string(k)), std::ios::binary);
        out.write(reinterpret_cast<const char*>(inputs[k].data()),
                  static_cast<std::streamsize>(inputs[k].size()));
        if (!out) throw std::runtime_error("cannot write into " + folder.string());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvorax-fuzz-seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    WriteAll(root / "snapshot", SnapshotSeeds());
    WriteAll(root / "settings", SettingsSeeds());
    WriteAll(root / "parse_number", NumberSeeds());
    return 0;
}
