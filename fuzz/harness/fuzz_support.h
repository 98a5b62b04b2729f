// What every harness needs: the check that aborts, and scratch files for the library
// operations that take a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::fuzz {

// Reports the broken promise and aborts, so that libFuzzer saves the input and the
// replayer's test fails.
[[noreturn]] void Fail(const char* target, const char* what);

inline void Require(bool holds, const char* target, const char* what) {
    if (!holds) Fail(target, what);
}

// Path of name in this process's own scratch folder (created on first use under the
// system's temporary folder and removed when the process ends normally).
std::string ScratchPath(const char* name);

// Writes the bytes to ScratchPath(name), replacing the file, and returns that path.
std::string WriteScratchFile(const char* name, const std::uint8_t* data, std::size_t size);

// Strict UTF-8 to UTF-16: nullopt for anything but well-formed UTF-8 (no overlong forms,
// no surrogates, nothing past U+10FFFF). Written apart from the library's own
// conversion, so that each can check the other.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

}  // namespace vantrel::fuzz
