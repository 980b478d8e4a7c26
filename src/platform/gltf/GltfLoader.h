#pragma once

#include "platform/gltf/GltfDocument.h"
#include "platform/gltf/GltfHumanoid.h"
#include "platform/gltf/GltfLimits.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plimsa {

class Scene;

/// The outcome of a load: a scene, or none and an error message. Warnings list what was left out of a
/// scene that did load (a missing external image, an unsupported primitive).
struct GltfLoadResult {
    std::shared_ptr<Scene> scene;
    std::string error;
    std::vector<std::string> warnings;
    /// The VRM humanoid bone map, when the file carries one (a .vrm avatar).
    std::optional<GltfHumanoid> humanoid;

    explicit operator bool() const { return scene != nullptr; }
};

/// Loads glTF 2.0 assets (.glb, .gltf with embedded buffers, data: URIs or files beside it) into a new
/// scene graph, in three phases on bytes: parse (container, JSON, buffers; images checked but not yet
/// decoded), validate (every index, range and count), build (nodes, geometry, skins, materials).
///
/// What the scene holds: the default scene's node hierarchy (glTF names as node names, TRS or matrix
/// transforms); one geometry per glTF mesh, shared by the nodes that use it, with one element per
/// triangle primitive and that primitive's material; joints and normalised weights on skinned meshes,
/// whose nodes carry a Skinner over the joint nodes with the skin's inverse bind matrices (one copy per
/// skin, however many nodes use it); materials with
/// base colour (factor, texture, sampler wrap, KHR_texture_transform), roughness and metalness factors,
/// alpha mode and cutoff, double-sidedness, normal and emissive maps. Each image is decoded at most once
/// and shared by every material that shows it. Colours are converted from glTF's linear factors to sRGB.
///
/// Failure: a file that is unreadable, malformed, inconsistent or beyond the limits gives no scene and an
/// error, never a crash. Whatever the build allocates in proportion to a count the file declares (accessor
/// values, vertices, triangles, joints per skinned node, texels) is checked against `maxDecodedBytes`
/// before it is allocated, so a tiny file cannot demand gigabytes. External files are read only from the
/// model's own folder: URIs that leave it are refused. A missing or undecodable image, or one past the
/// decoded-pixel limit or what is left of the budget, leaves its materials untextured (a warning); a
/// missing buffer fails the load. An image larger than `maxImageSide` fails the
/// load, and so does a required extension other than KHR_texture_transform, KHR_materials_unlit,
/// KHR_materials_emissive_strength and the VRM ones (the data could not be read correctly).
///
/// VRM avatars (.vrm): the humanoid bone map of "VRMC_vrm" (1.0) or "VRM" (0.x) becomes `humanoid`, each
/// entry checked on its own (see GltfVrm); toon materials draw with their base colour texture and factor,
/// not metallic, and a VRM 0.x material without a glTF base colour texture takes its toon properties'
/// main texture and colour.
///
/// Thread: any; calls on one loader or on several may run at the same time (no shared mutable state).
class GltfLoader {
  public:
    explicit GltfLoader(GltfLimits limits = {});

    /// Reads and loads a file; external files are looked up next to it.
    GltfLoadResult loadFile(const std::filesystem::path& file) const;
    /// Loads bytes of a .glb (recognised by its magic) or a .gltf JSON document. External files are looked
    /// up in `folder`; with an empty folder every external URI is refused.
    GltfLoadResult loadBytes(std::span<const uint8_t> bytes, const std::filesystem::path& folder = {}) const;

    /// Phase 1. No document and `error` set on failure.
    std::optional<GltfDocument> parse(std::span<const uint8_t> bytes, const std::filesystem::path& folder,
                                      std::string& error) const;
    /// Phase 2. False and `error` set when the document is inconsistent or over the limits.
    bool validate(const GltfDocument& document, std::string& error) const;
    /// Phase 3, on a validated document. Null and `error` set when the data itself is bad (an index past
    /// its vertices, a joint past its skin) or over the limits.
    std::shared_ptr<Scene> build(GltfDocument& document, std::string& error) const;

    const GltfLimits& limits() const { return limits_; }

  private:
    GltfLimits limits_;
};

}  // namespace plimsa
