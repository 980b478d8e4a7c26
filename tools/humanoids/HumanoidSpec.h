#pragma once

#include <string>
#include <vector>

namespace plimsa {

/// Bone-naming conventions found in rigged character files.
enum class BoneNaming {
    mixamoColon,       // "mixamorig:Hips", "mixamorig:LeftUpLeg"
    mixamoUnderscore,  // "mixamorig_Hips"
    mixamoBare,        // "Hips", "LeftUpLeg", "LeftHandMiddle1"
    blender,           // "hips", "thigh.L", "upper_arm.L", "f_middle.01.L"
    unreal,            // "root", "pelvis", "thigh_l", "upperarm_l", "middle_01_l"
    lowerDotSide,    // "root", "hips", "upperleg.l", "lowerarm.r", "wrist.l", "index1.l" (game-pack IK rigs)
    unrecognisable,  // "Bone.000", "Bone.001", ...: no name a bone finder knows
};

/// Arms straight out sideways, or lowered 40 degrees with the rotation in the upper-arm bones' rest pose.
enum class RestPose { tPose, aPose };

/// How the file is written.
enum class HumanoidFormat {
    glb,   // plain binary glTF
    vrm1,  // binary glTF with a VRM 1.0 humanoid map ("VRMC_vrm") and an MToon material
    vrm0,  // binary glTF with a VRM 0.x humanoid map ("VRM") and MToon material properties, facing -Z
    gltfMissingImage,  // a .gltf with its buffer embedded whose skin texture names an image file that is
                       // absent
};

/// Body proportions: an adult's, or a chibi's (head about 40 % of the height, short legs, long-ish arms).
enum class Proportions { adult, chibi };

/// One test humanoid: a skinned body facing +Z (-Z for VRM 0.x), Y up, 1.8 m tall with its feet at y = 0
/// (times `unitsPerMetre` in the file's units). Plain value.
struct HumanoidSpec {
    std::string fileName;  // "humanoid-mixamo-colon.glb"
    BoneNaming naming = BoneNaming::mixamoColon;
    RestPose pose = RestPose::tPose;
    /// 1 for metres, 100 for centimetres (a 180-unit-tall model).
    float unitsPerMetre = 1.0f;
    /// The armature node turned -90 degrees about X and scaled by 0.01, its bones in Z-up centimetres
    /// (as converted exports do); the body still stands Y up, 1.8 m tall, in world space.
    bool rotatedScaledRoot = false;
    /// 65 joints: full finger chains, head and toe end bones. Otherwise 24 (25 with Unreal's root bone).
    bool fullFingers = false;
    /// A JPEG base-colour texture of this size on the skin material (0 = none).
    int textureWidth = 0;
    int textureHeight = 0;
    /// A small PNG shared by the skin and shirt materials (one image, two materials; the shirt's use has
    /// a KHR_texture_transform).
    bool sharedTexture = false;
    HumanoidFormat format = HumanoidFormat::glb;
    /// Feet and hands hang from the root bone rather than the shins and forearms (IK-style rigs).
    bool ikRig = false;
    Proportions proportions = Proportions::adult;

    /// The standard set the tests and benchmarks use.
    static std::vector<HumanoidSpec> standardSet();
    /// The member of the standard set with this file name; a default spec named `fileName` when absent.
    static HumanoidSpec named(const std::string& fileName);
};

}  // namespace plimsa
