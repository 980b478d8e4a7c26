#include "character/CharacterRig.h"

#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "platform/scene/BoundingBox.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"

namespace plimsa {

namespace {

// The floor sit's drawn-up thigh above horizontal (0.3) and its shin forward of straight down (0.32), as
// the skinned characters turn theirs from a leg hanging straight down.
constexpr double kFoldedThighRise = -SeatFit::kFoldedThighTurn - std::numbers::pi / 2.0;
constexpr double kFoldedShinLean = -(SeatFit::kFoldedThighTurn + SeatFit::kFoldedShinTurn);
// Height of the hand's centre above the floor when it rests there: the hand box's half diagonal, so that no
// tilt puts a corner through the floor.
constexpr float kHandClearance = 0.125f;

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
    parts_.head->setEulerAngles(glm::vec3(static_cast<float>(finiteOr(pose.headPitch, 0.0)),
                                          static_cast<float>(finiteOr(pose.headYaw, 0.0)), 0.0f));
    const auto blink = static_cast<float>(std::max(finiteOr(pose.blink, 1.0), 0.0));
    for (const auto& eye : parts_.eyes) eye->setScale(glm::vec3(1.0f, blink, 1.0f));
    if (pose.floorSit) {
        sitOnFloor(pose);
        return;
    }
    const double leg = finiteOr(pose.leg, 0.0);
    for (const auto& shin : parts_.shins) setEulerX(*shin, -0.85 * leg - 0.25);
    for (const auto& thigh : parts_.thighs) setEulerX(*thigh, -0.22 * leg);
    setEulerX(*parts_.torso, -0.16 * leg);
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

// The floor sit matches the skinned characters' (SeatFit): the torso rocks by -0.03 leg + 0.02, the
// drawn-up thigh rises 0.3 above horizontal with its shin 0.32 forward of straight down, the other leg lies
// straight out in front. The figure's thighs already point forward and its shins hang down at rest, so the
// angles below are those turns less the rest pose. Either leg is raised further when it would go through
// the floor (the seat, y = 0 in the rig).
void CharacterRig::sitOnFloor(const CharacterPose& pose) {
    setEulerX(*parts_.torso, -0.03 * finiteOr(pose.leg, 0.0) + 0.02);
    // `foldedLeg` counts legs as a skinned character lists them, its left (+X) first, so the same knee
    // comes up whoever sits.
    const size_t legs = std::min(parts_.thighs.size(), parts_.shins.size());
    std::vector<size_t> order(legs);
    for (size_t i = 0; i < legs; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return parts_.thighs[a]->position().x > parts_.thighs[b]->position().x;
    });
    const bool foldsOne = pose.foldedLeg >= 0 && static_cast<size_t>(pose.foldedLeg) < legs;
    const size_t foldedPart = foldsOne ? order[static_cast<size_t>(pose.foldedLeg)] : legs;
    for (size_t i = 0; i < legs; ++i) setFloorLeg(i, i == foldedPart, floorChange(i, i == foldedPart));
    for (const auto& arm : parts_.arms) {
        if (arm->parent() == nullptr) continue;
        const float side = arm->convertPosition(glm::vec3(0.0f), parts_.root.get()).x < 0.0f ? -1.0f : 1.0f;
        if (foldsOne && side == pose.kneeHandSide) {
            restOnKnee(*arm, *parts_.shins[foldedPart], side);
        } else {
            restOnFloor(*arm, side);
        }
    }
}

void CharacterRig::setFloorLeg(size_t leg, bool folded, const SeatFit::FoldedLeg& change) {
    if (folded) {
        const double thigh = -kFoldedThighRise - change.thighRaise;
        setEulerX(*parts_.thighs[leg], thigh);
        setEulerX(*parts_.shins[leg], -kFoldedShinLean - change.shinLean - thigh);
    } else {
        // Out in front the leg is straight, so any change lifts it whole.
        setEulerX(*parts_.thighs[leg], -change.thighRaise - change.shinLean);
        setEulerX(*parts_.shins[leg], -std::numbers::pi / 2.0);
    }
}

// The least change that keeps every box of the shin (and foot) above the floor.
SeatFit::FoldedLeg CharacterRig::floorChange(size_t leg, bool folded) {
    floorChanges_.resize(std::max(floorChanges_.size(), leg + 1));
    std::optional<SeatFit::FoldedLeg>& cached = floorChanges_[leg][folded ? 0 : 1];
    if (!cached) {
        Node& shin = *parts_.shins[leg];
        cached = SeatFit::clearFloor([&](const SeatFit::FoldedLeg& change) {
            setFloorLeg(leg, folded, change);
            const glm::mat4 toRig = glm::inverse(parts_.root->worldTransform());
            double bottom = std::numeric_limits<double>::max();
            shin.enumerateHierarchy([&](Node& each, bool&) {
                if (each.geometry() == nullptr) return;
                const BoundingBox box =
                    each.geometry()->boundingBox().transformed(toRig * each.worldTransform());
                bottom = std::min(bottom, double{box.min.y});
            });
            return bottom;
        });
    }
    return *cached;
}

// The arm points at the top of the raised knee, a little to its outside; being straight, the hand comes to
// rest over the front of the knee.
void CharacterRig::restOnKnee(Node& arm, const Node& shin, float side) {
    const glm::vec3 knee = shin.convertPosition(glm::vec3(0.0f), arm.parent());
    const glm::vec3 outside = parts_.root->convertVector(glm::vec3(0.03f * side, 0.05f, 0.06f), arm.parent());
    const glm::vec3 direction = knee + outside - arm.position();
    const float distance = glm::length(direction);
    if (distance > 1e-6f && std::isfinite(distance)) arm.setOrientation(turnFromUp(direction / distance));
}

// The arm hangs a little out and forward, as a loose skinned arm does; when that would put the hand
// through the floor, it reaches out and forward instead until the hand lies on the floor.
void CharacterRig::restOnFloor(Node& arm, float side) {
    Node& root = *parts_.root;
    const glm::vec3 shoulder = arm.convertPosition(glm::vec3(0.0f), &root);
    glm::vec3 direction = glm::normalize(glm::vec3(0.08f * side, -1.0f, 0.08f));
    const float length = static_cast<float>(parts_.armLength);
    const float lowestReach = (kHandClearance - shoulder.y) / length;
    if (length > 1e-6f && direction.y < lowestReach) {
        const float down = std::clamp(lowestReach, -1.0f, 1.0f);
        const glm::vec3 across = glm::normalize(glm::vec3(0.4f * side, 0.0f, 0.9f));
        direction = across * std::sqrt(1.0f - down * down) + glm::vec3(0.0f, down, 0.0f);
    }
    const glm::vec3 local = glm::normalize(root.convertVector(direction, arm.parent()));
    if (std::isfinite(local.x + local.y + local.z)) arm.setOrientation(turnFromUp(local));
}

void CharacterRig::markGrabbable(Node& node) {
    node.enumerateHierarchy([](Node& each, bool&) {
        if (each.geometry() && each.name().empty()) each.setName("grab");
    });
}

}  // namespace plimsa
