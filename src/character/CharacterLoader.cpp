#include "character/CharacterLoader.h"

#include <algorithm>
#include <array>
#include <exception>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "character/CharacterRig.h"
#include "character/SkinnedCharacter.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Scene.h"

namespace plimsa {

namespace {

std::string lowerCasedExtension(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Why the file cannot even be opened, in plain words, or "" when it can.
std::string fileProblem(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) return "the file does not exist";
    if (error) return "the file cannot be read (check its permissions)";
    if (status.type() == std::filesystem::file_type::directory) return "a folder, not a model file";
    if (status.type() != std::filesystem::file_type::regular) return "not a regular file";
    if (!std::ifstream(file, std::ios::binary)) return "the file cannot be read (check its permissions)";
    return {};
}

// The glTF loader's error in words a person can act on; the loader's message stays as the detail.
std::string plainRefusal(std::string_view error) {
    if (contains(error, "file is empty")) return "the file is empty";
    if (contains(error, "truncated") || contains(error, "runs past the end"))
        return "the file is cut short (an unfinished download or copy?)";
    if (contains(error, "larger than allowed") || contains(error, "more than allowed") ||
        contains(error, "of memory") || contains(error, "too many"))
        return "the model is too large to load";
    if (contains(error, "unsupported extension"))
        return "the model needs a glTF extension Plimsa cannot read; export it without it";
    if (contains(error, "missing buffer") || contains(error, "external file") || contains(error, "refused"))
        return "the model needs files that are not beside it; export it as one .glb";
    if (contains(error, "version 1 is not")) return "a glTF 1.0 file: Plimsa reads glTF 2.0; export it again";
    if (contains(error, "wrong magic") || contains(error, "version") ||
        contains(error, "could not be read") || contains(error, "malformed JSON") ||
        contains(error, "not an object") || contains(error, "no valid JSON"))
        return "not a glTF or VRM file, or a damaged one";
    return "the model's data is damaged or inconsistent";
}

// A loader warning about an image: the materials that use it are drawn in their base colour.
bool isTextureWarning(std::string_view warning) {
    return contains(warning, "image") || contains(warning, "untextured") ||
           contains(warning, "external file");
}

// The loader's warnings; external files are named relative to the model's `folder` where they lie in it.
void addWarnings(const std::vector<std::string>& warnings, const std::filesystem::path& folder,
                 CharacterReport& report) {
    static constexpr std::string_view kMissingFile =
        "external file not found or outside the model's folder: ";
    std::error_code error;
    const std::string prefix = (std::filesystem::weakly_canonical(folder, error) / "").string();
    for (const std::string& warning : warnings) {
        if (warning.starts_with(kMissingFile)) {
            std::string missing = warning.substr(kMissingFile.size());
            if (!error && missing.starts_with(prefix)) missing.erase(0, prefix.size());
            // A missing buffer fails the load, so a missing file that did not is an image.
            report.textures.push_back("missing \"" + missing +
                                      "\" (not beside the model): drawn in its base colour");
            ++report.missingTextures;
        } else if (isTextureWarning(warning)) {
            report.textures.push_back("not drawn: " + warning + ", so in their base colour");
            ++report.missingTextures;
        } else {
            report.notes.push_back(warning);
        }
    }
}

void refuse(CharacterLoader::Loaded& result, std::string refusal, std::string detail = {}) {
    result.character.reset();
    result.report.usable = false;
    result.report.refusal = std::move(refusal);
    result.report.refusalDetail = std::move(detail);
}

void loadSkinned(const std::filesystem::path& file, CharacterLoader::Loaded& result) {
    const GltfLoadResult loaded = GltfLoader().loadFile(file);
    if (!loaded) return refuse(result, plainRefusal(loaded.error), loaded.error);
    auto skinned =
        std::make_unique<SkinnedCharacter>(*loaded.scene, loaded.humanoid ? &*loaded.humanoid : nullptr);
    const std::string name = result.report.file;
    result.report = skinned->report();
    result.report.file = name;
    addWarnings(loaded.warnings, file.parent_path(), result.report);
    result.character = std::move(skinned);
}

// Files of other extensions: a glTF scene of named parts in the built-in figure's layout, read by content.
void loadNamedParts(const std::filesystem::path& file, CharacterLoader::Loaded& result) {
    const GltfLoadResult loaded = GltfLoader().loadFile(file);
    if (!loaded)
        return refuse(result, "not a .glb, .gltf or .vrm model, nor a glTF scene of named parts",
                      loaded.error);
    auto rig = CharacterRig::fromScene(loaded.scene->rootNode());
    if (!rig)
        return refuse(result,
                      "a glTF scene without the built-in figure's named parts (Root, Torso, Head, thighs, "
                      "shins); give a rigged model the .glb, .gltf or .vrm extension");
    result.report.namedParts = true;
    result.report.bones.push_back("parts: Root, Torso, Head, thighs, shins" +
                                  std::string(rig->parts().arms.empty() ? "" : ", arms"));
    if (rig->parts().arms.empty())
        result.report.fallbacks.push_back("no arms found, so no grip on the chains");
    addWarnings(loaded.warnings, file.parent_path(), result.report);
    result.character = std::move(rig);
}

}  // namespace

bool CharacterLoader::isGltf(const std::filesystem::path& file) {
    const std::string extension = lowerCasedExtension(file);
    return extension == ".glb" || extension == ".gltf" || extension == ".vrm";
}

std::unique_ptr<SwingCharacter> CharacterLoader::load(const std::filesystem::path& file) {
    return loadWithReport(file).character;
}

CharacterLoader::Loaded CharacterLoader::loadWithReport(const std::filesystem::path& file) {
    Loaded result;
    result.report.file = file.filename().string();
    if (auto problem = fileProblem(file); !problem.empty()) {
        refuse(result, std::move(problem));
        return result;
    }
    // An absolute path, so that external files are looked up (and reported) in the model's folder even when
    // it is the working folder.
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(file, error);
    if (error) absolute = file;
    try {
        if (isGltf(file))
            loadSkinned(absolute, result);
        else
            loadNamedParts(absolute, result);
    } catch (const std::exception& exception) {
        refuse(result, "the model could not be loaded", exception.what());
    }
    static constexpr std::array<std::string_view, 3> kUsd = {".usdz", ".usdc", ".usda"};
    if (!result.character && std::find(kUsd.begin(), kUsd.end(), lowerCasedExtension(file)) != kUsd.end())
        refuse(result, "a USD model: there is no reader for USD on this system; export it as .glb or .vrm");
    result.report.usable = result.character != nullptr;
    return result;
}

std::unique_ptr<SwingCharacter> CharacterLoader::fromGltfScene(const std::shared_ptr<Scene>& scene) {
    if (scene == nullptr) return nullptr;
    return std::make_unique<SkinnedCharacter>(*scene);
}

}  // namespace plimsa
