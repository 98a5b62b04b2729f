#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#include "bitmap/file_stream.h"

namespace vantrel::fuzz {

namespace {

// A folder of its own per process: fuzzers started side by side (or with -jobs) must
// not overwrite each other's inputs.
class ScratchFolder {
  public:
    ScratchFolder() {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path candidate =
                base / ("vantrel-fuzz-" + std::to_string(random()) + "-" + std::to_string(attempt));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                root_ = candidate;
                return;
            }
        }
        Fail("scratch", "cannot create a scratch folder under the temporary folder");
    }

    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }

  private:
    std::filesystem::path root_;
};

const ScratchFolder& Folder() {
    static const ScratchFolder folder;
    return folder;
}

}  // namespace

void Fail(const char* target, const char* what) {
    std::fprintf(stderr, "fuzz target %s: %s\n", target, what);
    std::fflush(stderr);
    std::abort();
}

std::string ScratchPath(const char* name) {
    return (Folder().Root() / name).string();
}

std::string WriteScratchFile(const char* name, const std::uint8_t* data, std::size_t size) {
    const std::string path = ScratchPath(name);
    FileHandle file = OpenFile(path.c_str(), "wb");
    if (!file) Fail("scratch", "cannot create a scratch file");
    const bool written = size == 0 || std::fwrite(data, 1, size, file.get()) == size;
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) Fail("scratch", "cannot write a scratch file");
    return path;
}

}  // namespace vantrel::fuzz
