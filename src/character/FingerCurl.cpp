#include "character/FingerCurl.h"

#include "character/BoneFrames.h"
#include "character/BonePoser.h"
#include "platform/scene/Node.h"
#include "platform/scene/TransformMath.h"

#include <algorithm>
#include <cmath>

namespace plimsa {

namespace {

using bone_frames::below;
using bone_frames::localTransform;

constexpr int kJoints = 6;
constexpr int kSteps = 16;     // table steps from straight to a closed fist
constexpr float kFist = 1.5f;  // radians per unit of joint weight at the last step
constexpr int kThumbSteps = 8;
constexpr int kRelaxedStep = 2;
constexpr int kRelaxedThumbStep = 1;
// How far each joint turns, from the knuckle out: the knuckle less than the middle joint, as a hand closes.
constexpr float kWeights[kJoints] = {0.6f, 1.0f, 0.8f, 0.8f, 0.8f, 0.8f};
// A finger's thickness (radius) as a fraction of its mean segment length.
constexpr float kThickness = 0.3f;
// A finger bone without a child to measure its tip by: the tip lies this far along, relative to the
// segment before it (or to the hand-to-knuckle distance for a finger of one bone).
constexpr float kTipLength = 0.8f;
constexpr float kSingleBoneTip = 0.4f;

// Per step and joint: the segment after the joint turned by the weights up to and including it (cos, sin),
// and the joint's own turn as a quaternion's half-angle cos and sin.
struct Table {
    float segmentCos[kSteps + 1][kJoints];
    float segmentSin[kSteps + 1][kJoints];
    float jointCos[kSteps + 1][kJoints];
    float jointSin[kSteps + 1][kJoints];
};

const Table& table() {
    static const Table t = [] {
        Table made{};
        for (int step = 0; step <= kSteps; ++step) {
            const float angle = kFist * static_cast<float>(step) / kSteps;
            float sum = 0.0f;
            for (int j = 0; j < kJoints; ++j) {
                sum += kWeights[j];
                made.segmentCos[step][j] = std::cos(angle * sum);
                made.segmentSin[step][j] = std::sin(angle * sum);
                made.jointCos[step][j] = std::cos(0.5f * angle * kWeights[j]);
                made.jointSin[step][j] = std::sin(0.5f * angle * kWeights[j]);
            }
        }
        return made;
    }();
    return t;
}

glm::vec3 unitOrZero(const glm::vec3& v) {
    const float length = glm::length(v);
    return length > 1e-9f && std::isfinite(length) ? v / length : glm::vec3(0.0f);
}

}  // namespace

FingerCurl::FingerCurl(const BonePoser& bones, const SkeletonBones::Arm& arm) {
    if (arm.hand == nullptr || (arm.fingers.empty() && arm.thumb.empty())) {
        return;
    }
    const glm::mat4& handRest = arm.hand->worldTransform();
    const float determinant = glm::determinant(glm::mat3(handRest));
    if (!std::isfinite(determinant) || std::fabs(determinant) < 1e-20f) {
        return;
    }
    const glm::vec3 pointing =
        arm.handEnd != nullptr
            ? unitOrZero(glm::vec3(below(*arm.hand, handRest, *arm.handEnd)[3]) - glm::vec3(handRest[3]))
            : glm::vec3(0.0f);
    // Fingers and palm in the hand's frame (the scene's axes scaled by the hand's world scale).
    const glm::mat3 toHand = glm::inverse(glm::mat3(handRest));
    const glm::vec3 fingersInHand = unitOrZero(toHand * pointing);
    const glm::vec3 palmInHand = unitOrZero(toHand * (BonePoser::orientationOf(handRest) * arm.palmLocal));
    const glm::vec3 knuckleAxis = unitOrZero(glm::cross(fingersInHand, palmInHand));
    if (knuckleAxis == glm::vec3(0.0f)) {
        return;
    }
    for (const std::vector<Node*>& chain : arm.fingers) {
        Finger finger;
        if (measure(bones, *arm.hand, handRest, chain, fingersInHand, finger)) {
            finger.axis = knuckleAxis;
            fingers_.push_back(finger);
        }
    }
    Finger thumb;
    if (measure(bones, *arm.hand, handRest, arm.thumb, fingersInHand, thumb)) {
        thumb.thumb = true;
        thumb.axis = unitOrZero(glm::cross(thumb.points[1] - thumb.points[0], palmInHand));
        if (thumb.axis != glm::vec3(0.0f)) {
            fingers_.push_back(thumb);
        }
    }
    for (Finger& finger : fingers_) {
        float length = 0.0f;
        for (int i = 0; i < finger.count; ++i) {
            const glm::vec3 segment = finger.points[i + 1] - finger.points[i];
            finger.along[i] = finger.axis * glm::dot(finger.axis, segment);
            finger.across[i] = segment - finger.along[i];
            finger.turned[i] = glm::cross(finger.axis, segment);
            length += glm::length(segment);
        }
        finger.thickness = kThickness * length / static_cast<float>(finger.count);
    }
}

bool FingerCurl::measure(const BonePoser& bones, const Node& hand, const glm::mat4& handRest,
                         const std::vector<Node*>& chain, const glm::vec3& pointing, Finger& finger) const {
    if (chain.empty() || chain.front() == nullptr || chain.front()->parent() == nullptr ||
        !hand.isAncestorOrSelf(chain.front()->parent())) {
        return false;
    }
    const glm::mat4 fromHand = glm::inverse(handRest);
    const glm::quat handTurn = BonePoser::orientationOf(handRest);
    glm::mat4 world(1.0f);
    for (Node* joint : chain) {
        // Each joint must hang below the one before it; the chain ends where it does not.
        const glm::quat* rest = joint != nullptr ? bones.restOf(*joint) : nullptr;
        if (finger.count == kMaxJoints || rest == nullptr ||
            (finger.count > 0 && !finger.joints[finger.count - 1]->isAncestorOrSelf(joint->parent()))) {
            break;
        }
        const glm::mat4 parentWorld = finger.count == 0
                                          ? below(hand, handRest, *joint->parent())
                                          : below(*finger.joints[finger.count - 1], world, *joint->parent());
        world = parentWorld * localTransform(*joint, *rest);
        const int i = finger.count++;
        finger.joints[i] = joint;
        finger.rest[i] = *rest;
        finger.parentInHand[i] = glm::inverse(handTurn) * BonePoser::orientationOf(parentWorld);
        finger.points[i] = glm::vec3(fromHand * world[3]);
    }
    if (finger.count == 0) {
        return false;
    }
    const int n = finger.count;
    const Node& last = *finger.joints[n - 1];
    if (!last.childNodes().empty()) {
        finger.points[n] =
            glm::vec3(fromHand * (world * glm::vec4(last.childNodes().front()->position(), 1.0f)));
    } else if (n >= 2) {
        finger.points[n] = finger.points[n - 1] + kTipLength * (finger.points[n - 1] - finger.points[n - 2]);
    } else {
        finger.points[n] = finger.points[0] + kSingleBoneTip * glm::length(finger.points[0]) * pointing;
    }
    return true;
}

bool FingerCurl::Finger::isClear(int at, const glm::vec3& barPoint, const glm::vec3& barDirection,
                                 float reach) const {
    const Table& t = table();
    glm::vec3 p = points[0];
    for (int i = 0; i < count; ++i) {
        p += along[i] + across[i] * t.segmentCos[at][i] + turned[i] * t.segmentSin[at][i];
        const glm::vec3 d = p - barPoint;
        const float onLine = glm::dot(d, barDirection);
        if (glm::dot(d, d) - onLine * onLine < reach * reach) {
            return false;
        }
    }
    return true;
}

// The largest step that keeps the finger out of the bar, searched as if closing further only goes deeper;
// last frame's step is tried first, as the hand meets the chain alike from frame to frame.
int FingerCurl::Finger::closest(int largest, int relaxed, const glm::vec3& barPoint,
                                const glm::vec3& barDirection, float barRadius) const {
    const float reach = barRadius + thickness;
    if (step >= 0 && step <= largest && isClear(step, barPoint, barDirection, reach) &&
        (step == largest || !isClear(step + 1, barPoint, barDirection, reach))) {
        return step;
    }
    if (!isClear(0, barPoint, barDirection, reach)) {
        return relaxed;
    }
    if (isClear(largest, barPoint, barDirection, reach)) {
        return largest;
    }
    int clear = 0;
    int blocked = largest;
    while (blocked - clear > 1) {
        const int middle = (clear + blocked) / 2;
        (isClear(middle, barPoint, barDirection, reach) ? clear : blocked) = middle;
    }
    return clear;
}

void FingerCurl::Finger::turn(int to) {
    if (to == step) {
        return;  // the joints already hold this step's turns, set from rest
    }
    step = to;
    const Table& t = table();
    for (int i = 0; i < count; ++i) {
        // Each joint turns about the axis as the hand sees it: local = H^-1 q H rest, H the parent's
        // orientation relative to the hand (turns about one axis commute, so the parents' turns drop out).
        const float s = t.jointSin[to][i];
        const glm::quat q(t.jointCos[to][i], s * axis.x, s * axis.y, s * axis.z);
        const glm::quat& h = parentInHand[i];
        joints[i]->setOrientation(to == 0 ? rest[i] : glm::inverse(h) * q * h * rest[i]);
    }
}

void FingerCurl::curl(const glm::mat4& handWorld, Grip grip, const Bar& bar) {
    if (fingers_.empty()) {
        return;
    }
    glm::vec3 barPoint(0.0f);
    glm::vec3 barDirection(0.0f);
    float barRadius = 0.0f;
    if (grip == Grip::bar) {
        const glm::mat4 toHand = transform_math::safeInverse(handWorld);
        barPoint = glm::vec3(toHand * glm::vec4(bar.point, 1.0f));
        barDirection = unitOrZero(glm::mat3(toHand) * bar.direction);
        barRadius = bar.radius * glm::length(glm::mat3(toHand)[0]);
        if (!transform_math::isFinite(barPoint) || !std::isfinite(barRadius)) {
            grip = Grip::relaxed;
        }
    }
    for (Finger& finger : fingers_) {
        const int relaxed = finger.thumb ? kRelaxedThumbStep : kRelaxedStep;
        const int largest = finger.thumb ? kThumbSteps : kSteps;
        switch (grip) {
            case Grip::open:
                finger.turn(0);
                break;
            case Grip::relaxed:
                finger.turn(relaxed);
                break;
            case Grip::bar:
                finger.turn(finger.closest(largest, relaxed, barPoint, barDirection, barRadius));
                break;
        }
    }
}

}  // namespace plimsa
