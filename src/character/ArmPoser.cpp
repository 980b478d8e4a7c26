#include "character/ArmPoser.h"

#include "character/ArmSolver.h"
#include "character/BonePoser.h"
#include "character/ChainGrip.h"
#include "character/SkinnedCharacter.h"
#include "platform/scene/Node.h"
#include "platform/scene/TransformMath.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plimsa {

namespace {

constexpr float kMinBone = 0.0001f;
constexpr float kWristShortOfRope = 0.035f;

glm::vec3 unit(const glm::vec3& v, const glm::vec3& fallback) { return ArmSolver::normalisedOr(v, fallback); }

// Finite and invertible, or identity: a degenerate frame must not turn every bone into NaN.
glm::mat4 inverseOrIdentity(const glm::mat4& m) {
    const float determinant = glm::determinant(m);
    if (!std::isfinite(determinant) || std::fabs(determinant) < 1e-20f) {
        return glm::mat4(1.0f);
    }
    return glm::inverse(m);
}

// Node::transform() without its general matrix products: T R S, times the pivot's inverse only when the
// node has a pivot (bones do not).
glm::mat4 localTransform(const Node& node) {
    const glm::mat3 rotation = glm::mat3_cast(node.orientation());
    const glm::vec3& scale = node.scale();
    glm::mat4 local(glm::vec4(rotation[0] * scale.x, 0.0f), glm::vec4(rotation[1] * scale.y, 0.0f),
                    glm::vec4(rotation[2] * scale.z, 0.0f), glm::vec4(node.position(), 1.0f));
    if (node.pivot() != glm::mat4(1.0f)) {
        local = local * glm::inverse(node.pivot());
    }
    return local;
}

// The world transform of `node` given that of `ancestor`: through the nodes between them (a wrist bone
// between forearm and hand, say), or from the scene graph when `node` is not below `ancestor` at all.
glm::mat4 below(const Node& ancestor, const glm::mat4& ancestorWorld, const Node& node) {
    if (node.parent() == &ancestor) {
        return ancestorWorld * localTransform(node);
    }
    glm::mat4 path(1.0f);
    for (const Node* at = &node; at != &ancestor; at = at->parent()) {
        if (at == nullptr) {
            return node.worldTransform();
        }
        path = localTransform(*at) * path;
    }
    return ancestorWorld * path;
}

// The world orientation of `bone`'s parent, given the world transform of `ancestor`: the parent itself,
// or a bone further up with others (a wrist, a twist bone) between them.
glm::quat parentOrientation(const Node& ancestor, const glm::mat4& ancestorWorld, const Node& bone) {
    if (bone.parent() == &ancestor || bone.parent() == nullptr) {
        return BonePoser::orientationOf(ancestorWorld);
    }
    return BonePoser::orientationOf(below(ancestor, ancestorWorld, *bone.parent()));
}

}  // namespace

ArmPoser::ArmPoser(const BonePoser& bones, const glm::mat4& rigToWorld, const Node& swingFrame,
                   std::span<const SkeletonBones::Leg> legs, const CharacterPose& pose)
    : bones_(bones),
      legs_(legs),
      pose_(pose),
      rigToWorld_(rigToWorld),
      worldToRig_(inverseOrIdentity(rigToWorld_)),
      swingToWorld_(swingFrame.worldTransform()),
      worldToSwing_(inverseOrIdentity(swingToWorld_)) {
    if (pose.ropes.empty()) {
        ropes_.reserve(pose.chainXs.size());
        for (double x : pose.chainXs) {
            const float fx = static_cast<float>(x);
            ropes_.push_back(Rope{{fx, 0.0f, 0.0f}, {fx, -10.0f, 0.0f}});
        }
    }
}

glm::vec3 ArmPoser::rigDirection(const glm::vec3& v) const { return glm::vec3(rigToWorld_ * glm::vec4(v, 0.0f)); }

void ArmPoser::restArm(const SkeletonBones::Arm& arm) const {
    bones_.resetBone(*arm.upper);
    bones_.resetBone(*arm.fore);
    bones_.resetBone(*arm.hand);
}

void ArmPoser::Frames::refreshFromUpper(const SkeletonBones::Arm& arm) {
    upper = parent * localTransform(*arm.upper);
    refreshFromFore(arm);
}

void ArmPoser::Frames::refreshFromFore(const SkeletonBones::Arm& arm) {
    fore = below(*arm.upper, upper, *arm.fore);
    refreshHand(arm);
}

void ArmPoser::Frames::refreshHand(const SkeletonBones::Arm& arm) { hand = below(*arm.fore, fore, *arm.hand); }

void ArmPoser::pose(const SkeletonBones::Arm& arm) const {
    if (arm.upper->parent() == nullptr) {
        return;
    }
    restArm(arm);
    Frames frames;
    frames.parent = arm.upper->parent()->worldTransform();
    frames.refreshFromUpper(arm);
    const glm::vec3 shoulder(frames.upper[3]);
    const glm::vec3 elbow(frames.fore[3]);
    const glm::vec3 wrist(frames.hand[3]);
    const float upper = glm::distance(elbow, shoulder);
    const float fore = glm::distance(wrist, elbow);
    if (!(upper > kMinBone) || !(fore > kMinBone) || !std::isfinite(upper + fore)) {
        return;
    }
    const glm::vec3 rigShoulder(worldToRig_ * glm::vec4(shoulder, 1.0f));
    const Reach reach{shoulder, elbow, upper, fore, rigShoulder, rigShoulder.x < 0.0f ? -1.0f : 1.0f};

    std::optional<Goal> goal = kneeGoal(reach);
    if (!goal) {
        switch (pose_.handFor(rigShoulder.x)) {
            case HandMode::chain:
                goal = chainGoal(reach);
                break;
            case HandMode::wave:
                goal = waveGoal(reach);
                break;
            case HandMode::loose:
                goal = looseGoal(reach);
                break;
        }
    }
    if (goal) {
        solve(arm, frames, reach, *goal);
    }
}

std::optional<ArmPoser::Goal> ArmPoser::kneeGoal(const Reach& reach) const {
    if (!pose_.floorSit || reach.side != pose_.kneeHandSide || pose_.foldedLeg < 0 ||
        static_cast<size_t>(pose_.foldedLeg) >= legs_.size()) {
        return std::nullopt;
    }
    const Node& shin = *legs_[static_cast<size_t>(pose_.foldedLeg)].shin;
    const Node& foot = shin.childNodes().empty() ? shin : *shin.childNodes().front();
    const glm::vec3 knee(worldToRig_ * glm::vec4(shin.worldPosition(), 1.0f));
    const glm::vec3 heel(worldToRig_ * glm::vec4(foot.worldPosition(), 1.0f));
    glm::vec3 shinDirection(0.0f, heel.y - knee.y, heel.z - knee.z);
    if (!(glm::length(shinDirection) >= 0.001f)) {
        shinDirection = glm::vec3(0.0f, -1.0f, 0.0f);
    }
    const float side = reach.side;
    return Goal{
        rigPoint({knee.x + 0.03f * side, knee.y + 0.05f, knee.z + 0.06f}),
        rigDirection({side, -0.2f, -0.6f}),
        unit(rigDirection(shinDirection + glm::vec3(0.0f, -0.2f, 0.9f)), glm::vec3(0.0f, 0.0f, 1.0f)),
        unit(rigDirection({0.0f, -1.0f, 0.2f}), glm::vec3(0.0f, -1.0f, 0.0f)),
    };
}

std::optional<ArmPoser::Goal> ArmPoser::chainGoal(const Reach& reach) const {
    const std::span<const Rope> ropes = pose_.ropes.empty() ? std::span<const Rope>(ropes_) : pose_.ropes;
    const glm::vec3 shoulder(worldToSwing_ * glm::vec4(reach.shoulder, 1.0f));
    const std::optional<Rope> rope = ChainGrip::nearestRope(ropes, shoulder, reach.side);
    if (!rope) {
        return std::nullopt;
    }
    const float gripDistance = static_cast<float>(pose_.gripReach) * (reach.upper + reach.fore);
    const std::optional<glm::vec3> grip = ChainGrip::gripPoint(*rope, shoulder, gripDistance);
    if (!grip) {
        SkinnedCharacter::lapFallbacks.fetch_add(1, std::memory_order_relaxed);
        if (std::getenv("PLIMSA_DEBUG") != nullptr) {
            std::printf("LAP FALLBACK side=%.1f\n", static_cast<double>(reach.side));
        }
        return lapGoal(reach.side);
    }
    const glm::vec3 fingers = unit(swingVector(rope->top - rope->bottom), unit(rigDirection({0, 1, 0}), {0, 1, 0}));
    const glm::vec3 across(grip->x - shoulder.x, 0.0f, grip->z - shoulder.z);
    const glm::vec3 sideways(grip->x < shoulder.x ? -1.0f : 1.0f, 0.0f, 0.0f);
    const glm::vec3 outward = glm::length(across) < 0.0001f ? unit(swingVector(sideways), sideways)
                                                              : unit(swingVector(across), sideways);
    return Goal{
        swingPoint(*grip) - kWristShortOfRope * outward,
        rigDirection({reach.side, -0.45f, 0.35f}),
        fingers,
        outward,
    };
}

ArmPoser::Goal ArmPoser::lapGoal(float side) const {
    return Goal{
        rigPoint({0.13f * side, 0.17f, 0.3f}),
        rigDirection({0.6f * side, 0.0f, -1.0f}),
        unit(rigDirection({0.0f, -1.0f, 0.0f}), {0.0f, -1.0f, 0.0f}),
        unit(rigDirection({0.0f, 0.0f, 1.0f}), {0.0f, 0.0f, 1.0f}),
    };
}

ArmPoser::Goal ArmPoser::waveGoal(const Reach& reach) const {
    const float w = static_cast<float>(0.09 * std::sin(7.0 * pose_.time));
    const float side = reach.side;
    const glm::vec3& sh = reach.rigShoulder;
    return Goal{
        rigPoint({sh.x + 0.3f * side + w, sh.y + 0.42f, 0.18f}),
        rigDirection({side, -0.6f, 0.0f}),
        unit(rigDirection({3.0f * w, 1.0f, 0.0f}), {0.0f, 1.0f, 0.0f}),
        unit(rigDirection({0.0f, 0.0f, 1.0f}), {0.0f, 0.0f, 1.0f}),
    };
}

ArmPoser::Goal ArmPoser::looseGoal(const Reach& reach) const {
    const float side = reach.side;
    const glm::vec3& sh = reach.rigShoulder;
    return Goal{
        rigPoint({sh.x + 0.08f * side, sh.y - 0.92f * (reach.upper + reach.fore), 0.08f}),
        rigDirection({0.3f * side, 0.0f, -1.0f}),
        unit(rigDirection({0.0f, -1.0f, 0.0f}), {0.0f, -1.0f, 0.0f}),
        unit(rigDirection({-side, 0.0f, 0.0f}), {-side, 0.0f, 0.0f}),
    };
}

void ArmPoser::solve(const SkeletonBones::Arm& arm, Frames& frames, const Reach& reach, const Goal& goal) const {
    const glm::vec3 upperDirection = (reach.elbow - reach.shoulder) / reach.upper;
    const glm::vec3 fallbackAxis = unit(rigDirection({1.0f, 0.0f, 0.0f}), {1.0f, 0.0f, 0.0f});
    const glm::vec3 elbow = ArmSolver::elbowTarget(reach.shoulder, goal.target, reach.upper, reach.fore,
                                                   goal.bendHint, fallbackAxis, upperDirection);
    bones_.applyWorld(
        *arm.upper, BonePoser::orientationOf(frames.parent),
        transform_math::rotationBetween(upperDirection, unit(elbow - reach.shoulder, upperDirection)));
    frames.refreshFromUpper(arm);

    const glm::vec3 newElbow(frames.fore[3]);
    const glm::vec3 foreDirection = unit(glm::vec3(frames.hand[3]) - newElbow, upperDirection);
    bones_.applyWorld(
        *arm.fore, parentOrientation(*arm.upper, frames.upper, *arm.fore),
        transform_math::rotationBetween(foreDirection, unit(goal.target - newElbow, foreDirection)));
    frames.refreshFromFore(arm);

    orientHand(arm, frames, goal.fingers, goal.palm);
}

void ArmPoser::orientHand(const SkeletonBones::Arm& arm, Frames& frames, const glm::vec3& fingers,
                          const glm::vec3& palm) const {
    bones_.resetBone(*arm.hand);
    frames.refreshHand(arm);
    const glm::vec3 hand(frames.hand[3]);
    const glm::vec3 alongForearm = hand - glm::vec3(frames.fore[3]);
    const glm::vec3 pointing =
        arm.handEnd != nullptr ? glm::vec3(frames.hand * glm::vec4(localTransform(*arm.handEnd)[3])) - hand : alongForearm;
    const glm::vec3 current = unit(pointing, unit(alongForearm, glm::vec3(0.0f)));
    if (glm::length(current) == 0.0f) {
        return;  // no direction to turn from: the hand stays at rest
    }
    const glm::vec3 currentPalm = BonePoser::orientationOf(frames.hand) * arm.palmLocal;
    bones_.applyWorld(*arm.hand, parentOrientation(*arm.fore, frames.fore, *arm.hand),
                      ArmSolver::handTurn(current, currentPalm, fingers, palm));
}

}  // namespace plimsa
