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

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
    // Per lead byte: the number of continuation bytes and the smallest code point that
    // needs this many, so that overlong forms are refused.
    struct Form {
        unsigned char leadMask;
        unsigned char leadBits;
        int continuations;
        char32_t smallest;
    };
    static constexpr Form kForms[] = {
        {0x80, 0x00, 0, 0x0},
        {0xE0, 0xC0, 1, 0x80},
        {0xF0, 0xE0, 2, 0x800},
        {0xF8, 0xF0, 3, 0x10000},
    };
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const Form* form = nullptr;
        for (const Form& candidate : kForms) {
            if ((lead & candidate.leadMask) == candidate.leadBits) {
                form = &candidate;
                break;
            }
        }
        if (form == nullptr) return std::nullopt;
        const auto count = static_cast<std::size_t>(form->continuations);
        if (utf8.size() - i - 1 < count) return std::nullopt;
        auto code = static_cast<char32_t>(lead & ~form->leadMask & 0xFFu);
        for (std::size_t k = 1; k <= count; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < form->smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        if (code >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += 1 + count;
    }
    return out;
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
