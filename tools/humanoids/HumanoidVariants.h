#pragma once

#include "humanoids/GlbPacking.h"
#include "humanoids/HumanoidBody.h"
#include "humanoids/HumanoidSkeleton.h"
#include "humanoids/HumanoidSpec.h"

#include <tiny_gltf.h>

#include <string>

namespace plimsa {

/// Whether the skeleton of `spec` has a root bone above the hips (Unreal and IK-style rigs do).
bool hasRootBone(const HumanoidSpec& spec);

/// Turns the standard skeleton into the variant `spec` asks for: feet and hands moved under the root bone for
/// IK rigs, chibi proportions (head scaled about the head joint, legs shortened, arms lengthened), and the
/// half turn about Y of a VRM 0.x avatar. Nothing changes for a plain humanoid.
void reshapeSkeleton(const HumanoidSpec& spec, HumanoidSkeleton& skeleton);
/// The same change of shape for a body built on the standard skeleton `standard` (before that skeleton is
/// reshaped): every vertex moves as the joints do, so the rest pose still skins to the stored surface.
void reshapeBody(const HumanoidSpec& spec, const HumanoidSkeleton& standard, HumanoidBody& body);

/// IK-style rigs: a rigid, unskinned buckle on each shoe, its node a child of the foot bone (joint i is node
/// `firstJointNode + i`), as parts parented to bones are exported. Nothing for other rigs.
void addFootParts(tinygltf::Model& model, GlbPacker& packer, const HumanoidSpec& spec,
                  const HumanoidSkeleton& skeleton, int firstJointNode);

/// The VRM humanoid bone a canonical joint maps to ("LeftHandIndex1" -> "leftIndexProximal"; the VRM 0.x
/// and 1.0 thumbs differ); empty for joints the map leaves out (end bones).
std::string vrmBoneName(const std::string& canonical, HumanoidFormat format);

/// Adds the VRM extensions of an avatar spec (nothing for other formats): the humanoid map over the joint
/// nodes (joint i is node `firstJointNode + i`), meta, and MToon on every material. A VRM 0.x avatar's
/// shirt carries its texture and colour only in the MToon properties, as some exporters write them.
void addVrmExtensions(tinygltf::Model& model, const HumanoidSpec& spec, const HumanoidSkeleton& skeleton,
                      int firstJointNode, int skinTexture);

}  // namespace plimsa
