#include "bmp_format.h"

namespace vantrel {

namespace {

void Swap(std::uint16_t& field) {
    field = ByteSwap16(field);
}
void Swap(std::uint32_t& field) {
    field = ByteSwap32(field);
}
void Swap(std::int32_t& field) {
    field = static_cast<std::int32_t>(ByteSwap32(static_cast<std::uint32_t>(field)));
}

}  // namespace

void BmpFileHeader::ReverseByteOrder() {
    Swap(bfType);
    Swap(bfSize);
    Swap(bfReserved1);
    Swap(bfReserved2);
    Swap(bfOffBits);
}

void BmpInfoHeader::ReverseByteOrder() {
    Swap(biSize);
    Swap(biWidth);
    Swap(biHeight);
    Swap(biPlanes);
    Swap(biBitCount);
    Swap(biCompression);
    Swap(biSizeImage);
    Swap(biXPelsPerMeter);
    Swap(biYPelsPerMeter);
    Swap(biClrUsed);
    Swap(biClrImportant);
}

}  // namespace vantrel
