// Whole files as byte vectors, for tests that build or inspect files byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// The whole file; empty when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
// Creates or replaces the file; throws std::runtime_error when it cannot.
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace vantrel
