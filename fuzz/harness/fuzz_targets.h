// The fuzz targets' entry points. Each takes one input of any size and content and
// returns 0; when the library breaks one of its promises it says which on stderr and
// aborts. The libFuzzer drivers and the corpus replayer call these same functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel::fuzz {

// The input as a BMP file through the corner job's path: Load, MaskCorners, Save, and
// Load of what was saved, which must give the same pixels at the file's depth.
int RoundTripOneInput(const std::uint8_t* data, std::size_t size);

// The input as a file through the four header inspection operations.
int HeaderInspectionOneInput(const std::uint8_t* data, std::size_t size);

// Small images, a mode letter, a value and coordinates from the input, through
// ResampleImage and the pixel copies (layout in resample_copies_input.h).
int ResampleCopiesOneInput(const std::uint8_t* data, std::size_t size);

// The input as a UTF-16 path through the export's path conversion.
int WidePathsOneInput(const std::uint8_t* data, std::size_t size);

using TargetFunction = int (*)(const std::uint8_t*, std::size_t);

struct Target {
    const char* name;
    TargetFunction run;
};

inline constexpr Target kTargets[] = {
    {"round_trip", &RoundTripOneInput},
    {"header_inspection", &HeaderInspectionOneInput},
    {"resample_copies", &ResampleCopiesOneInput},
    {"wide_paths", &WidePathsOneInput},
};

}  // namespace vantrel::fuzz
