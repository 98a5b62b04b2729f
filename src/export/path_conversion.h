// Turns the host's UTF-16 paths into the UTF-8 paths that the file layer opens.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vantrel {

// The longest path, in UTF-16 units, that the original platform family accepts. A
// longer path is treated as one that cannot be opened.
inline constexpr std::size_t MaxWidePathLength = 32767;

// Null in, no path out (std::nullopt). A path that cannot be expressed (an unpaired
// surrogate) or that is longer than MaxWidePathLength comes out empty, which no file
// open accepts. The result lives on the heap, sized for UTF-8 (at most 3 bytes per
// UTF-16 unit), so a caller's long string never grows the stack.
std::optional<std::string> NarrowPath(const char16_t* widePath);

}  // namespace vantrel
