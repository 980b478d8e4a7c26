#pragma once

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/PackExtractor.h"
#include "library/Packs.h"
#include "library/ShippedFiles.h"

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

/// Names of the files directly in the folder whose lower-cased extension is "glb", "gltf", "vrm", "usdz"
/// or "usdc", sorted by code point; a name appears once per file (a.glb and a.vrm give "a" twice).
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
/// every model file in it (".glb", ".gltf", ".vrm", any case) whose name does not begin with "." and that
/// loads as a character on its own (subfolders flattened, visited in sorted path order, so of two files
/// with one name the later wins and the name is listed twice). A model that does not load is left out.
/// A damaged, non-zip, oversized or unsafe archive installs nothing. Returns the names added, possibly
/// none.
std::vector<std::string> installPack(const std::filesystem::path& archive,
                                     const PackExtractor::Limits& limits = {});

/// What an install did: the characters it added, and what it could not add and why.
struct InstallReport {
    struct Refusal {
        std::string what;    ///< the character or file refused: a character name, or a file name or path
        std::string reason;  ///< short and lower-case, such as "no .glb or .vrm model inside"

        bool operator==(const Refusal&) const = default;
    };
    std::vector<std::string> installed;  ///< names added, in order
    std::vector<Refusal> refused;

    /// Appends `other`'s lists to this report's.
    void append(InstallReport other);
};

/// `installPack` with the reasons: a missing or non-regular file, an archive the extractor refuses, a
/// pack with no model, and each model that does not load as a character ("does not load as a character:
/// " and the report's refusal) or could not be copied in are refusals. `what` is the archive's path, or
/// for a model its path inside the pack ("pack/Robo.glb").
InstallReport installPackReporting(const std::filesystem::path& archive,
                                   const PackExtractor::Limits& limits = {});

/// Installs the characters of a pack whose files ship with the program (`Pack::shipsWithProgram`):
/// each character NAME from `shipped` / "characters" / "NAME.glb", through `add` like a pack's models.
/// A name that is not a plain file name (empty, ".", "..", containing "/" or a control character), a
/// missing file and a failed copy refuse that character only. A pack that does not ship with the
/// program installs nothing and is refused as a whole. `shipped` empty: the program's files were not
/// found, every character is refused.
InstallReport installShippedPack(const Pack& pack, const std::filesystem::path& shipped = shippedFolder());

/// Imports what the user picked, as the panel does: "zip" and "plimsapack" files (any case) as packs
/// (`installPackReporting`); model files ("glb", "gltf", "vrm", "usdz", "usdc") are added only when a copy
/// of the file alone loads as a character (`CharacterLoader::loadWithReport`, whose refusal is the
/// reason), so a model that would show the built-in figure, or a ".gltf" that needs files beside it, is
/// refused and the library is left as it was. Any other file is refused. `what` of a refusal is `file` as
/// given.
InstallReport importFile(const std::filesystem::path& file);

/// Start-up cleanup: drops from every swing the references that are neither library names nor existing
/// absolute paths (the empty seat included), removes swings left with no character and corner sitters
/// whose character is gone. Writes `settings.v.swings` and `settings.v.corners` only when they change.
void migrateBuiltIn(Settings& settings);

}  // namespace CharacterLibrary

}  // namespace plimsa
