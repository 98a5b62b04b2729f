// A BMP file's headers by path, without loading its pixels. Nothing is validated: the
// records hold whatever bytes the file has in their places.
#pragma once

#include <cstdint>

#include "bitmap/bmp_format.h"

namespace vantrel {

// The 14-byte file header. bfType 0 marks a file that cannot be opened (or a null path).
// Fields past the end of a short file keep their construction values; note that this
// leaves bfType at the signature for an empty file.
BmpFileHeader ReadBmpFileHeader(const char* utf8Path);

// The 40-byte info header behind the file header. A file that cannot be opened, like
// fields past the end of a short file, leaves the construction values.
BmpInfoHeader ReadBmpInfoHeader(const char* utf8Path);

// Reads both headers and discards them; reports nothing. Kept for callers of the
// library's interface.
void ShowBitmapInfo(const char* utf8Path);

// biBitCount of the info header; 0 when the file cannot be opened or is too short.
std::int32_t BitmapFileBitDepth(const char* utf8Path);

}  // namespace vantrel
