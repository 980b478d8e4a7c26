#pragma once

// Internal to platform/gltf: the parsed document behind GltfDocument.

#include "platform/gltf/GltfHumanoid.h"

#include <tiny_gltf.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plimsa {

/// The tinygltf model after parsing. Images are kept encoded (`as_is`), with their pixel size read from
/// the file header; an image whose bytes could not be found or recognised has no bytes.
struct GltfDocumentData {
    tinygltf::Model model;
    std::filesystem::path folder;
    std::vector<std::string> warnings;
    /// Filled by the build phase when the file carries a VRM humanoid map.
    std::optional<GltfHumanoid> humanoid;
};

}  // namespace plimsa
