// The input as a file through the header inspection operations. They validate nothing,
// so the one promise besides safety is faithfulness: every field the file holds whole
// reads as its little-endian bytes, every other field keeps its construction value.
#include <cstddef>
#include <cstdint>
#include <string>

#include "bitmap/bmp_format.h"
#include "bitmap/header_inspection.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"

namespace vantrel::fuzz {

namespace {

constexpr const char* kTarget = "header_inspection";

// One header field: where it lies in the file, its width, what was read and what
// construction gave it.
struct Field {
    const char* name;
    std::size_t offset;
    std::size_t width;
    std::uint32_t read;
    std::uint32_t constructed;
};

std::uint32_t Bits(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

void CheckField(const Field& field, const std::uint8_t* data, std::size_t size) {
    std::uint32_t expected = field.constructed;
    if (field.offset + field.width <= size) {
        expected = field.width == 2 ? LoadLittleEndian16(data + field.offset)
                                    : LoadLittleEndian32(data + field.offset);
    }
    if (field.read != expected) {
        const std::string what = std::string("field ") + field.name +
                                 " does not hold the file's bytes or its construction value";
        Fail(kTarget, what.c_str());
    }
}

void CheckUnopenable() {
    const BmpFileHeader file = ReadBmpFileHeader(nullptr);
    Require(file.bfType == 0, kTarget, "a file that cannot be opened gave no failure mark");
    const BmpInfoHeader info = ReadBmpInfoHeader(nullptr);
    const BmpInfoHeader constructed;
    Require(info.biPlanes == constructed.biPlanes &&
                info.biXPelsPerMeter == constructed.biXPelsPerMeter &&
                info.biBitCount == constructed.biBitCount,
            kTarget, "a file that cannot be opened gave other than construction values");
    ShowBitmapInfo(nullptr);
    Require(BitmapFileBitDepth(nullptr) == 0, kTarget,
            "a file that cannot be opened gave a bit depth");
}

}  // namespace

int HeaderInspectionOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteScratchFile("header.bmp", data, size);
    const char* file = path.c_str();

    const BmpFileHeader fileHeader = ReadBmpFileHeader(file);
    const BmpInfoHeader info = ReadBmpInfoHeader(file);
    ShowBitmapInfo(file);
    Require(BitmapFileBitDepth(file) == info.biBitCount, kTarget,
            "BitmapFileBitDepth differs from the info header's biBitCount");

    const BmpFileHeader f0;
    const BmpInfoHeader i0;
    const Field fields[] = {
        {"bfType", 0, 2, fileHeader.bfType, f0.bfType},
        {"bfSize", 2, 4, fileHeader.bfSize, f0.bfSize},
        {"bfReserved1", 6, 2, fileHeader.bfReserved1, f0.bfReserved1},
        {"bfReserved2", 8, 2, fileHeader.bfReserved2, f0.bfReserved2},
        {"bfOffBits", 10, 4, fileHeader.bfOffBits, f0.bfOffBits},
        {"biSize", 14, 4, info.biSize, i0.biSize},
        {"biWidth", 18, 4, Bits(info.biWidth), Bits(i0.biWidth)},
        {"biHeight", 22, 4, Bits(info.biHeight), Bits(i0.biHeight)},
        {"biPlanes", 26, 2, info.biPlanes, i0.biPlanes},
        {"biBitCount", 28, 2, info.biBitCount, i0.biBitCount},
        {"biCompression", 30, 4, info.biCompression, i0.biCompression},
        {"biSizeImage", 34, 4, info.biSizeImage, i0.biSizeImage},
        {"biXPelsPerMeter", 38, 4, Bits(info.biXPelsPerMeter), Bits(i0.biXPelsPerMeter)},
        {"biYPelsPerMeter", 42, 4, Bits(info.biYPelsPerMeter), Bits(i0.biYPelsPerMeter)},
        {"biClrUsed", 46, 4, info.biClrUsed, i0.biClrUsed},
        {"biClrImportant", 50, 4, info.biClrImportant, i0.biClrImportant},
    };
    for (const Field& field : fields)
        CheckField(field, data, size);

    // Once per process is enough for the path that cannot be opened.
    static const bool unopenableChecked = (CheckUnopenable(), true);
    (void)unopenableChecked;
    return 0;
}

}  // namespace vantrel::fuzz
