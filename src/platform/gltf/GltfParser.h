#pragma once

// Internal to platform/gltf.

#include "platform/gltf/GltfDocument.h"
#include "platform/gltf/GltfLimits.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace plimsa {

/// The parse phase: container and JSON checks, then tinygltf with confined file access and header-only
/// image inspection. Any thread; each call has its own state.
class GltfParser {
public:
    static std::optional<GltfDocument> parse(std::span<const uint8_t> bytes, const std::filesystem::path& folder,
                                             const GltfLimits& limits, std::string& error);
};

}  // namespace plimsa
