// The module's one export.
#include <cstdint>
#include <optional>
#include <string>

#include "export/corner_job.h"
#include "export/path_conversion.h"
#include "vantrel_bmp_corners.h"

#if defined(_WIN32)
#define VANTREL_EXPORT
#else
#define VANTREL_EXPORT __attribute__((visibility("default")))
#endif

namespace {

const char* PathOrNull(const std::optional<std::string>& path) {
    return path ? path->c_str() : nullptr;
}

const char16_t* AsUtf16(const BMPCornersChar* path) {
#if defined(_WIN32)
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");
    return reinterpret_cast<const char16_t*>(path);
#else
    return path;
#endif
}

}  // namespace

extern "C" VANTREL_EXPORT std::int32_t BMPCORNERS_CALL BMPCorners(const BMPCornersChar* inPath,
                                                                  const BMPCornersChar* outPath) {
    const std::optional<std::string> input = vantrel::NarrowPath(AsUtf16(inPath));
    std::optional<std::string> output;
    const vantrel::CornerJobResult result =
        vantrel::RunCornerJob(PathOrNull(input), [&output, outPath]() {
            output = vantrel::NarrowPath(AsUtf16(outPath));
            return PathOrNull(output);
        });
    // 999 says the input was read and painted, not that the output exists: hosts
    // written against this module rely on exactly these two numbers.
    return result.loadOutcome == vantrel::LoadOutcome::Loaded ? BMPCORNERS_LOADED
                                                              : BMPCORNERS_NOT_LOADED;
}
