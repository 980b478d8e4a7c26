#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace plimsa::testing {

/// What one run of the plimsa executable did.
struct ProcessResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
    std::vector<std::string> outLines() const;
};

/// Runs the plimsa executable in `folder` with `arguments` and the test's environment plus `environment`
/// (name, value; a null value removes the variable), and waits for it.
ProcessResult runPlimsa(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                        const std::vector<std::pair<std::string, const char*>>& environment = {});

/// A fresh empty folder under the system's temporary folder, removed when the object goes.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::vector<std::string> entries() const;

  private:
    std::filesystem::path path_;
};

}  // namespace plimsa::testing
