#include "library/CharacterLibrary.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "character/CharacterLoader.h"
#include "library/FileCopy.h"
#include "library/PackExtractor.h"
#include "library/ScratchFolder.h"
#include "library/UserDataFolder.h"

namespace plimsa {

using CharacterLibrary::InstallReport;

namespace {

std::string lowerCasedExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
}

bool isModelFile(const std::filesystem::path& path) {
    static constexpr std::array<std::string_view, 5> kModelExtensions = {"glb", "gltf", "vrm", "usdz",
                                                                         "usdc"};
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
        if (it->is_regular_file(typeError) && isModelFile(it->path()) && !fileName.starts_with(".")) {
            models.push_back(it->path());
        }
    }
    std::sort(models.begin(), models.end());
    return models;
}

// Why `file` cannot be read as the user's pick, or empty when it is a regular file.
std::string sourceProblem(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) return "file not found";
    if (error) return "file cannot be read";
    if (status.type() == std::filesystem::file_type::directory) return "a folder, not a file";
    if (status.type() != std::filesystem::file_type::regular) return "not a regular file";
    return {};
}

std::string extractionProblem(PackExtractor::Outcome outcome) {
    switch (outcome) {
        case PackExtractor::Outcome::extracted:
            return {};
        case PackExtractor::Outcome::unreadable:
            return "not a zip archive, or a damaged one";
        case PackExtractor::Outcome::unsafePath:
            return "unsafe archive: an entry would land outside its folder";
        case PackExtractor::Outcome::tooManyEntries:
            return "too many files inside";
        case PackExtractor::Outcome::tooLarge:
            return "too large once unpacked";
        case PackExtractor::Outcome::writeFailed:
            return "could not be unpacked (is the temporary folder full?)";
    }
    return "could not be unpacked";
}

// A name that stays one file name in the shipped folder and in the character folder.
bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '/' || byte < 0x20 || byte == 0x7F;
    });
}

constexpr const char* kCopyFailed = "could not be copied into the character folder";

// Adds `model` when a copy of the file alone loads as a character: what the library will load later.
// A refusal names the file as `shown`.
InstallReport addModel(const std::filesystem::path& model, const std::string& shown) {
    const auto refuse = [&](std::string reason) { return InstallReport{{}, {{shown, std::move(reason)}}}; };
    ScratchFolder scratch("plimsamodel-");
    const auto copy = scratch.path() / model.filename();
    if (!scratch.exists()) return refuse("no temporary folder to try it in");
    if (!copyFileReplacing(model, copy)) return refuse("file cannot be read");
    const auto loaded = CharacterLoader::loadWithReport(copy);
    if (!loaded.character) {
        if (lowerCasedExtension(model) == "gltf" && CharacterLoader::load(model))
            return refuse("needs files beside it; export it as one .glb");
        return refuse("does not load as a character: " + loaded.report.refusal);
    }
    if (auto name = CharacterLibrary::add(copy)) return {{std::move(*name)}, {}};
    return refuse(kCopyFailed);
}

}  // namespace

void CharacterLibrary::InstallReport::append(InstallReport other) {
    installed.insert(installed.end(), std::make_move_iterator(other.installed.begin()),
                     std::make_move_iterator(other.installed.end()));
    refused.insert(refused.end(), std::make_move_iterator(other.refused.begin()),
                   std::make_move_iterator(other.refused.end()));
}

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
    return installPackReporting(archive, limits).installed;
}

InstallReport CharacterLibrary::installPackReporting(const std::filesystem::path& archive,
                                                     const PackExtractor::Limits& limits) {
    InstallReport report;
    const auto refuse = [&](std::string reason) {
        report.refused.push_back({archive.string(), std::move(reason)});
        return report;
    };
    if (auto problem = sourceProblem(archive); !problem.empty()) return refuse(std::move(problem));
    ScratchFolder scratch;
    if (!scratch.exists()) return refuse("no temporary folder to unpack it in");
    if (auto problem = extractionProblem(PackExtractor(limits).extract(archive, scratch.path()));
        !problem.empty())
        return refuse(std::move(problem));
    const auto models = packModels(scratch.path());
    if (models.empty()) return refuse("no .glb or .vrm model inside");
    // A file that does not load as a character is not installed: it could only ever show the built-in
    // figure, and its refusal says why.
    for (const auto& model : models)
        report.append(addModel(model, model.lexically_relative(scratch.path()).string()));
    return report;
}

InstallReport CharacterLibrary::installShippedPack(const Pack& pack, const std::filesystem::path& shipped) {
    if (!pack.shipsWithProgram) return {{}, {{pack.name, "does not ship with the program"}}};
    InstallReport report;
    for (const auto& character : pack.characters) {
        const auto refuse = [&](std::string reason) {
            report.refused.push_back({character, std::move(reason)});
        };
        if (!isPlainFileName(character)) {
            refuse("not a plain file name");
            continue;
        }
        if (shipped.empty()) {
            refuse("the program's own files were not found");
            continue;
        }
        const auto file = shipped / "characters" / (character + ".glb");
        if (auto problem = sourceProblem(file); !problem.empty())
            refuse(problem + ": " + file.string());
        else if (auto name = add(file))
            report.installed.push_back(std::move(*name));
        else
            refuse(kCopyFailed);
    }
    return report;
}

InstallReport CharacterLibrary::importFile(const std::filesystem::path& file) {
    const auto extension = lowerCasedExtension(file);
    if (extension == "zip" || extension == "plimsapack") return installPackReporting(file);
    if (auto problem = sourceProblem(file); !problem.empty())
        return {{}, {{file.string(), std::move(problem)}}};
    if (!isModelFile(file))
        return {{}, {{file.string(), "neither a model (.glb, .gltf, .vrm) nor a pack (.zip, .plimsapack)"}}};
    return addModel(file, file.string());
}

}  // namespace plimsa
