#include "character/BoneShape.h"

#include "character/HandBones.h"
#include "platform/scene/Node.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

namespace plimsa {

namespace {

// Fractions of the skeleton's height (or of a limb's length, where said).
constexpr float kMinSplitHeight = 0.2f;  // a leg split stands this far above the floor
constexpr float kMinLegDrop = 0.15f;     // a leg runs at least this far below the split ...
constexpr float kLegDropOfSplit = 0.3f;  // ... and this share of the split's height above the floor
constexpr float kMinRise = 0.15f;        // an upward chain rises at least this far
constexpr float kMinArmSpan = 0.08f;     // an arm reaches at least this far sideways
constexpr float kHipLevel = 0.1f;        // of the leg: joints this close below the first are still at the hip
constexpr float kAnkleDrop =
    0.5f;  // of the shin: the ankle lies at least this far from the knee to the bottom
constexpr float kShortLeg = 0.3f;         // of the hip's height: a leg ending higher stops at the knee
constexpr float kFootSearchWidth = 0.1f;  // a foot outside the leg lies this close under the knee
constexpr float kCollarShare = 0.3f;      // of the arm: a shorter first segment is a collar bone
constexpr float kFingerShare = 0.4f;  // of the arm up to the hand: the most the rest of its chain measures
constexpr float kJointAtEnd = 0.02f;  // joints closer than this stand at the same place

struct Joint {
    Node* node = nullptr;
    int parent = -1;
    std::vector<int> children;
    glm::vec3 at{0.0f};
    glm::vec3 lowest{0.0f};  // the lowest joint of the subtree
    float high = 0.0f;       // the highest y of the subtree
};

class ShapeReader {
  public:
    explicit ShapeReader(Node& model);
    BoneRoles read();

  private:
    struct Split {
        int joint = -1;
        int sides[2] = {-1, -1};  // the lowest-reaching downward child on +X and on -X
    };

    std::optional<Split> legSplit() const;
    int hipsFor(const Split& split) const;
    std::vector<int> upwardPath(int hips, const Split& split) const;
    std::optional<SkeletonBones::Leg> readLeg(int start) const;
    std::optional<SkeletonBones::Arm> readArm(int start) const;
    Node* footOutside(int legStart, const glm::vec3& hip, const glm::vec3& knee) const;
    int handOutside(int armStart, const std::vector<int>& path) const;
    bool hangsFromRoot(int candidate, int limbStart) const;
    float facing(const BoneRoles& roles) const;

    float y(int i) const { return joints_[static_cast<size_t>(i)].at.y; }
    const Joint& joint(int i) const { return joints_[static_cast<size_t>(i)]; }
    bool isBelow(int node, int ancestor) const;
    float reachFrom(int root, const glm::vec3& from) const;
    float sideways(int root, float centreX, float& signedX, int& count) const;

    std::vector<Joint> joints_;
    std::unordered_map<const Node*, int> index_;
    int hips_ = -1;
    float floor_ = 0.0f;
    float height_ = 0.0f;
};

ShapeReader::ShapeReader(Node& model) {
    model.enumerateChildNodes([&](Node& node, bool&) {
        if (node.geometry() != nullptr || node.name() == "grab") return;
        Joint joint;
        joint.node = &node;
        joint.at = model.convertPositionFrom(node.worldPosition(), nullptr);
        // Bones under a mesh node still belong to the skeleton: link them to the nearest joint above.
        for (const Node* up = node.parent(); up != nullptr && up != &model; up = up->parent()) {
            if (auto found = index_.find(up); found != index_.end()) {
                joint.parent = found->second;
                break;
            }
        }
        index_[&node] = static_cast<int>(joints_.size());
        if (joint.parent >= 0)
            joints_[static_cast<size_t>(joint.parent)].children.push_back(static_cast<int>(joints_.size()));
        joints_.push_back(std::move(joint));
    });
    if (joints_.empty()) return;
    float top = -std::numeric_limits<float>::max();
    floor_ = std::numeric_limits<float>::max();
    // Children follow their parents, so a backward pass sees every subtree before its root.
    for (auto it = joints_.rbegin(); it != joints_.rend(); ++it) {
        it->lowest = it->at;
        it->high = it->at.y;
        for (int child : it->children) {
            const Joint& below = joint(child);
            if (below.lowest.y < it->lowest.y) it->lowest = below.lowest;
            it->high = std::max(it->high, below.high);
        }
        floor_ = std::min(floor_, it->at.y);
        top = std::max(top, it->at.y);
    }
    height_ = top - floor_;
}

bool ShapeReader::isBelow(int node, int ancestor) const {
    for (int at = node; at >= 0; at = joint(at).parent) {
        if (at == ancestor) return true;
    }
    return false;
}

float ShapeReader::reachFrom(int root, const glm::vec3& from) const {
    float reach = glm::distance(joint(root).at, from);
    for (int child : joint(root).children) reach = std::max(reach, reachFrom(child, from));
    return reach;
}

// How far the subtree reaches sideways from `centreX`; `signedX` gets that joint's offset, `count` the size.
float ShapeReader::sideways(int root, float centreX, float& signedX, int& count) const {
    ++count;
    float widest = std::fabs(joint(root).at.x - centreX);
    if (widest > std::fabs(signedX)) signedX = joint(root).at.x - centreX;
    for (int child : joint(root).children)
        widest = std::max(widest, sideways(child, centreX, signedX, count));
    return widest;
}

std::optional<ShapeReader::Split> ShapeReader::legSplit() const {
    std::optional<Split> best;
    float bestScore = std::numeric_limits<float>::max();
    for (size_t i = 0; i < joints_.size(); ++i) {
        const Joint& at = joints_[i];
        const float aboveFloor = at.at.y - floor_;
        if (aboveFloor < kMinSplitHeight * height_) continue;
        const float minDrop = std::max(kMinLegDrop * height_, kLegDropOfSplit * aboveFloor);
        Split split{static_cast<int>(i), {-1, -1}};
        for (int child : at.children) {
            const glm::vec3& low = joint(child).lowest;
            const float offset = low.x - at.at.x;
            if (at.at.y - low.y < minDrop || std::fabs(offset) < 0.01f * height_) continue;
            int& side = split.sides[offset > 0.0f ? 0 : 1];
            if (side < 0 || low.y < joint(side).lowest.y) side = child;
        }
        if (split.sides[0] < 0 || split.sides[1] < 0) continue;
        // The pair whose higher end still reaches lowest: legs reach the floor, hanging arms stop higher.
        const float score = std::max(joint(split.sides[0]).lowest.y, joint(split.sides[1]).lowest.y);
        if (!best || score < bestScore - 0.01f * height_ ||
            (score < bestScore + 0.01f * height_ && at.at.y < y(best->joint))) {
            best = split;
            bestScore = std::min(score, bestScore);
        }
    }
    return best;
}

int ShapeReader::hipsFor(const Split& split) const {
    // Legs may hang from a pelvis joint below the joint the spine leaves from.
    for (int at = split.joint; at >= 0 && std::fabs(y(at) - y(split.joint)) < kMinRise * height_;
         at = joint(at).parent) {
        for (int child : joint(at).children) {
            if (child == split.sides[0] || child == split.sides[1] || isBelow(split.joint, child)) continue;
            if (joint(child).high - y(at) > kMinRise * height_) return at;
        }
    }
    return split.joint;
}

std::vector<int> ShapeReader::upwardPath(int hips, const Split& split) const {
    std::vector<int> path;
    int next = -1;
    for (int child : joint(hips).children) {
        if (child == split.sides[0] || child == split.sides[1] || isBelow(split.joint, child)) continue;
        if (joint(child).high - y(hips) > kMinRise * height_ &&
            (next < 0 || joint(child).high > joint(next).high)) {
            next = child;
        }
    }
    while (next >= 0) {
        path.push_back(next);
        int highest = -1;
        for (int child : joint(next).children) {
            if (highest < 0 || joint(child).high > joint(highest).high) highest = child;
        }
        next = highest;
    }
    return path;
}

std::optional<SkeletonBones::Leg> ShapeReader::readLeg(int start) const {
    std::vector<int> path{start};
    for (int at = start; !joint(at).children.empty();) {
        const auto& children = joint(at).children;
        at = *std::min_element(children.begin(), children.end(),
                               [this](int a, int b) { return joint(a).lowest.y < joint(b).lowest.y; });
        path.push_back(at);
    }
    const float bottom = joint(start).lowest.y;
    const float length = y(start) - bottom;
    size_t thigh = 0;
    while (thigh + 1 < path.size() && y(path[thigh + 1]) >= y(path[0]) - kHipLevel * length) ++thigh;
    if (thigh + 1 >= path.size()) return std::nullopt;
    const glm::vec3 hip = joint(path[thigh]).at;
    size_t knee = path.size() - 1;
    if (bottom - floor_ <= kShortLeg * (hip.y - floor_)) {
        const float halfway = (hip.y + bottom) / 2.0f;
        for (size_t i = thigh + 1; i < path.size(); ++i) {
            if (std::fabs(y(path[i]) - halfway) < std::fabs(y(path[knee]) - halfway)) knee = i;
        }
    }  // else the chain stops at the knee: the foot hangs elsewhere
    SkeletonBones::Leg leg;
    leg.thigh = joint(path[thigh]).node;
    leg.shin = joint(path[knee]).node;
    const float ankleLevel = y(path[knee]) - kAnkleDrop * (y(path[knee]) - bottom);
    size_t foot = knee + 1;
    while (foot < path.size() && y(path[foot]) > ankleLevel) ++foot;
    // A leaf at the ankle may only mark the shin's end while the real foot hangs from the root.
    if (foot >= path.size() || joint(path[foot]).children.empty()) {
        leg.foot = footOutside(start, hip, joint(path[knee]).at);
    }
    if (leg.foot == nullptr && foot < path.size()) leg.foot = joint(path[foot]).node;
    return leg;
}

// IK rigs hang feet and hands from the hips or a joint above them (the rig's root), beside the limb.
bool ShapeReader::hangsFromRoot(int candidate, int limbStart) const {
    const int parent = joint(candidate).parent;
    return (parent < 0 || isBelow(hips_, parent)) && !isBelow(candidate, limbStart) &&
           !isBelow(limbStart, candidate);
}

// A joint hanging from the root just beyond the end of an arm chain that stops at the elbow; -1 when none.
int ShapeReader::handOutside(int armStart, const std::vector<int>& path) const {
    if (path.size() < 2) return -1;
    const glm::vec3 end = joint(path.back()).at;
    const glm::vec3 along = end - joint(path[path.size() - 2]).at;
    const float last = glm::length(along);
    int best = -1;
    float nearest = std::numeric_limits<float>::max();
    for (size_t i = 0; i < joints_.size(); ++i) {
        const glm::vec3 out = joints_[i].at - end;
        const float distance = glm::length(out);
        if (distance > 1.5f * last || distance >= nearest || !hangsFromRoot(static_cast<int>(i), armStart))
            continue;
        // Beyond the end and roughly along the arm, or at the end itself (a leaf that only marks it).
        if (distance > kJointAtEnd * height_ && glm::dot(out, along) < 0.5f * distance * last) continue;
        best = static_cast<int>(i);
        nearest = distance;
    }
    return best;
}

Node* ShapeReader::footOutside(int legStart, const glm::vec3& hip, const glm::vec3& knee) const {
    const float ceiling = knee.y - 0.5f * (hip.y - knee.y);
    int best = -1;
    for (size_t i = 0; i < joints_.size(); ++i) {
        const Joint& candidate = joints_[i];
        const int index = static_cast<int>(i);
        if (candidate.at.y > ceiling || std::fabs(candidate.at.x - knee.x) > kFootSearchWidth * height_ ||
            std::fabs(candidate.at.z - knee.z) > 1.5f * kFootSearchWidth * height_ ||
            isBelow(index, legStart) || isBelow(legStart, index)) {
            continue;
        }
        if (best < 0 || candidate.at.y > y(best)) best = index;
    }
    return best < 0 ? nullptr : joint(best).node;
}

std::optional<SkeletonBones::Arm> ShapeReader::readArm(int start) const {
    std::vector<int> path{start};
    for (int at = start; !joint(at).children.empty();) {
        const glm::vec3 from = joint(at).at;
        const auto& children = joint(at).children;
        at = *std::max_element(children.begin(), children.end(),
                               [&](int a, int b) { return reachFrom(a, from) < reachFrom(b, from); });
        path.push_back(at);
    }
    const auto fingerChains = [this](int at) {
        return std::count_if(joint(at).children.begin(), joint(at).children.end(),
                             [this](int child) { return !joint(child).children.empty(); });
    };
    const auto segment = [this, &path](size_t i) {
        return glm::distance(joint(path[i]).at, joint(path[i - 1]).at);
    };
    size_t hand = path.size() - 1;
    const auto split =
        std::find_if(path.begin() + std::min<ptrdiff_t>(2, static_cast<ptrdiff_t>(path.size())), path.end(),
                     [&](int at) { return fingerChains(at) >= 2; });
    if (split != path.end()) {
        hand = static_cast<size_t>(split - path.begin());
    } else if (const int outside = handOutside(start, path); outside >= 0) {
        if (glm::distance(joint(outside).at, joint(path.back()).at) <= kJointAtEnd * height_) path.pop_back();
        path.push_back(outside);
        hand = path.size() - 1;
    } else {
        // The hand is where what is left of the chain (fingers, end bones) is short beside the arm so far.
        float done = 0.0f;
        float left = 0.0f;
        for (size_t i = 1; i < path.size(); ++i) left += segment(i);
        for (size_t i = 1; i < path.size(); ++i) {
            done += segment(i);
            left -= segment(i);
            if (i >= 2 && left < kFingerShare * done) {
                hand = i;
                break;
            }
        }
    }
    size_t upper = 0;
    if (hand >= 3) {
        float along = 0.0f;
        for (size_t i = 2; i <= hand; ++i) along += segment(i);
        if (segment(1) < kCollarShare * (along + segment(1))) upper = 1;
    }
    if (hand < upper + 2) return std::nullopt;
    std::vector<float> distance(hand + 1, 0.0f);
    for (size_t i = upper + 1; i <= hand; ++i) distance[i] = distance[i - 1] + segment(i);
    size_t fore = upper + 1;
    for (size_t i = upper + 2; i < hand; ++i) {
        if (std::fabs(distance[i] - distance[hand] / 2.0f) <
            std::fabs(distance[fore] - distance[hand] / 2.0f))
            fore = i;
    }
    SkeletonBones::Arm arm;
    arm.upper = joint(path[upper]).node;
    arm.fore = joint(path[fore]).node;
    arm.hand = joint(path[hand]).node;
    HandBones::findFingers(arm);
    arm.handEnd = HandBones::longestFinger(arm);
    if (arm.handEnd == nullptr && hand + 1 < path.size()) arm.handEnd = joint(path[hand + 1]).node;
    return arm;
}

// +1 when the character faces +Z, -1 when its toes point to -Z.
float ShapeReader::facing(const BoneRoles& roles) const {
    float toes = 0.0f;
    for (const auto& leg : roles.legs) {
        if (!leg || leg->foot == nullptr) continue;
        const Joint& foot = joint(index_.at(leg->foot));
        for (int child : foot.children) toes += joint(child).at.z - foot.at.z;
    }
    return toes < -0.005f * height_ ? -1.0f : 1.0f;
}

BoneRoles ShapeReader::read() {
    BoneRoles roles;
    if (joints_.size() < 5 || height_ <= 0.0f) return roles;
    const std::optional<Split> split = legSplit();
    if (!split) return roles;
    const int hips = hipsFor(*split);
    hips_ = hips;
    roles.hips = joint(hips).node;
    // Read as if the character faced +Z; swapped below when its toes say otherwise.
    roles.legs[0] = readLeg(split->sides[0]);
    roles.legs[1] = readLeg(split->sides[1]);
    const std::vector<int> up = upwardPath(hips, *split);
    int chest = -1;
    float widest[2] = {0.0f, 0.0f};
    for (size_t k = 0; k < up.size(); ++k) {
        for (int child : joint(up[k]).children) {
            if (k + 1 < up.size() && child == up[k + 1]) continue;
            float offset = 0.0f;
            int count = 0;
            const float span = sideways(child, joint(up[k]).at.x, offset, count);
            const size_t side = offset > 0.0f ? 0 : 1;
            if (span < kMinArmSpan * height_ || count < 3 || span <= widest[side]) continue;
            if (auto arm = readArm(child)) {
                roles.arms[side] = std::move(arm);
                widest[side] = span;
                chest = std::max(chest, static_cast<int>(k));
            }
        }
    }
    if (!up.empty()) {
        roles.spine = joint(up.front()).node;
        const size_t last = up.size() - 1;
        const auto step = [&](size_t i) {
            return glm::distance(joint(up[i]).at, i == 0 ? joint(hips).at : joint(up[i - 1]).at);
        };
        if (static_cast<int>(last) > chest) {
            const bool endBone = static_cast<int>(last) >= chest + 2 && joint(up[last]).children.empty() &&
                                 step(last) > 1.3f * step(last - 1);
            roles.head = joint(up[endBone ? last - 1 : last]).node;
        }
    }
    if (facing(roles) < 0.0f) {
        std::swap(roles.legs[0], roles.legs[1]);
        std::swap(roles.arms[0], roles.arms[1]);
    }
    return roles;
}

}  // namespace

BoneRoles BoneShape::find(Node& model) {
    return ShapeReader(model).read();
}

}  // namespace plimsa
