// The corner job shared by the exported function and the command-line tool: load a
// BMP file, paint its corners, save it at the depth it was read with.
#pragma once

#include <cstdint>
#include <functional>

#include "bitmap/bitmap_image.h"

namespace vantrel {

struct CornerJobResult {
    LoadOutcome loadOutcome = LoadOutcome::CannotOpen;
    int loadError = 0;  // errno when the input could not be opened
    bool saved = false;
    int saveError = 0;  // errno when the output could not be written
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitDepth = 0;
};

// outputPath is asked for only once the input has loaded, so a refused input never
// costs the output path's conversion. It may return null (no output path).
CornerJobResult RunCornerJob(const char* inputPath, const std::function<const char*()>& outputPath);

}  // namespace vantrel
