#include "app/Autostart.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace plimsa {

namespace {

std::optional<std::filesystem::path> homeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return std::filesystem::path(home);
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
        return std::filesystem::path(entry->pw_dir);
    return std::nullopt;
}

// The Exec key's quoting: an argument holding a reserved character goes in double quotes, inside which
// `"`, `` ` ``, `$` and `\` take a backslash; then the value's own escaping doubles every backslash, and a
// literal percent sign is written "%%" (field codes start with one).
std::optional<std::string> execValue(const std::string& path) {
    constexpr std::string_view kReserved = " \t\"'\\><~|&;$*?#()`";
    std::string argument;
    bool quote = false;
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::nullopt;
        if (kReserved.find(c) != std::string_view::npos) quote = true;
        if (c == '"' || c == '`' || c == '$' || c == '\\') argument += '\\';
        argument += c == '%' ? std::string("%%") : std::string(1, c);
    }
    if (quote) argument = '"' + argument + '"';
    std::string value;
    for (char c : argument) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

bool writeAtomically(const std::filesystem::path& file, const std::string& text) {
    std::string pattern = (file.parent_path() / ".plimsa.desktop.XXXXXX").string();
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) return false;
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(descriptor, text.data() + written, text.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const bool flushed =
        written == text.size() && ::fchmod(descriptor, 0644) == 0 && ::fsync(descriptor) == 0;
    const bool closed = ::close(descriptor) == 0;
    if (flushed && closed && std::rename(pattern.c_str(), file.c_str()) == 0) return true;
    ::unlink(pattern.c_str());
    return false;
}

}  // namespace

Autostart::Autostart(std::filesystem::path executable) : executable_(std::move(executable)) {}

std::optional<std::filesystem::path> Autostart::entryPath() {
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        config = xdg;
    else if (const auto home = homeFolder())
        config = *home / ".config";
    else
        return std::nullopt;
    return config / "autostart" / kFileName;
}

std::optional<std::string> Autostart::entryText(const std::filesystem::path& executable) {
    if (!executable.is_absolute()) return std::nullopt;
    const auto exec = execValue(executable.string());
    if (!exec) return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Plimsa\n"
           "Comment=Characters on swings above your windows\n"
           "Exec=" +
           *exec +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool Autostart::isEnabled() const {
    const auto path = entryPath();
    std::error_code error;
    return path && std::filesystem::is_regular_file(*path, error);
}

bool Autostart::enable() const {
    const auto path = entryPath();
    const auto text = entryText(executable_);
    if (!path || !text) return false;
    std::error_code error;
    std::filesystem::create_directories(path->parent_path(), error);
    if (error) return false;
    return writeAtomically(*path, *text);
}

bool Autostart::disable() const {
    const auto path = entryPath();
    if (!path) return true;
    std::error_code error;
    std::filesystem::remove(*path, error);
    return !std::filesystem::exists(*path, error);
}

}  // namespace plimsa
