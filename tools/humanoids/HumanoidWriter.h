#pragma once

#include "humanoids/HumanoidSpec.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace plimsa {

/// Writes test humanoids as binary glTF (.glb): one skinned mesh node "Body" (one primitive per
/// material: skin, shirt, trousers, shoes, eyes) beside an "Armature" node that holds the skeleton.
/// The mesh node sits at the scene root with an identity transform; every joint is in the skin, and the
/// inverse bind matrices are the inverses of the joints' rest world transforms. Any thread; no shared state.
class HumanoidWriter {
public:
    /// The .glb bytes of the humanoid; empty if encoding failed.
    static std::vector<uint8_t> glb(const HumanoidSpec& spec);
    /// Writes `folder`/`spec.fileName`. False (and nothing half-written left behind) on failure.
    static bool write(const HumanoidSpec& spec, const std::filesystem::path& folder);
};

}  // namespace plimsa
