#pragma once

#include "character/CharacterReport.h"
#include "character/SkeletonBones.h"

#include <string>
#include <string_view>
#include <vector>

namespace plimsa {

class Node;
struct GltfHumanoid;

/// Finds the bones of an arbitrary rigged model: from its VRM humanoid map when it has one, else by name,
/// else from the skeleton's shape (BoneShape). Names are compared after `normalise`, against fixed
/// candidate lists per bone and side, so the common conventions (mixamorig:LeftUpLeg, thigh_l, Thigh.L,
/// L_Forearm, upperarm.l ...) all match. Nodes named "grab" (meshes) never count as bones.
/// Stateless; any thread, as long as the model's nodes are used by that thread alone.
class BoneFinder {
  public:
    enum class Bone { thigh, shin, upperArm, forearm, hand, wrist, foot };

    /// Lower-cased, the prefixes "mixamorig:", "mixamorig_" and "mixamorig" removed in that order (each
    /// test sees the result of the previous one), then only ASCII letters and digits kept.
    static std::string normalise(std::string_view name);

    /// The normalised names that identify `bone` on `side` ("left" or "right"), in order of preference.
    static std::vector<std::string> candidates(Bone bone, std::string_view side);

    /// Searches every node under `model` (not `model` itself). Roles come first from `humanoid`'s map (its
    /// bones win; roles it lacks are filled by name, then by shape), else from the names: every node,
    /// depth first, parents before children, a later node whose name normalises to the same key winning.
    /// A foot is found by name wherever it hangs (IK rigs parent feet to the root); a hand named like a
    /// wrist counts when no bone is named like a hand. When neither finds hips or any limb, the skeleton's
    /// shape is read: its roles replace a name-found lone hips bone and fill what else is missing. Never
    /// fails: bones not found stay null, a leg is listed only with thigh and shin, an arm only with upper
    /// arm, forearm and hand; `source` tells which reading found the hips or limbs first.
    static SkeletonBones find(Node& model, const GltfHumanoid* humanoid = nullptr);

    /// Fills the report's `source`, its `bones` lines (one per part: "body: Hips (hips), ...", "left leg:
    /// thigh.L, shin.L, foot.L (foot)", "left arm: ..., hand.L (hand), 4 fingers + thumb") and its
    /// `fallbacks` lines (what the character does without: "no arms found, so no grip on the chains").
    static void describe(const SkeletonBones& bones, CharacterReport& report);

    /// The one-line summary printed once per loaded model:
    /// "SkinnedCharacter: hips=H spine=S head=N legs=L arms=A bones=B" with "-" for a missing bone.
    static std::string summary(const SkeletonBones& bones);
};

}  // namespace plimsa
