// Runs inputs through a fuzz target without libFuzzer, as `-runs=0` would.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace {

bool replay(const dabro::fuzz::Target& target, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    std::fprintf(stderr, "%s: %s (%zu bytes)\n", target.name, file.c_str(), bytes.size());
    target.run(bytes);
    return true;
}

}  // namespace

// Every file named, and every file in every folder named. Used by the test suite to replay
// the seed corpus and the crashers in ordinary builds, and by hand to debug a crash under gdb.
int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TARGET FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    const dabro::fuzz::Target* target = dabro::fuzz::find_target(argv[1]);
    if (!target) {
        std::fprintf(stderr, "no target named %s\n", argv[1]);
        return 2;
    }
    int count = 0;
    bool ok = true;
    for (int i = 2; i < argc; ++i) {
        const fs::path path(argv[i]);
        if (!fs::is_directory(path)) {
            ok = replay(*target, path) && ok;
            ++count;
            continue;
        }
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(path))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            ok = replay(*target, file) && ok;
            ++count;
        }
    }
    std::printf("%s: %d inputs replayed\n", target->name, count);
    return ok ? 0 : 1;
}
