#include <glm/glm.hpp>

#include <cmath>
#include <optional>
#include <string_view>

#include "character/CharacterRig.h"
#include "platform/scene/BoundingBox.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"

namespace plimsa {

namespace {

// Every geometry in `node`'s subtree, boxed in `node`'s own space.
BoundingBox subtreeBounds(Node& node) {
    BoundingBox bounds;
    const glm::mat4 toNode = glm::inverse(node.worldTransform());
    node.enumerateHierarchy([&](Node& each, bool&) {
        if (each.geometry())
            bounds.add(each.geometry()->boundingBox().transformed(toNode * each.worldTransform()));
    });
    return bounds;
}

double measuredArmLength(const Node& root, const std::vector<std::shared_ptr<Node>>& arms) {
    for (const std::string_view hand : {"HandL", "HandR"}) {
        if (auto node = root.childNodeWithName(hand)) {
            const double y = node->position().y;
            return std::isfinite(y) ? y : 0.55;
        }
    }
    if (!arms.empty()) {
        const BoundingBox bounds = subtreeBounds(*arms.front());
        if (!bounds.isEmpty() && bounds.max.y > 0.1f && std::isfinite(bounds.max.y))
            return 0.9 * bounds.max.y;
    }
    return 0.55;
}

void appendIfPresent(const Node& root, std::string_view name, std::vector<std::shared_ptr<Node>>& list) {
    if (auto node = root.childNodeWithName(name)) list.push_back(std::move(node));
}

}  // namespace

// The parts are looked up under "Root" rather than the whole scene: a part outside it would stay behind
// when "Root" is detached, and the rig would pose nodes nobody sees.
std::unique_ptr<CharacterRig> CharacterRig::fromScene(Node& sceneRoot) {
    Parts parts;
    parts.root = sceneRoot.childNodeWithName("Root");
    if (!parts.root) return nullptr;
    const Node& root = *parts.root;
    parts.torso = root.childNodeWithName("Torso");
    parts.head = root.childNodeWithName("Head");
    appendIfPresent(root, "ThighL", parts.thighs);
    appendIfPresent(root, "ThighR", parts.thighs);
    appendIfPresent(root, "ShinL", parts.shins);
    appendIfPresent(root, "ShinR", parts.shins);
    if (!parts.torso || !parts.head || parts.thighs.size() != 2 || parts.shins.size() != 2) return nullptr;
    appendIfPresent(root, "EyeL", parts.eyes);
    appendIfPresent(root, "EyeR", parts.eyes);
    appendIfPresent(root, "ArmL", parts.arms);
    appendIfPresent(root, "ArmR", parts.arms);
    parts.armLength = measuredArmLength(root, parts.arms);
    parts.root->removeFromParentNode();
    markGrabbable(*parts.root);
    return std::make_unique<CharacterRig>(std::move(parts));
}

}  // namespace plimsa
