#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "app/SnapshotArguments.h"

namespace plimsa {

/// The snapshot mode: renders one swing, corner sitter or character thumbnail to a PNG file, or prints
/// the size scan, from the command line, with no display server, window or event loop. Every mode first
/// turns saving of the settings off. Forms, tried in order: "--scan-min" NAME, "--corner" OUT,
/// "--preview" MODEL OUT, "--snapshot" OUT [THETA]; a form missing its values is passed over. "--help"
/// and "--version" come before all of them, then the character library's forms (`LibraryCommands`).
/// Main thread.
namespace Snapshot {

/// Runs the first form the command line asks for and ends the process with its status; returns, having
/// done nothing, when none applies.
void runIfRequested(int argc, const char* const* argv);

/// The work of `runIfRequested` without ending the process: the exit status when a form (or "--help",
/// "--version") applied, nothing otherwise. Lines go to `out`, complaints to `err`.
std::optional<int> run(const SnapshotArguments& arguments, std::FILE* out, std::FILE* err);

/// The "--help" text.
std::string usage();

}  // namespace Snapshot

}  // namespace plimsa
