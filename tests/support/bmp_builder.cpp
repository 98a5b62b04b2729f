#include "bmp_builder.h"

#include <algorithm>

#include "file_bytes.h"

namespace vantrel {

void PrintTo(LoadOutcome outcome, std::ostream* out) {
    *out << '"' << DescribeLoadOutcome(outcome) << '"';
}

void AppendLittleEndian16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
    std::uint8_t field[2];
    StoreLittleEndian16(field, value);
    bytes.insert(bytes.end(), field, field + 2);
}

void AppendLittleEndian32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    std::uint8_t field[4];
    StoreLittleEndian32(field, value);
    bytes.insert(bytes.end(), field, field + 4);
}

BmpBuilder::BmpBuilder(std::int32_t width, std::int32_t height, std::uint16_t depth) {
    info.biSize = InfoHeaderSize;
    info.biWidth = width;
    info.biHeight = height;
    info.biBitCount = depth;
}

BmpBuilder& BmpBuilder::Row(std::vector<std::uint8_t> bytes) {
    bytes.resize((bytes.size() + 3) / 4 * 4, 0);
    rows.insert(rows.end(), bytes.begin(), bytes.end());
    return *this;
}

BmpBuilder& BmpBuilder::Colour(std::uint8_t blue, std::uint8_t green, std::uint8_t red,
                               std::uint8_t reserved) {
    colourTable.push_back(PixelBGRA{blue, green, red, reserved});
    return *this;
}

std::vector<std::uint8_t> BmpBuilder::Bytes() const {
    const std::size_t maskBytes = 4 * masks.size();
    const std::size_t fill = fixedFillSize.value_or(
        info.biSize > InfoHeaderSize + maskBytes ? info.biSize - InfoHeaderSize - maskBytes : 0);
    const std::size_t offBits =
        HeadersSize + maskBytes + fill + ColourTableEntrySize * colourTable.size() + gap.size();

    std::vector<std::uint8_t> out;
    AppendLittleEndian16(out, file.bfType);
    AppendLittleEndian32(out,
                         fixedSize.value_or(static_cast<std::uint32_t>(offBits + rows.size())));
    AppendLittleEndian16(out, file.bfReserved1);
    AppendLittleEndian16(out, file.bfReserved2);
    AppendLittleEndian32(out, fixedOffBits.value_or(static_cast<std::uint32_t>(offBits)));
    AppendLittleEndian32(out, info.biSize);
    AppendLittleEndian32(out, static_cast<std::uint32_t>(info.biWidth));
    AppendLittleEndian32(out, static_cast<std::uint32_t>(info.biHeight));
    AppendLittleEndian16(out, info.biPlanes);
    AppendLittleEndian16(out, info.biBitCount);
    AppendLittleEndian32(out, info.biCompression);
    AppendLittleEndian32(out, info.biSizeImage);
    AppendLittleEndian32(out, static_cast<std::uint32_t>(info.biXPelsPerMeter));
    AppendLittleEndian32(out, static_cast<std::uint32_t>(info.biYPelsPerMeter));
    AppendLittleEndian32(out, info.biClrUsed);
    AppendLittleEndian32(out, info.biClrImportant);
    for (std::uint32_t mask : masks)
        AppendLittleEndian32(out, mask);
    out.insert(out.end(), fill, headerFill);
    for (const PixelBGRA& entry : colourTable)
        out.insert(out.end(), {entry.blue, entry.green, entry.red, entry.alpha});
    out.insert(out.end(), gap.begin(), gap.end());
    out.insert(out.end(), rows.begin(), rows.end());
    if (cutAt) out.resize(std::min(*cutAt, out.size()));
    return out;
}

void BmpBuilder::WriteTo(const std::string& path) const {
    WriteFileBytes(path, Bytes());
}

}  // namespace vantrel
