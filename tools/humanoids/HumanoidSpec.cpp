#include "humanoids/HumanoidSpec.h"

#include <utility>

namespace plimsa {

std::vector<HumanoidSpec> HumanoidSpec::standardSet() {
    std::vector<HumanoidSpec> set;
    const auto add = [&](std::string name, BoneNaming naming) -> HumanoidSpec& {
        HumanoidSpec spec;
        spec.fileName = std::move(name);
        spec.naming = naming;
        return set.emplace_back(std::move(spec));
    };
    add("humanoid-mixamo-colon.glb", BoneNaming::mixamoColon);
    add("humanoid-mixamo-underscore.glb", BoneNaming::mixamoUnderscore);
    add("humanoid-mixamo-bare.glb", BoneNaming::mixamoBare);
    add("humanoid-blender.glb", BoneNaming::blender).sharedTexture = true;
    add("humanoid-unreal.glb", BoneNaming::unreal);
    add("humanoid-a-pose.glb", BoneNaming::mixamoColon).pose = RestPose::aPose;
    add("humanoid-centimetres.glb", BoneNaming::mixamoBare).unitsPerMetre = 100.0f;
    add("humanoid-rotated-root.glb", BoneNaming::mixamoColon).rotatedScaledRoot = true;
    HumanoidSpec& textured = add("humanoid-texture-4096.glb", BoneNaming::mixamoColon);
    textured.textureWidth = 4096;
    textured.textureHeight = 2048;
    add("humanoid-no-bones.glb", BoneNaming::unrecognisable);
    add("humanoid-65-joints.glb", BoneNaming::mixamoColon).fullFingers = true;
    for (const auto& [name, format] : {std::pair{"humanoid-vrm1.vrm", HumanoidFormat::vrm1},
                                       std::pair{"humanoid-vrm0.vrm", HumanoidFormat::vrm0}}) {
        HumanoidSpec& avatar = add(name, BoneNaming::unrecognisable);
        avatar.format = format;
        avatar.fullFingers = true;
    }
    HumanoidSpec& ikRig = add("humanoid-ik-rig.glb", BoneNaming::lowerDotSide);
    ikRig.ikRig = true;
    ikRig.fullFingers = true;
    add("humanoid-chibi.glb", BoneNaming::mixamoBare).proportions = Proportions::chibi;
    add("humanoid-missing-texture.gltf", BoneNaming::mixamoColon).format = HumanoidFormat::gltfMissingImage;
    return set;
}

HumanoidSpec HumanoidSpec::named(const std::string& fileName) {
    for (HumanoidSpec& spec : standardSet())
        if (spec.fileName == fileName) return spec;
    HumanoidSpec spec;
    spec.fileName = fileName;
    return spec;
}

}  // namespace plimsa
