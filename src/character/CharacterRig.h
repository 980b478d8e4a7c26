#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "character/SeatFit.h"
#include "character/SwingCharacter.h"

namespace plimsa {

class Node;

/// The built-in figure made of rounded boxes, and any scene whose parts are nodes with the figure's names
/// ("Root", "Torso", "Head", "ThighL"/"R", "ShinL"/"R"; optional "EyeL"/"R", "ArmL"/"R", "HandL"/"R").
/// Posed with plain per-joint Euler angles: legs kick, the torso leans, the head turns, the eyes blink and
/// each arm points straight at the nearest chain. In the floor sit it takes the skinned characters' pose:
/// one knee drawn up with a hand on it, the other leg out in front, the other hand on the floor. "L" parts
/// sit at negative x, "R" parts at positive x. Every arm's local +Y runs from the shoulder toward the hand,
/// and every named part turns about its own origin. Same threading as SwingCharacter.
class CharacterRig final : public SwingCharacter {
  public:
    struct Parts {
        std::shared_ptr<Node> root;
        std::shared_ptr<Node> torso;
        std::shared_ptr<Node> head;
        std::vector<std::shared_ptr<Node>> eyes;    // left then right, those present
        std::vector<std::shared_ptr<Node>> thighs;  // left then right
        std::vector<std::shared_ptr<Node>> shins;   // left then right
        std::vector<std::shared_ptr<Node>> arms;    // left then right, those present
        double armLength = 0.55;                    // from an arm's origin to its hand, in the arm's units
    };

    /// The built-in blocky figure, seated at its hips (the origin of "Root"). Never fails.
    static std::unique_ptr<CharacterRig> placeholder();

    /// Reads a scene file and builds a rig from its named parts. Reads glTF 2.0, binary (.glb) or JSON
    /// (.gltf), recognised by content whatever the extension. Nothing when the file cannot be read, is in
    /// another format, or lacks a required part; the caller then uses `placeholder()`.
    static std::unique_ptr<CharacterRig> load(const std::filesystem::path& file);

    /// Builds a rig from the parts found by name below `sceneRoot`. The parts are looked up under the node
    /// named "Root" (which is detached from its parent and becomes the rig's root). `armLength` is the y of
    /// the local position of "HandL" (else "HandR"); without hands 0.9 times the top of the first arm's
    /// bounding box when that is above 0.1; else 0.55. Unnamed mesh nodes are named "grab". Nothing when
    /// a required part is missing.
    static std::unique_ptr<CharacterRig> fromScene(Node& sceneRoot);

    explicit CharacterRig(Parts parts);

    const std::shared_ptr<Node>& root() const override { return parts_.root; }
    const std::shared_ptr<Node>& headNode() const override { return parts_.head; }
    double bodyHalfWidth() const override { return 0.45; }
    std::vector<glm::vec3> shoulders() const override { return {}; }

    /// Uses `leg`, `headYaw`, `headPitch`, `blink` and `chainXs`; with `floorSit`, also `foldedLeg` and
    /// `kneeHandSide` (and no chains). Everything else in the pose is ignored.
    void apply(const CharacterPose& pose, Node& swingFrame) override;

    const Parts& parts() const { return parts_; }
    double armLength() const { return parts_.armLength; }

    /// Names every unnamed node with geometry in the subtree "grab" (the overlay's click test).
    static void markGrabbable(Node& node);

  private:
    void aimArmsAtChains(Node& swingFrame, const CharacterPose& pose);
    void aimArm(Node& arm, Node& swingFrame, const std::vector<double>& chainXs);

    // The floor sit (CharacterRigFloorSit.cpp).
    void sitOnFloor(const CharacterPose& pose);
    void setFloorLeg(size_t leg, bool folded, const SeatFit::FoldedLeg& change);
    SeatFit::FoldedLeg floorChange(size_t leg, bool folded);
    void restOnKnee(Node& arm, const Node& shin, float side);
    void restOnFloor(Node& arm, float side);

    Parts parts_;
    /// Per leg, the change that keeps the leg clear of the floor, drawn up [0] and out in front [1];
    /// measured on first use, as the parts' shapes never change.
    std::vector<std::array<std::optional<SeatFit::FoldedLeg>, 2>> floorChanges_;
};

}  // namespace plimsa
