#include "character/ArmPoser.h"

#include "character/ArmSolver.h"
#include "character/BoneFrames.h"
#include "character/BonePoser.h"
#include "character/ChainFollower.h"
#include "character/ChainGrip.h"
#include "character/SkinnedCharacter.h"
#include "platform/scene/Node.h"
#include "platform/scene/TransformMath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plimsa {

namespace {

using bone_frames::below;
using bone_frames::localTransform;

constexpr float kMinBone = 0.0001f;
constexpr float kWristShortOfRope = 0.035f;
// A hand with fingers to curl holds the chain across its palm: its fingers point this far (radians) back
// from the chain, and the chain crosses the palm this far along from the wrist to the knuckles, a finger's
// thickness (this fraction of the knuckle distance) off the palm.
constexpr float kGripTilt = 0.9f;
constexpr float kChainAcrossPalm = 0.9f;
constexpr float kFingerThickness = 0.2f;
// A hand resting on the floor keeps its wrist this high above it (times the character's size).
constexpr float kWristAboveFloor = 0.06f;

glm::vec3 unit(const glm::vec3& v, const glm::vec3& fallback) {
    return ArmSolver::normalisedOr(v, fallback);
}

// Finite and invertible, or identity: a degenerate frame must not turn every bone into NaN.
glm::mat4 inverseOrIdentity(const glm::mat4& m) {
    const float determinant = glm::determinant(m);
    if (!std::isfinite(determinant) || std::fabs(determinant) < 1e-20f) {
        return glm::mat4(1.0f);
    }
    return glm::inverse(m);
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

glm::vec3 ArmPoser::rigDirection(const glm::vec3& v) const {
    return glm::vec3(rigToWorld_ * glm::vec4(v, 0.0f));
}

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

void ArmPoser::Frames::refreshHand(const SkeletonBones::Arm& arm) {
    hand = detached != nullptr ? detached->placement(fore) : below(*arm.fore, fore, *arm.hand);
}

void ArmPoser::settleAtRest(const Frames& frames) const {
    if (frames.detached != nullptr) {
        frames.detached->place(frames.hand);
    }
    if (frames.fingers != nullptr) {
        frames.fingers->curl(frames.hand, FingerCurl::Grip::open, {});
    }
}

void ArmPoser::pose(const SkeletonBones::Arm& arm, const ChainFollower* detachedHand,
                    FingerCurl* fingers) const {
    if (arm.upper->parent() == nullptr) {
        return;
    }
    restArm(arm);
    Frames frames;
    frames.detached = detachedHand;
    frames.fingers = fingers != nullptr && fingers->curls() ? fingers : nullptr;
    frames.parent = arm.upper->parent()->worldTransform();
    frames.refreshFromUpper(arm);
    const glm::vec3 shoulder(frames.upper[3]);
    const glm::vec3 elbow(frames.fore[3]);
    const glm::vec3 wrist(frames.hand[3]);
    const float upper = glm::distance(elbow, shoulder);
    const float fore = glm::distance(wrist, elbow);
    if (!(upper > kMinBone) || !(fore > kMinBone) || !std::isfinite(upper + fore)) {
        settleAtRest(frames);
        return;
    }
    const glm::vec3 rigShoulder(worldToRig_ * glm::vec4(shoulder, 1.0f));
    float knuckle = 0.0f;
    if (frames.fingers != nullptr && arm.handEnd != nullptr) {
        knuckle = glm::distance(glm::vec3(below(*arm.hand, frames.hand, *arm.handEnd)[3]), wrist);
        knuckle = std::isfinite(knuckle) ? knuckle : 0.0f;
    }
    const Reach reach{shoulder, elbow, upper, fore, rigShoulder, rigShoulder.x < 0.0f ? -1.0f : 1.0f,
                      knuckle};

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
    if (!goal) {
        settleAtRest(frames);
        return;
    }
    solve(arm, frames, reach, *goal);
    if (frames.fingers != nullptr) {
        frames.fingers->curl(frames.hand, goal->grip, goal->bar);
    }
}

std::optional<ArmPoser::Goal> ArmPoser::kneeGoal(const Reach& reach) const {
    if (!pose_.floorSit || reach.side != pose_.kneeHandSide || pose_.foldedLeg < 0 ||
        static_cast<size_t>(pose_.foldedLeg) >= legs_.size()) {
        return std::nullopt;
    }
    const SkeletonBones::Leg& leg = legs_[static_cast<size_t>(pose_.foldedLeg)];
    const Node& shin = *leg.shin;
    const Node& foot = leg.foot != nullptr         ? *leg.foot
                       : shin.childNodes().empty() ? shin
                                                   : *shin.childNodes().front();
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
        FingerCurl::Grip::relaxed,
        {},
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
    const glm::vec3 up =
        unit(swingVector(rope->top - rope->bottom), unit(rigDirection({0, 1, 0}), {0, 1, 0}));
    const glm::vec3 across(grip->x - shoulder.x, 0.0f, grip->z - shoulder.z);
    const glm::vec3 sideways(grip->x < shoulder.x ? -1.0f : 1.0f, 0.0f, 0.0f);
    const glm::vec3 outward = glm::length(across) < 0.0001f ? unit(swingVector(sideways), sideways)
                                                            : unit(swingVector(across), sideways);
    const glm::vec3 onRope = swingPoint(*grip);
    const FingerCurl::Bar bar{onRope, up, kChainRadius * glm::length(swingVector({1.0f, 0.0f, 0.0f}))};
    const glm::vec3 bendHint = rigDirection({reach.side, -0.45f, 0.35f});
    if (!(reach.knuckle > 0.0f)) {
        return Goal{onRope - kWristShortOfRope * outward, bendHint, up, outward, FingerCurl::Grip::bar, bar};
    }
    // Tilting the fingers back (away from the character's front) brings the thumb up, as people hold a chain.
    static const float kTiltCos = std::cos(kGripTilt);
    static const float kTiltSin = std::sin(kGripTilt);
    glm::vec3 back = rigDirection({0.0f, 0.0f, -1.0f});
    back -= glm::dot(back, up) * up;
    back = unit(back - glm::dot(back, outward) * outward, glm::cross(up, outward));
    const glm::vec3 fingers = unit(kTiltCos * up + kTiltSin * back, up);
    const float offPalm = bar.radius + kFingerThickness * reach.knuckle;
    return Goal{
        onRope - offPalm * outward - kChainAcrossPalm * reach.knuckle * fingers,
        bendHint,
        fingers,
        outward,
        FingerCurl::Grip::bar,
        bar,
    };
}

ArmPoser::Goal ArmPoser::lapGoal(float side) const {
    return Goal{
        rigPoint({0.13f * side, 0.17f, 0.3f}),
        rigDirection({0.6f * side, 0.0f, -1.0f}),
        unit(rigDirection({0.0f, -1.0f, 0.0f}), {0.0f, -1.0f, 0.0f}),
        unit(rigDirection({0.0f, 0.0f, 1.0f}), {0.0f, 0.0f, 1.0f}),
        FingerCurl::Grip::relaxed,
        {},
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
        FingerCurl::Grip::open,
        {},
    };
}

ArmPoser::Goal ArmPoser::looseGoal(const Reach& reach) const {
    const float side = reach.side;
    const glm::vec3& sh = reach.rigShoulder;
    if (pose_.floorSit) {
        // Hanging down, the hand would go through the floor (the seat plane): it rests flat on it beside the
        // hip instead, fingers forward.
        const float size =
            std::isfinite(pose_.sizeMultiplier) ? static_cast<float>(pose_.sizeMultiplier) : 1.0f;
        return Goal{
            rigPoint({sh.x + 0.14f * side,
                      std::max(kWristAboveFloor * size, sh.y - 0.95f * (reach.upper + reach.fore)), 0.12f}),
            rigDirection({0.3f * side, 0.0f, -1.0f}),
            unit(rigDirection({0.25f * side, 0.0f, 1.0f}), {0.0f, 0.0f, 1.0f}),
            unit(rigDirection({0.0f, -1.0f, 0.0f}), {0.0f, -1.0f, 0.0f}),
            FingerCurl::Grip::relaxed,
            {},
        };
    }
    return Goal{
        rigPoint({sh.x + 0.08f * side, sh.y - 0.92f * (reach.upper + reach.fore), 0.08f}),
        rigDirection({0.3f * side, 0.0f, -1.0f}),
        unit(rigDirection({0.0f, -1.0f, 0.0f}), {0.0f, -1.0f, 0.0f}),
        unit(rigDirection({-side, 0.0f, 0.0f}), {-side, 0.0f, 0.0f}),
        FingerCurl::Grip::relaxed,
        {},
    };
}

void ArmPoser::solve(const SkeletonBones::Arm& arm, Frames& frames, const Reach& reach,
                     const Goal& goal) const {
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
        arm.handEnd != nullptr ? glm::vec3(frames.hand * glm::vec4(localTransform(*arm.handEnd)[3])) - hand
                               : alongForearm;
    const glm::vec3 current = unit(pointing, unit(alongForearm, glm::vec3(0.0f)));
    if (glm::length(current) == 0.0f) {
        if (frames.detached != nullptr) {
            frames.detached->place(frames.hand);
        }
        return;  // no direction to turn from: the hand stays at rest
    }
    const glm::vec3 currentPalm = BonePoser::orientationOf(frames.hand) * arm.palmLocal;
    const glm::quat turn = ArmSolver::handTurn(current, currentPalm, fingers, palm);
    if (frames.detached != nullptr) {
        // Hanging elsewhere, the hand is turned where the forearm's end put it, and placed there.
        const glm::mat3 turned = glm::mat3_cast(turn) * glm::mat3(frames.hand);
        frames.hand = glm::mat4(glm::vec4(turned[0], 0.0f), glm::vec4(turned[1], 0.0f),
                                glm::vec4(turned[2], 0.0f), frames.hand[3]);
        frames.detached->place(frames.hand);
        return;
    }
    bones_.applyWorld(*arm.hand, parentOrientation(*arm.fore, frames.fore, *arm.hand), turn);
    frames.refreshHand(arm);
}

}  // namespace plimsa
