#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TemporaryFolder.h"

namespace plimsa::testing {

/// Runs of the plimsa executable that see nothing of the developer's setup: each starts in an empty
/// working folder with this process's environment minus every PLIMSA_* variable, with data and
/// configuration folders of its own, plus exactly the variables the test asks for.
class PlimsaSandbox {
  public:
    PlimsaSandbox() { std::filesystem::create_directory(work()); }

    ProcessResult run(const std::vector<std::string>& arguments, const Environment& variables = {}) const {
        Environment environment = inheritedEnvironmentWithout("PLIMSA_");
        // Never the developer's desktop: without a snapshot form plimsa starts the desktop app.
        environment.erase("DISPLAY");
        environment.erase("WAYLAND_DISPLAY");
        environment["XDG_DATA_HOME"] = (root_.path() / "data").string();
        environment["XDG_CONFIG_HOME"] = (root_.path() / "config").string();
        for (const auto& [name, value] : variables) environment[name] = value;
        return runProcess(PLIMSA_EXECUTABLE, arguments, work(), environment);
    }

    std::filesystem::path work() const { return root_.path() / "work"; }
    /// The names in the working folder, sorted: what the runs wrote there.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(work()))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    TemporaryFolder root_;
};

}  // namespace plimsa::testing
