#pragma once

#include <cstdio>
#include <optional>

#include "app/SnapshotArguments.h"

namespace plimsa {

/// "--inspect" MODEL: loads the model as the swings and corner sitters would and prints its report
/// (`CharacterReport::text`) on `out`. MODEL is a file; a plain name (no "/") that is no file is looked up
/// in the character library, when the library folder exists. No window, nothing written (the settings
/// are not persisted, the library folder is not created). Main thread.
namespace InspectCommand {

/// The exit status when "--inspect" is on the command line: 0 when the model loads as a character, 1
/// when it does not (the report says why) or when no model follows the flag (said on `err`). Nothing
/// otherwise.
std::optional<int> run(const SnapshotArguments& arguments, std::FILE* out, std::FILE* err);

}  // namespace InspectCommand

}  // namespace plimsa
