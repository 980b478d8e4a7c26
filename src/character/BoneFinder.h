#pragma once

#include "character/CharacterReport.h"
#include "character/SkeletonBones.h"

#include <string>
#include <string_view>
#include <vector>

namespace plimsa {

class Node;
struct GltfHumanoid;

/// Finds the bones of an arbitrary rigged model by name. Names are compared after `normalise`, against
/// fixed candidate lists per bone and side, so the common conventions (mixamorig:LeftUpLeg, thigh_l,
/// Thigh.L, L_Forearm, upperarm.l ...) all match. Nodes named "grab" (meshes) never count as bones.
/// Stateless; any thread, as long as the model's nodes are used by that thread alone.
class BoneFinder {
public:
    enum class Bone { thigh, shin, upperArm, forearm, hand };

    /// Lower-cased, the prefixes "mixamorig:", "mixamorig_" and "mixamorig" removed in that order (each
    /// test sees the result of the previous one), then only ASCII letters and digits kept.
    static std::string normalise(std::string_view name);

    /// The normalised names that identify `bone` on `side` ("left" or "right"), in order of preference.
    static std::vector<std::string> candidates(Bone bone, std::string_view side);

    /// Searches every node under `model` (not `model` itself), depth first, parents before children; a
    /// later node whose name normalises to the same key wins. Never fails: bones not found stay null, and
    /// a leg or arm is listed only when all of its bones were found.
    static SkeletonBones find(Node& model, const GltfHumanoid* humanoid = nullptr);

    /// Fills the report's `bones` and `fallbacks` lines (and `source`) for what `find` returned.
    static void describe(const SkeletonBones& bones, CharacterReport& report);

    /// The one-line summary printed once per loaded model:
    /// "SkinnedCharacter: hips=H spine=S head=N legs=L arms=A bones=B" with "-" for a missing bone.
    static std::string summary(const SkeletonBones& bones);
};

}  // namespace plimsa
