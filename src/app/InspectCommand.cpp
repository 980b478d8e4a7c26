#include "app/InspectCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "character/CharacterLoader.h"
#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "library/UserDataFolder.h"

namespace plimsa {

namespace {

// The file an argument names: itself when something is there, else a library character of that name.
std::filesystem::path modelFile(const std::string& argument) {
    const std::filesystem::path given(argument);
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(given, error)) ||
        argument.find('/') != std::string::npos)
        return given;
    // Asking the library creates its folder; a look-up must not.
    const auto data = userDataFolder();
    if (data.empty() || !std::filesystem::is_directory(data / "Characters", error)) return given;
    return CharacterLibrary::url(argument).value_or(given);
}

// Standard output closed to the loader's own diagnostic lines while it runs, so that what is printed is
// the report alone.
class QuietStandardOutput {
  public:
    QuietStandardOutput() {
        std::fflush(stdout);
        const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nothing < 0) return;
        saved_ = ::dup(STDOUT_FILENO);
        if (saved_ >= 0 && ::dup2(nothing, STDOUT_FILENO) < 0) {
            ::close(saved_);
            saved_ = -1;
        }
        ::close(nothing);
    }
    ~QuietStandardOutput() {
        if (saved_ < 0) return;
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
    QuietStandardOutput(const QuietStandardOutput&) = delete;
    QuietStandardOutput& operator=(const QuietStandardOutput&) = delete;

  private:
    int saved_ = -1;
};

}  // namespace

std::optional<int> InspectCommand::run(const SnapshotArguments& arguments, std::FILE* out, std::FILE* err) {
    if (!arguments.has("--inspect")) return std::nullopt;
    Settings::setPersist(false);
    const auto model = arguments.flag("--inspect");
    if (!model || model->empty()) {
        std::fputs("--inspect needs a model file (.glb, .gltf or .vrm) or a character name\n", err);
        return 1;
    }
    CharacterReport report;
    {
        const QuietStandardOutput quiet;
        report = CharacterLoader::loadWithReport(modelFile(*model)).report;
    }
    std::fputs(report.text().c_str(), out);
    return report.usable ? 0 : 1;
}

}  // namespace plimsa
