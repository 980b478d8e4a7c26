#include "character/FingerCurl.h"

#include "character/BoneFrames.h"
#include "character/BonePoser.h"
#include "platform/scene/Node.h"

#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>
#include <span>

namespace plimsa {

namespace {

using bone_frames::below;
using bone_frames::localTransform;

constexpr int kMaxJoints = 6;  // a longer finger curls its first six joints
constexpr int kSteps = 16;     // table steps from straight to a closed fist
constexpr float kFist = 1.5f;  // radians per unit of joint weight at the last step
constexpr int kThumbSteps = 8;
constexpr int kRelaxedStep = 2;
constexpr int kRelaxedThumbStep = 1;
// How far each joint turns, from the knuckle out: the knuckle less than the middle joint, as a hand closes.
constexpr float kWeights[kMaxJoints] = {0.6f, 1.0f, 0.8f, 0.8f, 0.8f, 0.8f};
// A finger's thickness (radius) as a fraction of its mean segment length.
constexpr float kThickness = 0.3f;
// A finger bone without a child to measure its tip by: the tip lies this far along, relative to the
// segment before it (or to the hand-to-knuckle distance for a finger of one bone).
constexpr float kTipLength = 0.8f;
constexpr float kSingleBoneTip = 0.4f;

// Per step and joint: the segment after the joint turned by the weights up to and including it (cos, sin),
// and the joint's own turn as a quaternion's half-angle cos and sin.
struct Table {
    float segmentCos[kSteps + 1][kMaxJoints];
    float segmentSin[kSteps + 1][kMaxJoints];
    float jointCos[kSteps + 1][kMaxJoints];
    float jointSin[kSteps + 1][kMaxJoints];
};

const Table& table() {
    static const Table t = [] {
        Table made{};
        for (int step = 0; step <= kSteps; ++step) {
            const float angle = kFist * static_cast<float>(step) / kSteps;
            float sum = 0.0f;
            for (int j = 0; j < kMaxJoints; ++j) {
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

// One finger (or the thumb) measured with every joint at rest on the posed hand: its joints' parents'
// world orientations and its segments, each split about the curl axis for the Rodrigues turn.
struct Finger {
    int count = 0;
    Node* joints[kMaxJoints] = {};
    glm::quat parentWorld[kMaxJoints];
    glm::vec3 points[kMaxJoints + 1];  // the joints, then the tip
    glm::vec3 axis{0.0f};
    glm::vec3 along[kMaxJoints];
    glm::vec3 across[kMaxJoints];
    glm::vec3 turned[kMaxJoints];
    float clearance = 0.0f;

    bool measure(const BonePoser& bones, const Node& hand, const glm::mat4& handWorld,
                 std::span<Node* const> chain, const glm::vec3& pointing);
    void prepare(const glm::vec3& curlAxis);
    bool isClear(int step, const FingerCurl::Bar& bar) const;
    int closest(int largest, int relaxed, const FingerCurl::Bar& bar) const;
    void turn(const BonePoser& bones, int step) const;
};

bool Finger::measure(const BonePoser& bones, const Node& hand, const glm::mat4& handWorld,
                     std::span<Node* const> chain, const glm::vec3& pointing) {
    if (chain.empty() || chain.front() == nullptr || chain.front()->parent() == nullptr) {
        return false;
    }
    const Node* parent = chain.front()->parent();
    glm::mat4 parentMatrix = parent == &hand ? handWorld : below(hand, handWorld, *parent);
    glm::mat4 world(1.0f);
    for (Node* joint : chain.first(std::min<size_t>(chain.size(), kMaxJoints))) {
        // Each joint must hang below the one before it; the chain ends where it does not.
        if (joint == nullptr || (count > 0 && joint->parent() != joints[count - 1] &&
                                 !joints[count - 1]->isAncestorOrSelf(joint->parent()))) {
            break;
        }
        if (count > 0) {
            parentMatrix = joint->parent() == joints[count - 1]
                               ? world
                               : below(*joints[count - 1], world, *joint->parent());
        }
        bones.resetBone(*joint);
        parentWorld[count] = BonePoser::orientationOf(parentMatrix);
        world = parentMatrix * localTransform(*joint);
        joints[count] = joint;
        points[count] = glm::vec3(world[3]);
        ++count;
    }
    const Node& last = *joints[count - 1];
    if (!last.childNodes().empty()) {
        points[count] = glm::vec3(world * glm::vec4(last.childNodes().front()->position(), 1.0f));
    } else if (count >= 2) {
        points[count] = points[count - 1] + kTipLength * (points[count - 1] - points[count - 2]);
    } else {
        points[count] =
            points[0] + kSingleBoneTip * glm::distance(points[0], glm::vec3(handWorld[3])) * pointing;
    }
    return true;
}

void Finger::prepare(const glm::vec3& curlAxis) {
    axis = curlAxis;
    float length = 0.0f;
    for (int i = 0; i < count; ++i) {
        const glm::vec3 segment = points[i + 1] - points[i];
        along[i] = axis * glm::dot(axis, segment);
        across[i] = segment - along[i];
        turned[i] = glm::cross(axis, segment);
        length += glm::length(segment);
    }
    clearance = kThickness * length / static_cast<float>(count);
}

bool Finger::isClear(int step, const FingerCurl::Bar& bar) const {
    const Table& t = table();
    const float reach = bar.radius + clearance;
    glm::vec3 at = points[0];
    for (int i = 0; i < count; ++i) {
        at += along[i] + across[i] * t.segmentCos[step][i] + turned[i] * t.segmentSin[step][i];
        const glm::vec3 d = at - bar.point;
        const float onLine = glm::dot(d, bar.direction);
        if (glm::dot(d, d) - onLine * onLine < reach * reach) {
            return false;
        }
    }
    return true;
}

// The largest step that keeps the finger out of the bar, searched as if closing further only goes deeper.
int Finger::closest(int largest, int relaxed, const FingerCurl::Bar& bar) const {
    if (!isClear(0, bar)) {
        return relaxed;
    }
    if (isClear(largest, bar)) {
        return largest;
    }
    int clear = 0;
    int blocked = largest;
    while (blocked - clear > 1) {
        const int middle = (clear + blocked) / 2;
        (isClear(middle, bar) ? clear : blocked) = middle;
    }
    return clear;
}

void Finger::turn(const BonePoser& bones, int step) const {
    if (step == 0) {
        return;  // measure left every joint at rest
    }
    const Table& t = table();
    for (int i = 0; i < count; ++i) {
        // Turns about one axis commute, so each joint's turn is the same whether or not its parent turned.
        const float s = t.jointSin[step][i];
        bones.applyWorld(*joints[i], parentWorld[i],
                         glm::quat(t.jointCos[step][i], s * axis.x, s * axis.y, s * axis.z));
    }
}

void resetChain(const BonePoser& bones, std::span<Node* const> chain) {
    for (Node* joint : chain) {
        if (joint != nullptr) {
            bones.resetBone(*joint);
        }
    }
}

}  // namespace

void FingerCurl::curl(const BonePoser& bones, const SkeletonBones::Arm& arm, const glm::mat4& handWorld,
                      const glm::vec3& fingers, const glm::vec3& palm, Grip grip, const Bar& bar) {
    const glm::vec3 cross = glm::cross(fingers, palm);
    const float crossLength = glm::length(cross);
    if (grip == Grip::open || !(crossLength > 1e-4f) || !std::isfinite(crossLength)) {
        for (const std::vector<Node*>& finger : arm.fingers) {
            resetChain(bones, finger);
        }
        resetChain(bones, arm.thumb);
        return;
    }
    const glm::vec3 knuckleAxis = cross / crossLength;
    for (const std::vector<Node*>& chain : arm.fingers) {
        Finger finger;
        if (!finger.measure(bones, *arm.hand, handWorld, chain, fingers)) {
            continue;
        }
        finger.prepare(knuckleAxis);
        finger.turn(bones, grip == Grip::bar ? finger.closest(kSteps, kRelaxedStep, bar) : kRelaxedStep);
    }
    Finger thumb;
    if (!thumb.measure(bones, *arm.hand, handWorld, arm.thumb, fingers)) {
        return;
    }
    const glm::vec3 thumbAxis = glm::cross(thumb.points[1] - thumb.points[0], palm);
    const float thumbLength = glm::length(thumbAxis);
    if (!(thumbLength > 1e-9f) || !std::isfinite(thumbLength)) {
        return;
    }
    thumb.prepare(thumbAxis / thumbLength);
    thumb.turn(bones,
               grip == Grip::bar ? thumb.closest(kThumbSteps, kRelaxedThumbStep, bar) : kRelaxedThumbStep);
}

}  // namespace plimsa
