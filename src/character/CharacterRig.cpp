#include "character/CharacterRig.h"

#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <limits>

#include "platform/scene/Node.h"

namespace plimsa {

namespace {

// Poses come from simulations and user-tuned numbers; a stray NaN must not poison the scene graph.
double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

void setEulerX(Node& node, double angle) {
    glm::vec3 euler = node.eulerAngles();
    euler.x = static_cast<float>(angle);
    node.setEulerAngles(euler);
}

// The chain nearest `x`, the earlier one on a tie; 0.42 when there are none.
double nearestChain(const std::vector<double>& chainXs, double x) {
    double best = 0.42;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (double chain : chainXs) {
        const double distance = std::abs(chain - x);
        if (distance < bestDistance) {
            best = chain;
            bestDistance = distance;
        }
    }
    return best;
}

// Shortest-arc turn taking +Y onto `direction` (unit length); a half turn about -Z when it points
// straight down, where the shortest arc is not unique.
glm::quat turnFromUp(const glm::vec3& direction) {
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const float cosine = glm::dot(up, direction);
    if (cosine < -0.999999f) return glm::angleAxis(glm::pi<float>(), glm::vec3(0.0f, 0.0f, -1.0f));
    const glm::vec3 axis = glm::cross(up, direction);
    return glm::normalize(glm::quat(1.0f + cosine, axis.x, axis.y, axis.z));
}

}  // namespace

CharacterRig::CharacterRig(Parts parts) : parts_(std::move(parts)) {}

void CharacterRig::apply(const CharacterPose& pose, Node& swingFrame) {
    const double leg = finiteOr(pose.leg, 0.0);
    for (const auto& shin : parts_.shins) setEulerX(*shin, -0.85 * leg - 0.25);
    for (const auto& thigh : parts_.thighs) setEulerX(*thigh, -0.22 * leg);
    setEulerX(*parts_.torso, -0.16 * leg);
    parts_.head->setEulerAngles(glm::vec3(static_cast<float>(finiteOr(pose.headPitch, 0.0)),
                                          static_cast<float>(finiteOr(pose.headYaw, 0.0)), 0.0f));
    const auto blink = static_cast<float>(std::max(finiteOr(pose.blink, 1.0), 0.0));
    for (const auto& eye : parts_.eyes) eye->setScale(glm::vec3(1.0f, blink, 1.0f));
    aimArmsAtChains(swingFrame, pose);
}

void CharacterRig::aimArmsAtChains(Node& swingFrame, const CharacterPose& pose) {
    for (const auto& arm : parts_.arms) {
        if (arm->parent() != nullptr) aimArm(*arm, swingFrame, pose.chainXs);
    }
}

// The hand goes where a straight arm of `armLength` meets the chain, above the shoulder; a chain out of
// reach still gets a point a little above the shoulder, so the arm reaches up toward it.
void CharacterRig::aimArm(Node& arm, Node& swingFrame, const std::vector<double>& chainXs) {
    const glm::vec3 shoulder = arm.convertPosition(glm::vec3(0.0f), &swingFrame);
    const double chainX = nearestChain(chainXs, shoulder.x);
    const double dx = chainX - shoulder.x;
    const double length = parts_.armLength;
    const double height =
        std::sqrt(std::max(length * length - dx * dx - double(shoulder.z) * shoulder.z, 0.05));
    const glm::vec3 target(static_cast<float>(chainX), static_cast<float>(shoulder.y + height), 0.0f);
    const glm::vec3 direction = arm.parent()->convertPositionFrom(target, &swingFrame) - arm.position();
    const float distance = glm::length(direction);
    if (!(distance > 1e-6f) || !std::isfinite(distance)) return;
    arm.setOrientation(turnFromUp(direction / distance));
}

void CharacterRig::markGrabbable(Node& node) {
    node.enumerateHierarchy([](Node& each, bool&) {
        if (each.geometry() && each.name().empty()) each.setName("grab");
    });
}

}  // namespace plimsa
