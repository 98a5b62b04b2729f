#include "export/path_conversion.h"

#include <cstdint>

namespace vantrel {

namespace {

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t code) {
    const auto byte = [&out](std::uint32_t value) { out.push_back(static_cast<char>(value)); };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | (code >> 6));
        byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        byte(0xE0 | (code >> 12));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    } else {
        byte(0xF0 | (code >> 18));
        byte(0x80 | ((code >> 12) & 0x3F));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::optional<std::string> NarrowPath(const char16_t* widePath) {
    if (widePath == nullptr) return std::nullopt;

    // Measure without reading past the bound, so an unterminated or huge string costs
    // at most MaxWidePathLength + 1 reads.
    std::size_t length = 0;
    while (length <= MaxWidePathLength && widePath[length] != u'\0')
        ++length;
    if (length > MaxWidePathLength) return std::string{};

    std::string narrow;
    narrow.reserve(length * 3);
    for (std::size_t i = 0; i < length; ++i) {
        const char32_t unit = widePath[i];
        if (IsHighSurrogate(unit)) {
            const char32_t next = i + 1 < length ? char32_t{widePath[i + 1]} : 0;
            if (!IsLowSurrogate(next)) return std::string{};
            AppendUtf8(narrow, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++i;
        } else if (IsLowSurrogate(unit)) {
            return std::string{};
        } else {
            AppendUtf8(narrow, unit);
        }
    }
    return narrow;
}

}  // namespace vantrel
