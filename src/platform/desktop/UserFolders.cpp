#include "platform/desktop/UserFolders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

namespace plimsa {

namespace {

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool writeAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    size_t size = bytes.size();
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

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

std::filesystem::path userConfigFolder() {
    if (const char* configHome = std::getenv("XDG_CONFIG_HOME");
        configHome != nullptr && configHome[0] == '/')
        return configHome;
    const auto home = homeFolder();
    if (home.empty()) return {};
    return home / ".config";
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code error;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(path, error)) {
        target = std::filesystem::canonical(path, error);
        if (error) return false;  // a dangling link: do not guess where its file should be
    }
    if (target.filename().empty()) return false;
    const auto folder = target.parent_path();
    std::filesystem::create_directories(folder, error);

    mode_t mode = 0644;
    if (struct stat existing{}; ::stat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) return false;
        mode = existing.st_mode & 07777;
    }

    std::string temporary = (folder / ("." + target.filename().string() + "-XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.c_str(), target.c_str()) == 0) {
        syncFolder(folder);
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace plimsa
