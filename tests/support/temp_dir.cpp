#include "temp_dir.h"

#include <stdlib.h>  // mkdtemp

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace vantrel {

TempDir::TempDir() {
    const std::string pattern =
        (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder from " + pattern);
    root_ = name.data();
}

TempDir::~TempDir() {
    std::error_code ignored;  // a destructor must not throw; a leftover folder is harmless
    std::filesystem::remove_all(root_, ignored);
}

std::string TempDir::Path(const std::string& name) const {
    return (std::filesystem::path(root_) / name).string();
}

}  // namespace vantrel
