#pragma once

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/PackExtractor.h"

namespace plimsa {

class Settings;

/// The character folder the user owns, and the operations that list it, find a character file by name,
/// import models and packs, and prune the settings of references to characters that are gone.
///
/// A character's name is its file name without the extension ("Robo.GLB" is Robo). References in the
/// settings are a name, an absolute path (beginning with "/"), or "" for an empty seat. The library keeps
/// no index: every call looks at the folder as it is now. Main thread; nothing here reports errors to
/// the user, failures give empty results.
namespace CharacterLibrary {

/// When true the library behaves as empty (`names()` lists nothing, `url` finds nothing). Set by the
/// start-up sequence's store test mode.
inline std::atomic<bool> hideLibrary{false};

/// userDataFolder() + "Characters" (so $XDG_DATA_HOME/Plimsa/Characters), created with any missing
/// parents on every call; a failure to create it is ignored.
std::filesystem::path directory();

/// Names of the files directly in the folder whose lower-cased extension is "glb", "gltf", "usdz" or
/// "usdc", sorted by code point; a name appears once per file (a.glb and a.usdz give "a" twice).
std::vector<std::string> names();

/// The folder entry whose name (file name without extension) is `name`. Any extension matches, but when
/// several entries share the name a model file wins over other files, then the lower file name.
std::optional<std::filesystem::path> url(std::string_view name);

/// "/..." gives that path (no existence check), "" gives none, anything else `url(name)`.
std::optional<std::filesystem::path> resolve(std::string_view reference);

/// Copies `source` into the folder under its own file name, replacing a file of that name without ever
/// losing it: on any failure the old file stays. Returns the new character's name, or none. No check of
/// the file's contents or extension is made.
std::optional<std::string> add(const std::filesystem::path& source);

/// Extracts the zip archive `archive` into a scratch folder (removed afterwards on every path) and adds
/// every ".glb" file in it whose name does not begin with "." (subfolders flattened, visited in sorted
/// path order, so of two files with one name the later wins and the name is listed twice). A damaged,
/// non-zip, oversized or unsafe archive installs nothing. Returns the names added, possibly none.
std::vector<std::string> installPack(const std::filesystem::path& archive,
                                     const PackExtractor::Limits& limits = {});

/// Start-up cleanup: drops from every swing the references that are neither library names nor existing
/// absolute paths (the empty seat included), removes swings left with no character and corner sitters
/// whose character is gone. Writes `settings.v.swings` and `settings.v.corners` only when they change.
void migrateBuiltIn(Settings& settings);

}  // namespace CharacterLibrary

}  // namespace plimsa
