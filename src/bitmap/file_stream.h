// A small file layer over C buffered streams: an owning handle that closes on every
// path, the verified read, and little-endian field reads and writes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

namespace vantrel {

struct FileCloser {
    void operator()(std::FILE* stream) const noexcept { std::fclose(stream); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file by its UTF-8 path with a C mode string ("rb", "wb"). A null path, like a
// file that cannot be opened, gives an empty handle; errno then says why.
FileHandle OpenFile(const char* utf8Path, const char* mode);

// Reads itemCount items of itemSize bytes. False, reading nothing, when the stream is
// already at its end; false when fewer items arrive; true otherwise.
bool ReadExactly(void* destination, std::int32_t itemSize, std::int32_t itemCount,
                 std::FILE* stream);

// One header field, in its own width, as little-endian bytes. A failed read leaves
// the field as it was.
bool ReadField(std::FILE* stream, std::uint16_t& field);
bool ReadField(std::FILE* stream, std::uint32_t& field);
bool ReadField(std::FILE* stream, std::int32_t& field);
bool WriteField(std::FILE* stream, std::uint16_t field);
bool WriteField(std::FILE* stream, std::uint32_t field);
bool WriteField(std::FILE* stream, std::int32_t field);

}  // namespace vantrel
