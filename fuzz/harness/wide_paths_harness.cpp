// The input as a UTF-16 path through the export's path conversion, the one place where
// a host's argument (rather than a file) drives the library. Every path either converts
// to UTF-8 that decodes back to the same units, or, when it holds an unpaired surrogate
// or is longer than MaxWidePathLength, to the empty path that no file open accepts.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "export/path_conversion.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "vantrel_bmp_corners.h"

namespace vantrel::fuzz {

namespace {

constexpr const char* kTarget = "wide_paths";

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool HasUnpairedSurrogate(const std::u16string& path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsHighSurrogate(path[i]) && i + 1 < path.size() && IsLowSurrogate(path[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(path[i]) || IsLowSurrogate(path[i])) {
            return true;
        }
    }
    return false;
}

void CheckNull() {
    Require(!NarrowPath(nullptr).has_value(), kTarget, "a null path converted to a path");
    Require(BMPCorners(nullptr, nullptr) == BMPCORNERS_NOT_LOADED, kTarget,
            "the export loaded a null path");
}

}  // namespace

// Byte 0: bit 0 stretches the path to within a few units of MaxWidePathLength, either
// side, so that the length limit is met; the other bytes are the path's UTF-16 units,
// little-endian, up to the first 0 unit.
int WidePathsOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool nullChecked = (CheckNull(), true);
    (void)nullChecked;
    if (size == 0) return 0;

    std::u16string path;
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == u'\0') break;
        path.push_back(unit);
    }
    if ((data[0] & 1) != 0 && !path.empty()) {
        const std::size_t length = MaxWidePathLength - 2 + (data[0] >> 1) % 5;
        std::u16string stretched;
        while (stretched.size() < length)
            stretched += path;
        stretched.resize(length);
        path = stretched;
    }

    const std::optional<std::string> narrow = NarrowPath(path.c_str());
    Require(narrow.has_value(), kTarget, "a path converted to no path at all");
    if (path.size() > MaxWidePathLength || HasUnpairedSurrogate(path)) {
        Require(narrow->empty(), kTarget,
                "a path too long or with an unpaired surrogate converted to a path");
        return 0;
    }
    const std::optional<std::u16string> back = Utf8ToUtf16(*narrow);
    Require(back.has_value(), kTarget, "a path converted to malformed UTF-8");
    Require(*back == path, kTarget, "a path converted to UTF-8 of other characters");
    return 0;
}

}  // namespace vantrel::fuzz
