#pragma once

#include "humanoids/HumanoidSpec.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace plimsa {

/// One joint of a test humanoid, in the rig's own frame (Y up, facing +Z, metres, feet at y = 0).
struct HumanoidJoint {
    std::string canonical;  // Mixamo's bare name ("LeftForeArm"), or "Root" for Unreal's extra root bone
    int parent = -1;        // index into the joint list, -1 for the skeleton's top joint
    glm::vec3 position{0.0f};
    glm::quat orientation{1.0f, 0.0f, 0.0f, 0.0f};  // rest orientation in the rig frame
};

/// The joints of a test humanoid in rest pose, parents before children. The character's left side is +X
/// (it faces the viewer). Plain value, any thread.
class HumanoidSkeleton {
  public:
    /// `fullFingers` gives 65 joints, otherwise 24; `withRootBone` adds a "Root" joint at the origin above
    /// the hips (Unreal rigs have one).
    HumanoidSkeleton(bool fullFingers, RestPose pose, bool withRootBone);

    /// The skeleton a file of `spec` carries: the joints above, then `spec`'s IK parenting, proportions
    /// and facing (see HumanoidShape).
    static HumanoidSkeleton of(const HumanoidSpec& spec);

    const std::vector<HumanoidJoint>& joints() const { return joints_; }
    std::vector<HumanoidJoint>& joints() { return joints_; }
    /// Index of the joint with this canonical name, or -1.
    int find(std::string_view canonical) const;
    /// Position of a joint by canonical name; (0, 0, 0) when absent.
    glm::vec3 position(std::string_view canonical) const;

    /// The name the joint carries in a file of the given convention; `index` numbers unrecognisable names.
    static std::string boneName(const std::string& canonical, BoneNaming naming, int index);

  private:
    int add(std::string canonical, std::string_view parent, const glm::vec3& position);
    void addArm(const char* side, float sign, bool fullFingers);
    void addLeg(const char* side, float sign, bool fullFingers);
    void lowerArm(const char* side, float sign, float degrees);

    std::vector<HumanoidJoint> joints_;
};

}  // namespace plimsa
