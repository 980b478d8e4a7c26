#pragma once

#include <filesystem>
#include <memory>

#include "character/CharacterReport.h"
#include "character/SwingCharacter.h"

namespace plimsa {

class Scene;

/// Turns a model file into a character. Callers that get nothing show `CharacterRig::placeholder()`.
/// Any thread (loading touches no shared state); the character is then used by one thread at a time.
namespace CharacterLoader {

/// True when the file's extension, ignoring case, is "glb", "gltf" or "vrm": such files are loaded as
/// rigged glTF models; every other file goes to `CharacterRig::load`.
bool isGltf(const std::filesystem::path& file);

/// A character and the report of how it loaded; no character, and the report saying why, when the file
/// is not usable.
struct Loaded {
    std::unique_ptr<SwingCharacter> character;
    CharacterReport report;
};
/// `load` with its report. A refusal names the cause in plain words (a missing file, a folder, an
/// unreadable file, a USD model, a file that is not glTF, a damaged or cut-short one, one that is too
/// large or needs files that are not beside it) and keeps the loader's own message as the detail. The
/// loader's warnings become texture lines (a missing or unreadable image: drawn in its base colour) or
/// notes. Never throws: an exception while loading is a refusal too.
Loaded loadWithReport(const std::filesystem::path& file);

/// A rigged glTF model as a skinned character, or the named-part figure `CharacterRig::load` reads. Nothing
/// when the file cannot be read or parsed, or holds no usable character.
std::unique_ptr<SwingCharacter> load(const std::filesystem::path& file);

/// The character for a loaded glTF scene (the model's nodes are taken over by the character).
std::unique_ptr<SwingCharacter> fromGltfScene(const std::shared_ptr<Scene>& scene);

}  // namespace CharacterLoader

}  // namespace plimsa
