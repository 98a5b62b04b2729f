// Replays saved fuzz inputs without libFuzzer: every file under the folders (or the
// files) given goes through every fuzz target. A broken promise aborts with the
// target's message, right after the line naming the input; so does a sanitizer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "harness/fuzz_targets.h"

namespace {

std::vector<std::filesystem::path> CollectInputs(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path given = argv[i];
        if (std::filesystem::is_directory(given)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(given)) {
                if (entry.is_regular_file()) inputs.push_back(entry.path());
            }
        } else {
            inputs.push_back(given);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

bool ReadWhole(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER_OR_FILE...\n", argv[0]);
        return 2;
    }
    const std::vector<std::filesystem::path> inputs = CollectInputs(argc, argv);
    // An empty corpus means a wrong path, not a pass.
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs found\n");
        return 1;
    }
    std::vector<std::uint8_t> bytes;
    for (const std::filesystem::path& input : inputs) {
        if (!ReadWhole(input, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", input.string().c_str());
            return 1;
        }
        for (const vantrel::fuzz::Target& target : vantrel::fuzz::kTargets) {
            std::printf("%s < %s\n", target.name, input.string().c_str());
            std::fflush(stdout);
            target.run(bytes.data(), bytes.size());
        }
    }
    std::printf("replayed %zu inputs through %zu targets\n", inputs.size(),
                std::size(vantrel::fuzz::kTargets));
    return 0;
}
