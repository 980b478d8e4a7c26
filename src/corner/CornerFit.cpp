#include "corner/CornerFit.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/quaternion.hpp>

#include "character/SwingCharacter.h"
#include "corner/DrawnBox.h"
#include "platform/scene/Node.h"

namespace plimsa {

namespace {

// A shrink below this would leave a speck; a box that asks for it is garbage, not a figure.
constexpr double kSmallestScale = 0.05;
constexpr double kEdgeMargin = 0.01;

bool isFinite(const BoundingBox& box) {
    return std::isfinite(box.min.x) && std::isfinite(box.min.y) && std::isfinite(box.max.x) &&
           std::isfinite(box.max.y);
}

// Turns the head about the rig's own axes (yaw about up, then nod about across), as a head that follows
// the cursor turns; returns its orientation before.
glm::quat turnHead(const Node& root, Node& head, double yaw, double pitch) {
    const glm::quat before = head.orientation();
    const glm::quat rig = root.worldOrientation();
    const glm::quat turn = glm::angleAxis(static_cast<float>(yaw), glm::vec3(0, 1, 0)) *
                           glm::angleAxis(static_cast<float>(pitch), glm::vec3(1, 0, 0));
    const glm::quat parent = head.parent()->worldOrientation();
    head.setOrientation(
        glm::normalize(glm::inverse(parent) * rig * turn * glm::inverse(rig) * parent * before));
    return before;
}

}  // namespace

CornerFit CornerFit::solve(const BoundingBox& drawn, const glm::vec3& anchor, double halfWidth,
                           double height) {
    CornerFit fit;
    if (drawn.isEmpty() || !isFinite(drawn)) return fit;
    if (drawn.min.y >= 0.0f && drawn.max.y <= height && drawn.min.x >= -halfWidth &&
        drawn.max.x <= halfWidth) {
        return fit;
    }
    // A figure that has to be moved keeps a hair's breadth from the edges: the head's eased turns pass
    // through angles between the measured ones.
    halfWidth -= kEdgeMargin;
    height -= kEdgeMargin;
    const double lift = std::max(0.0, -double{drawn.min.y});
    const double top = drawn.max.y + lift;
    double scale = 1.0;
    if (top > height && top > anchor.y) scale = std::min(scale, (height - anchor.y) / (top - anchor.y));
    const double width = drawn.max.x - drawn.min.x;
    if (width > 2.0 * halfWidth) scale = std::min(scale, 2.0 * halfWidth / width);
    if (!std::isfinite(scale)) return fit;
    scale = std::max(scale, kSmallestScale);
    // Scaled about the anchor, then slid back inside whichever side edge it crosses.
    const double left = anchor.x + scale * (drawn.min.x - anchor.x);
    const double right = anchor.x + scale * (drawn.max.x - anchor.x);
    double slide = 0.0;
    if (right > halfWidth) {
        slide = halfWidth - right;
    } else if (left < -halfWidth) {
        slide = -halfWidth - left;
    }
    fit.scale = static_cast<float>(scale);
    fit.offset = glm::vec3(static_cast<float>(slide), static_cast<float>(scale * lift), 0.0f);
    return fit;
}

BoundingBox CornerFit::sittingBox(SwingCharacter& character, Node& frame, CharacterPose pose) {
    const Node& root = *character.root();
    Node& head = *character.headNode();
    const bool hasHead = &head != &root && head.parent() != nullptr;
    BoundingBox box;
    // Nothing drawn now means nothing drawn in any pose: no need to pose it.
    if (DrawnBox::of(root, frame).isEmpty()) return box;
    // A head that eases toward where it looks may still be turned (a refit after a change of side): a
    // few steps of the clock bring it ahead, where the turns below start from.
    for (int step = 0; step < 8; ++step) {
        pose.time += 0.1;
        character.apply(pose, frame);
    }
    for (const double rock : {-kRock, kRock}) {
        pose.leg = rock;
        character.apply(pose, frame);
        box.add(DrawnBox::of(root, frame));
        if (!hasHead) continue;
        for (const double yaw : {-kHeadYaw, 0.0, kHeadYaw}) {
            for (const double pitch : {kHeadUp, 0.0, kHeadDown}) {
                if (yaw == 0.0 && pitch == 0.0) continue;
                const glm::quat before = turnHead(root, head, yaw, pitch);
                box.add(DrawnBox::of(root, frame));
                head.setOrientation(before);
            }
        }
    }
    if (!box.isEmpty()) {
        // The breath lifts and lowers the whole figure by up to kBreath.
        box.min.y -= static_cast<float>(kBreath);
        box.max.y += static_cast<float>(kBreath);
    }
    return box;
}

}  // namespace plimsa
