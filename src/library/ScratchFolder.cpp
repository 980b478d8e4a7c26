#include "library/ScratchFolder.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace plimsa {

std::string ScratchFolder::makeUuid() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    std::array<std::uint8_t, 16> bytes{};
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

ScratchFolder::ScratchFolder(std::string_view prefix) {
    std::error_code error;
    auto base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    path_ = base / (std::string(prefix) + makeUuid());
    std::filesystem::create_directories(path_, error);
}

ScratchFolder::~ScratchFolder() {
    remove();
}

ScratchFolder::ScratchFolder(ScratchFolder&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

ScratchFolder& ScratchFolder::operator=(ScratchFolder&& other) noexcept {
    if (this != &other) {
        remove();
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

bool ScratchFolder::exists() const {
    std::error_code error;
    return !path_.empty() && std::filesystem::is_directory(path_, error);
}

void ScratchFolder::remove() noexcept {
    if (path_.empty()) return;
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

}  // namespace plimsa
