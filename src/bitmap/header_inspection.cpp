#include "header_inspection.h"

#include "bmp_format.h"
#include "file_stream.h"

namespace vantrel {

// Each field is read on its own and its read result is not needed: a field the file
// does not supply keeps its value, and the stream reads nothing once it hit the end.

BmpFileHeader ReadBmpFileHeader(const char* utf8Path) {
    BmpFileHeader header;
    const FileHandle file = OpenFile(utf8Path, "rb");
    if (!file) {
        header.bfType = 0;
        return header;
    }
    std::FILE* stream = file.get();
    ReadField(stream, header.bfType);
    ReadField(stream, header.bfSize);
    ReadField(stream, header.bfReserved1);
    ReadField(stream, header.bfReserved2);
    ReadField(stream, header.bfOffBits);
    return header;
}

BmpInfoHeader ReadBmpInfoHeader(const char* utf8Path) {
    BmpInfoHeader header;
    const FileHandle file = OpenFile(utf8Path, "rb");
    if (!file) return header;
    std::FILE* stream = file.get();
    // Skip the file header byte by byte; a file shorter than 14 bytes reaches its end
    // here and leaves every info field as constructed.
    std::uint8_t scratch = 0;
    for (std::uint32_t i = 0; i < FileHeaderSize; ++i)
        ReadExactly(&scratch, 1, 1, stream);
    ReadField(stream, header.biSize);
    ReadField(stream, header.biWidth);
    ReadField(stream, header.biHeight);
    ReadField(stream, header.biPlanes);
    ReadField(stream, header.biBitCount);
    ReadField(stream, header.biCompression);
    ReadField(stream, header.biSizeImage);
    ReadField(stream, header.biXPelsPerMeter);
    ReadField(stream, header.biYPelsPerMeter);
    ReadField(stream, header.biClrUsed);
    ReadField(stream, header.biClrImportant);
    return header;
}

void ShowBitmapInfo(const char* utf8Path) {
    if (!OpenFile(utf8Path, "rb")) return;
    ReadBmpFileHeader(utf8Path);
    ReadBmpInfoHeader(utf8Path);
}

std::int32_t BitmapFileBitDepth(const char* utf8Path) {
    return ReadBmpInfoHeader(utf8Path).biBitCount;
}

}  // namespace vantrel
