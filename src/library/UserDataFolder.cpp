#include "library/UserDataFolder.h"

#include <cstdlib>

#include "platform/desktop/UserFolders.h"

namespace plimsa {

std::filesystem::path userDataFolder() {
    // A relative XDG_DATA_HOME is invalid by the base-directory rules and must be ignored.
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome != nullptr && dataHome[0] == '/') {
        return std::filesystem::path(dataHome) / "Plimsa";
    }
    const auto home = homeFolder();
    if (home.empty()) return {};
    return home / ".local" / "share" / "Plimsa";
}

}  // namespace plimsa
