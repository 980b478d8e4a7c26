#pragma once

#include "character/BoneRoles.h"

namespace plimsa {

class Node;

/// Reads bone roles from the shape of a skeleton in its rest pose, for models whose bone names no rule
/// knows. The skeleton is every node under the model that is not a mesh (nor named "grab"), at its
/// position in the model's space, +Y up; every distance is relative to the skeleton's height, so units
/// and armature nodes that are rotated or scaled do not matter.
///
/// - Hips: of the joints from which two chains run down well below them, one on each side, the one whose
///   chains reach lowest (the legs; arms hanging in the rest pose reach less low); when that joint has no
///   chain running up, its nearest ancestor at about the same height that has one.
/// - Spine and head: the upward chain from the hips, following the child that reaches highest. The spine is
///   its first joint. The chest is the joint of that chain from which the arms leave: the child chains that
///   reach farthest sideways on each side (at least 8 % of the height, three joints or more). The head is
///   the top of the chain above the chest, or the joint below that top when the top is a leaf ending a
///   segment clearly longer than the one before (an end bone at the crown).
/// - Legs: each follows the child that reaches lowest. The thigh is its last joint still at hip height, the
///   shin (knee) the joint whose height is nearest halfway from there to the chain's bottom, the foot
///   (ankle) the first joint after it at least halfway from the knee down to that bottom. A chain that
///   stops well above the floor (an IK rig's leg) ends at the knee; its foot, like one that is only a leaf,
///   is then looked for among the joints hanging from the hips or above (the rig's root): the highest one
///   close under the knee.
/// - Arms: each follows the child that reaches farthest. The hand is the first joint where two or more
///   chains of two joints or more (fingers) branch off; else, when the chain stops and a joint hanging from
///   the rig's root lies just beyond its end, along it, that joint (an IK rig's hand); else the first joint
///   beyond which the rest of the chain (fingers, end bones) measures under 40 % of the arm up to it. A
///   short first segment (under 30 % of the arm) is a collar bone and is skipped. The forearm is the joint
///   nearest halfway along the arm.
/// - Left and right: the character faces +Z unless its toes point to -Z; its left is then +X (-X when it
///   faces -Z).
///
/// Returns empty roles when no hips are found (the shape is unclear). Stateless; the thread that owns the
/// model's nodes.
class BoneShape {
  public:
    static BoneRoles find(Node& model);
};

}  // namespace plimsa
