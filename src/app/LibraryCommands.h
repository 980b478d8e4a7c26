#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/SnapshotArguments.h"
#include "library/ShippedFiles.h"

namespace plimsa {

/// The character library on the command line, without a display:
///   "--characters": one line per character of the library, four tab-separated fields: name, display
///     name, the catalogue's first pack listing it, and "starter" when a starter pack lists it; a field
///     with nothing to say is "-", control characters print as "?".
///   "--install-starter": installs every pack of the shipped catalogue that ships with the program.
///   "--import" FILE...: every argument after it is a file to import, as the panel imports a pick.
/// The first of these flags on the command line decides the form. What was added goes to `out` as
/// "installed NAME" or "imported NAME from FILE"; each refusal to `err` as "refused WHAT: reason".
/// Nothing but the character folder (and a scratch folder in the temporary directory, removed again) is
/// written. Main thread.
namespace LibraryCommands {

/// The exit status when a library form applied (0 when everything asked for worked, else 1), nothing
/// otherwise. `shipped` is the folder of the program's own files (`shippedFolder()`).
std::optional<int> run(const SnapshotArguments& arguments, std::FILE* out, std::FILE* err,
                       const std::filesystem::path& shipped = shippedFolder());

}  // namespace LibraryCommands

}  // namespace plimsa
