#include "platform/desktop/FileDefaults.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include <nlohmann/json.hpp>

#include "platform/desktop/UserFolders.h"

namespace plimsa {

namespace {

constexpr std::uintmax_t kMaxFileBytes = 16u << 20;

// A name that stays inside its folder: not empty, no separators, not "." or "..", no control characters.
bool isPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

std::optional<std::string> readSmallFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

FileDefaults::FileDefaults(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path FileDefaults::standardFolder() {
    const auto config = userConfigFolder();
    return config.empty() ? config : config / "plimsa";
}

std::filesystem::path FileDefaults::fileFor(const std::filesystem::path& folder, std::string_view key) {
    if (key == "PlimsaSettings") return folder / "settings.json";
    if (!isPlainName(key)) return {};
    return folder / (std::string(key) + ".json");
}

std::optional<std::string> FileDefaults::data(std::string_view key) const {
    const auto file = fileFor(folder_, key);
    if (folder_.empty() || file.empty()) return std::nullopt;
    return readSmallFile(file);
}

bool FileDefaults::setData(std::string_view key, std::string_view bytes) {
    const auto file = fileFor(folder_, key);
    if (folder_.empty() || file.empty()) return false;
    if (const auto old = readSmallFile(file); old && !nlohmann::json::accept(*old)) {
        auto broken = file;
        broken += ".broken";
        if (!writeFileAtomically(broken, *old)) return false;  // rather keep the old file than lose it
    }
    return writeFileAtomically(file, bytes);
}

std::unique_ptr<Defaults> FileDefaults::suite(std::string_view name) const {
    if (folder_.empty() || !isPlainName(name)) return nullptr;
    return std::make_unique<FileDefaults>(folder_ / std::string(name));
}

}  // namespace plimsa
