#pragma once

#include "character/BonePoser.h"
#include "character/ChainFollower.h"
#include "character/CharacterReport.h"
#include "character/FingerCurl.h"
#include "character/SeatFit.h"
#include "character/SkeletonBones.h"
#include "character/SwingCharacter.h"

#include <glm/glm.hpp>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace plimsa {

class Material;
class Node;
class Scene;
struct GltfHumanoid;

/// Drives an arbitrary rigged glTF model as a swing character. Construction adopts the model's nodes,
/// makes its materials matte and its textures small, finds the bones by name, records the rest pose and
/// fits the model to 2.3 units standing, hips over the seat. Each `apply` then poses it: gloss, size,
/// placement, seated / standing / floor-sit body, eased head look, and arms that grip chains (fingers
/// closed round them), rest on a knee, wave or hang loose. Every bone is derived afresh from the rest pose
/// each frame. Feet and hands that hang outside their limb's chain (IK-style rigs parent them to the root)
/// are put back at the shin's and forearm's ends every frame, keeping their rest placement there.
///
/// Never fails: a model without recognisable bones is placed by its meshes and left unposed; missing
/// bones skip their step. Thread: construction on any thread (it touches only the scene it is given);
/// afterwards one thread at a time (the one that renders or builds the owning scene). Prints one line to
/// standard output per construction, and more when the environment has "PLIMSA_DEBUG".
class SkinnedCharacter : public SwingCharacter {
  public:
    /// Chain hands that could not reach their chain and went to the lap, process-wide. The reach test
    /// resets and reads it around its own `apply` calls.
    static std::atomic<int> lapFallbacks;

    /// Takes over every top-level node of `scene` (they leave the scene's root). A VRM humanoid map, when
    /// given, names the bones; a VRM 0.x avatar is turned to face +Z.
    explicit SkinnedCharacter(Scene& scene, const GltfHumanoid* humanoid = nullptr);

    const std::shared_ptr<Node>& root() const override { return root_; }
    const std::shared_ptr<Node>& headNode() const override { return headNode_; }
    double bodyHalfWidth() const override { return bodyHalfWidth_; }
    std::vector<glm::vec3> shoulders() const override { return shoulders_; }
    /// Poses the model for one frame; `chainXs` and `ropes` are in `swingFrame` coordinates.
    void apply(const CharacterPose& pose, Node& swingFrame) override;

    /// The longest arm, upper arm plus forearm, in world units at load (0.55 without arms).
    double armReach() const { return armReach_; }
    /// The node holding the model's nodes, scaled and placed by `apply`.
    const std::shared_ptr<Node>& model() const { return model_; }
    const SkeletonBones& bones() const { return bones_; }
    const SeatFit& fit() const { return fit_; }
    /// What was found and done at load (bones, fallbacks, textures made smaller); `file` and `usable` are
    /// the loader's to fill.
    const CharacterReport& report() const { return report_; }
    /// Every distinct material of the model, in first-use order.
    const std::vector<std::shared_ptr<Material>>& materials() const { return materials_; }

  private:
    void adoptNodes(Scene& scene, bool turnAround);
    void attachFollowers();
    void prepareMaterials();
    void measureHands();
    void placeOnSeat();
    void measureBody();
    void printProportions() const;

    void applyGloss(double shine);
    void placeModel(const CharacterPose& pose);
    /// A node whose world orientation is already known this frame (null: none yet).
    struct KnownParent {
        const Node* node = nullptr;
        glm::quat world{1.0f, 0.0f, 0.0f, 0.0f};
    };

    void poseBody(const CharacterPose& pose, const glm::quat& rig);
    void poseHead(const CharacterPose& pose, const glm::quat& rig);
    /// setBone with the rig's world orientation `rig`, reading the parent's world orientation from
    /// `parent` when it is the bone's parent (else from the scene graph, and remembering it there).
    /// Returns the bone's new world orientation.
    glm::quat turnBone(Node& bone, const glm::quat& rig, const glm::quat& rotation, KnownParent& parent);
    std::optional<glm::vec2> lookAngles(const CharacterPose& pose);

    std::shared_ptr<Node> root_;
    std::shared_ptr<Node> model_;
    std::shared_ptr<Node> headNode_;
    BonePoser poser_;
    SkeletonBones bones_;
    /// One entry per leg and per arm: the foot's or hand's follower when it hangs outside the chain.
    std::vector<std::optional<ChainFollower>> feet_;
    std::vector<std::optional<ChainFollower>> hands_;
    /// One per arm: its fingers, measured at rest.
    std::vector<FingerCurl> fingers_;
    SeatFit fit_;
    CharacterReport report_;
    std::vector<std::shared_ptr<Material>> materials_;
    double appliedShine_ = -1.0;
    float lookYaw_ = 0.0f;
    float lookPitch_ = 0.0f;
    std::optional<double> lastLookTime_;
    double bodyHalfWidth_ = 0.45;
    std::vector<glm::vec3> shoulders_;
    double armReach_ = 0.55;
};

}  // namespace plimsa
