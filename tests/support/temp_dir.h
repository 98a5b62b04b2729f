// A fresh temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <string>

namespace vantrel {

class TempDir {
  public:
    // Creates a new, empty folder under the system's temporary folder.
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder itself.
    const std::string& Root() const { return root_; }
    // The path of name inside the folder; nothing is created.
    std::string Path(const std::string& name) const;

  private:
    std::string root_;
};

}  // namespace vantrel
