#include "bmp_info.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bitmap/bmp_format.h"
#include "bitmap/file_stream.h"
#include "bitmap/header_inspection.h"

namespace vantrel {

namespace {

enum class Shown { Number, Signature, Compression };

struct FieldLine {
    const char* name;
    std::uint64_t offset;  // in the file
    std::uint64_t width;   // in bytes
    long long value;
    Shown shown;
};

// Names of the biCompression values, by value.
constexpr const char* kCompressionNames[] = {"BI_RGB",       "BI_RLE8", "BI_RLE4",
                                             "BI_BITFIELDS", "BI_JPEG", "BI_PNG"};

std::string CompressionName(long long value) {
    constexpr long long count = sizeof kCompressionNames / sizeof kCompressionNames[0];
    if (value >= 0 && value < count) return kCompressionNames[value];
    return "unknown";
}

// The signature's two bytes in file order, printable ones as they are.
std::string SignatureText(long long value) {
    std::string text;
    for (const long long byte : {value & 0xFF, (value >> 8) & 0xFF}) {
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
            text += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
            text += escaped;
        }
    }
    return text;
}

std::vector<FieldLine> FieldLines(const BmpFileHeader& file, const BmpInfoHeader& info) {
    return {
        {"bfType", 0, 2, file.bfType, Shown::Signature},
        {"bfSize", 2, 4, file.bfSize, Shown::Number},
        {"bfReserved1", 6, 2, file.bfReserved1, Shown::Number},
        {"bfReserved2", 8, 2, file.bfReserved2, Shown::Number},
        {"bfOffBits", 10, 4, file.bfOffBits, Shown::Number},
        {"biSize", 14, 4, info.biSize, Shown::Number},
        {"biWidth", 18, 4, info.biWidth, Shown::Number},
        {"biHeight", 22, 4, info.biHeight, Shown::Number},
        {"biPlanes", 26, 2, info.biPlanes, Shown::Number},
        {"biBitCount", 28, 2, info.biBitCount, Shown::Number},
        {"biCompression", 30, 4, info.biCompression, Shown::Compression},
        {"biSizeImage", 34, 4, info.biSizeImage, Shown::Number},
        {"biXPelsPerMeter", 38, 4, info.biXPelsPerMeter, Shown::Number},
        {"biYPelsPerMeter", 42, 4, info.biYPelsPerMeter, Shown::Number},
        {"biClrUsed", 46, 4, info.biClrUsed, Shown::Number},
        {"biClrImportant", 50, 4, info.biClrImportant, Shown::Number},
    };
}

void PrintField(const FieldLine& field, std::uint64_t fileSize, std::FILE* out) {
    // The library reads a missing field as a default; the report must not pass that off
    // as the file's content.
    if (fileSize <= field.offset) {
        std::fprintf(out, "%s: (file ends before this field)\n", field.name);
        return;
    }
    if (fileSize < field.offset + field.width) {
        std::fprintf(out, "%s: (file ends inside this field)\n", field.name);
        return;
    }
    switch (field.shown) {
        case Shown::Number:
            std::fprintf(out, "%s: %s\n", field.name, std::to_string(field.value).c_str());
            break;
        case Shown::Signature:
            std::fprintf(out, "%s: %s (\"%s\")\n", field.name, std::to_string(field.value).c_str(),
                         SignatureText(field.value).c_str());
            break;
        case Shown::Compression:
            std::fprintf(out, "%s: %s (%s)\n", field.name, std::to_string(field.value).c_str(),
                         CompressionName(field.value).c_str());
            break;
    }
}

// Counts the file's bytes by reading it through; false (errno set) on a read error,
// such as a path that names a folder.
bool MeasureFile(std::FILE* stream, std::uint64_t& size) {
    std::vector<unsigned char> chunk(1 << 16);
    size = 0;
    errno = 0;
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), stream);
        size += got;
        if (got < chunk.size()) return std::ferror(stream) == 0;
    }
}

int CannotOpen(const char* path, int error, std::FILE* err) {
    std::fprintf(err, "bmpcorners: cannot open %s: %s\n", path, std::strerror(error));
    return 1;
}

}  // namespace

int PrintBmpInfo(const char* path, std::FILE* out, std::FILE* err) {
    errno = 0;
    const FileHandle file = OpenFile(path, "rb");
    const char* shownPath = path != nullptr ? path : "(no path)";
    if (!file) return CannotOpen(shownPath, errno, err);
    std::uint64_t fileSize = 0;
    if (!MeasureFile(file.get(), fileSize)) return CannotOpen(shownPath, errno, err);

    const BmpFileHeader fileHeader = ReadBmpFileHeader(path);
    const BmpInfoHeader infoHeader = ReadBmpInfoHeader(path);
    std::fprintf(out, "file: %s\n", shownPath);
    std::fprintf(out, "file size: %s byte%s\n", std::to_string(fileSize).c_str(),
                 fileSize == 1 ? "" : "s");
    for (const FieldLine& field : FieldLines(fileHeader, infoHeader))
        PrintField(field, fileSize, out);
    return 0;
}

}  // namespace vantrel
