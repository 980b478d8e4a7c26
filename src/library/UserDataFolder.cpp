#include "library/UserDataFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace plimsa {

namespace {

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    std::vector<char> buffer(16 * 1024);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

}  // namespace

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
