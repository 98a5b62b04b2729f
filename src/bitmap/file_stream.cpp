#include "file_stream.h"

#include <cerrno>

#include "bmp_format.h"

#ifdef _WIN32
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace vantrel {

FileHandle OpenFile(const char* utf8Path, const char* mode) {
    if (utf8Path == nullptr) {
        errno = ENOENT;
        return FileHandle{};
    }
#ifdef _WIN32
    // Windows opens by UTF-16 name. A narrow fopen would go through the ANSI code page,
    // which cannot express most names; the wide call reaches every file.
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, nullptr, 0);
    if (units <= 0) {
        errno = EINVAL;  // not UTF-8: no file can have this name
        return FileHandle{};
    }
    std::wstring widePath(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, widePath.data(), units);
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return FileHandle{_wfopen(widePath.c_str(), wideMode.c_str())};
#else
    // Linux and the other POSIX hosts take UTF-8 paths as they are.
    return FileHandle{std::fopen(utf8Path, mode)};
#endif
}

bool ReadExactly(void* destination, std::int32_t itemSize, std::int32_t itemCount,
                 std::FILE* stream) {
    if (std::feof(stream) != 0) return false;
    if (itemSize <= 0 || itemCount <= 0) return true;
    const std::size_t arrived = std::fread(destination, static_cast<std::size_t>(itemSize),
                                           static_cast<std::size_t>(itemCount), stream);
    return arrived >= static_cast<std::size_t>(itemCount);
}

bool ReadField(std::FILE* stream, std::uint16_t& field) {
    std::uint8_t bytes[2];
    if (!ReadExactly(bytes, 1, 2, stream)) return false;
    field = LoadLittleEndian16(bytes);
    return true;
}

bool ReadField(std::FILE* stream, std::uint32_t& field) {
    std::uint8_t bytes[4];
    if (!ReadExactly(bytes, 1, 4, stream)) return false;
    field = LoadLittleEndian32(bytes);
    return true;
}

bool ReadField(std::FILE* stream, std::int32_t& field) {
    std::uint32_t raw = 0;
    if (!ReadField(stream, raw)) return false;
    field = static_cast<std::int32_t>(raw);
    return true;
}

bool WriteField(std::FILE* stream, std::uint16_t field) {
    std::uint8_t bytes[2];
    StoreLittleEndian16(bytes, field);
    return std::fwrite(bytes, 1, 2, stream) == 2;
}

bool WriteField(std::FILE* stream, std::uint32_t field) {
    std::uint8_t bytes[4];
    StoreLittleEndian32(bytes, field);
    return std::fwrite(bytes, 1, 4, stream) == 4;
}

bool WriteField(std::FILE* stream, std::int32_t field) {
    return WriteField(stream, static_cast<std::uint32_t>(field));
}

}  // namespace vantrel
