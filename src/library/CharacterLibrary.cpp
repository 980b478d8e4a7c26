#include "library/CharacterLibrary.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "library/FileCopy.h"
#include "library/PackExtractor.h"
#include "library/ScratchFolder.h"
#include "library/UserDataFolder.h"

namespace plimsa {

namespace {

std::string lowerCasedExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
}

bool isModelFile(const std::filesystem::path& path) {
    static constexpr std::array<std::string_view, 4> kModelExtensions = {"glb", "gltf", "usdz", "usdc"};
    const auto extension = lowerCasedExtension(path);
    return std::find(kModelExtensions.begin(), kModelExtensions.end(), extension) != kModelExtensions.end();
}

// Folder entries that could be character files: everything but subfolders, hidden files included.
std::vector<std::filesystem::path> fileEntries() {
    std::vector<std::filesystem::path> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(CharacterLibrary::directory(), error);
    for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) entries.push_back(it->path());
    }
    return entries;
}

std::vector<std::filesystem::path> packModels(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> models;
    std::error_code error;
    std::filesystem::recursive_directory_iterator it(folder, error);
    for (const std::filesystem::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
        const auto fileName = it->path().filename().string();
        std::error_code typeError;
        if (it->is_regular_file(typeError) && lowerCasedExtension(it->path()) == "glb" &&
            !fileName.starts_with(".")) {
            models.push_back(it->path());
        }
    }
    std::sort(models.begin(), models.end());
    return models;
}

}  // namespace

std::filesystem::path CharacterLibrary::directory() {
    const auto data = userDataFolder();
    if (data.empty()) return {};
    auto folder = data / "Characters";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

std::vector<std::string> CharacterLibrary::names() {
    if (hideLibrary) return {};
    std::vector<std::string> result;
    for (const auto& entry : fileEntries()) {
        if (isModelFile(entry)) result.push_back(entry.stem().string());
    }
    std::sort(result.begin(), result.end());
    return result;
}

std::optional<std::filesystem::path> CharacterLibrary::url(std::string_view name) {
    if (hideLibrary) return std::nullopt;
    std::optional<std::filesystem::path> best;
    for (auto& entry : fileEntries()) {
        if (entry.stem() != name) continue;
        const auto rank = [](const std::filesystem::path& path) {
            return std::pair(!isModelFile(path), path);
        };
        if (!best || rank(entry) < rank(*best)) best = std::move(entry);
    }
    return best;
}

std::optional<std::filesystem::path> CharacterLibrary::resolve(std::string_view reference) {
    if (reference.empty()) return std::nullopt;
    if (reference.front() == '/') return std::filesystem::path(reference);
    return url(reference);
}

std::optional<std::string> CharacterLibrary::add(const std::filesystem::path& source) {
    const auto fileName = source.filename();
    const auto folder = directory();
    if (fileName.empty() || fileName == "." || fileName == ".." || folder.empty()) return std::nullopt;
    const auto destination = folder / fileName;
    if (!copyFileReplacing(source, destination)) return std::nullopt;
    return destination.stem().string();
}

std::vector<std::string> CharacterLibrary::installPack(const std::filesystem::path& archive,
                                                       const PackExtractor::Limits& limits) {
    ScratchFolder scratch;
    if (!scratch.exists()) return {};
    if (PackExtractor(limits).extract(archive, scratch.path()) != PackExtractor::Outcome::extracted)
        return {};
    std::vector<std::string> installed;
    for (const auto& model : packModels(scratch.path())) {
        if (auto name = add(model)) installed.push_back(std::move(*name));
    }
    return installed;
}

}  // namespace plimsa
