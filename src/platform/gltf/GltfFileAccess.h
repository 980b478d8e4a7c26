#pragma once

// Internal to platform/gltf.

#include "platform/gltf/GltfLimits.h"

#include <tiny_gltf.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace plimsa {

/// The file access tinygltf gets while parsing one document: external buffers and images are read only
/// when they resolve (symbolic links and ".." included) to regular files inside the model's folder, and
/// each within the size limits. Refusals are recorded as warnings. One instance per parse; not shared.
class GltfFileAccess {
public:
    GltfFileAccess(const std::filesystem::path& folder, const GltfLimits& limits, std::vector<std::string>& warnings);

    /// Callbacks whose user data is this object (which must outlive the parse).
    tinygltf::FsCallbacks callbacks();

    /// The resolved file when `path` is an existing regular file inside the folder; empty otherwise.
    std::filesystem::path resolve(const std::string& path) const;

private:
    static bool fileExists(const std::string& path, void* self);
    static std::string expandFilePath(const std::string& path, void* self);
    static bool readWholeFile(std::vector<unsigned char>* out, std::string* error, const std::string& path,
                              void* self);
    static bool writeWholeFile(std::string* error, const std::string& path, const std::vector<unsigned char>&,
                               void* self);

    std::filesystem::path folder_;  // canonical; empty refuses everything
    const GltfLimits& limits_;
    std::vector<std::string>& warnings_;
    uint64_t bytesRead_ = 0;
};

}  // namespace plimsa
