#pragma once

#include "humanoids/StarterBody.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace plimsa {

/// Writes a starter character as binary glTF (.glb): an "Armature" node holding the skeleton (bones named
/// "mixamorig:Hips", "mixamorig:LeftHandIndex1" ...) beside one skinned mesh node "Body" with one primitive
/// per look the character uses. Inverse bind matrices are the inverses of the joints' rest world
/// transforms. Deterministic: the same design gives the same bytes. Any thread; no shared state.
class StarterWriter {
  public:
    /// The .glb bytes; empty if encoding failed.
    static std::vector<uint8_t> glb(const StarterDesign& design);
    /// The same from a body already built from `design`.
    static std::vector<uint8_t> glb(const StarterDesign& design, const StarterBody& body);
    /// Writes `folder`/<name>.glb through a temporary file renamed into place. False on failure, with nothing
    /// half-written left behind.
    static bool write(const StarterDesign& design, const std::filesystem::path& folder);
};

}  // namespace plimsa
