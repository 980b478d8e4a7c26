#pragma once

#include <filesystem>

namespace plimsa {

/// The folder of the program's own data files (the pack catalogue, the starter characters):
/// <prefix>/share/plimsa beside the running executable's <prefix>/bin when that folder exists (an
/// installed program), else the build tree's share/plimsa when the executable runs from the build tree
/// (the build lays that folder out as an installation would). Empty when neither applies. Any thread.
std::filesystem::path shippedFolder();

}  // namespace plimsa
