#include "export/corner_job.h"

#include <cerrno>

#include "export/mask_corners.h"

namespace vantrel {

CornerJobResult RunCornerJob(const char* inputPath,
                             const std::function<const char*()>& outputPath) {
    CornerJobResult result;
    BitmapImage image;
    errno = 0;
    result.loadOutcome = image.LoadFile(inputPath);
    if (result.loadOutcome != LoadOutcome::Loaded) {
        result.loadError = errno;
        return result;
    }
    result.width = image.Width();
    result.height = image.Height();
    result.bitDepth = image.BitDepth();

    MaskCorners(image);
    result.saved = image.Save(outputPath(), &result.saveError);
    return result;
}

}  // namespace vantrel
