#include "character/HandBones.h"

#include "platform/scene/Node.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace plimsa {

namespace {

constexpr float kThumbAngleMargin = 0.1745f;  // 10 degrees

bool isJoint(const Node& node) {
    return node.geometry() == nullptr && node.name() != "grab";
}

Node* firstJointChild(const Node& node) {
    for (const auto& child : node.childNodes()) {
        if (isJoint(*child)) return child.get();
    }
    return nullptr;
}

bool nameContains(const Node& node, std::initializer_list<std::string_view> words) {
    std::string lower = node.name();
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::any_of(words.begin(), words.end(),
                       [&lower](std::string_view word) { return lower.find(word) != std::string::npos; });
}

bool isNamedThumb(const std::vector<Node*>& chain) {
    return std::any_of(chain.begin(), chain.end(), [](const Node* joint) {
        return nameContains(*joint, {"thumb", "pollex"});
    });
}

bool hasFingerName(const std::vector<Node*>& chain) {
    return isNamedThumb(chain) ||
           nameContains(*chain.front(), {"index", "middle", "ring", "pinky", "little"});
}

// The chain whose base turns widest from the forearm's line, when clearly wider than every other; -1 else.
int thumbByAngle(const SkeletonBones::Arm& arm, const std::vector<std::vector<Node*>>& chains) {
    const glm::vec3 wrist = arm.hand->worldPosition();
    const glm::vec3 along = wrist - arm.fore->worldPosition();
    if (chains.size() < 2 || glm::length(along) < 1e-6f) return -1;
    std::vector<float> angles;
    for (const auto& chain : chains) {
        const glm::vec3 out = chain.front()->worldPosition() - wrist;
        const float length = glm::length(out);
        angles.push_back(length < 1e-6f ? 0.0f
                                        : std::acos(std::clamp(glm::dot(out / length, glm::normalize(along)),
                                                               -1.0f, 1.0f)));
    }
    const auto widest = std::max_element(angles.begin(), angles.end());
    for (auto other = angles.begin(); other != angles.end(); ++other) {
        if (other != widest && *other + kThumbAngleMargin > *widest) return -1;
    }
    return static_cast<int>(widest - angles.begin());
}

}  // namespace

void HandBones::findFingers(SkeletonBones::Arm& arm) {
    if (arm.hand == nullptr || arm.fore == nullptr) return;
    std::vector<std::vector<Node*>> chains;
    for (const auto& child : arm.hand->childNodes()) {
        if (!isJoint(*child)) continue;
        std::vector<Node*> chain;
        for (Node* joint = child.get(); joint != nullptr; joint = firstJointChild(*joint))
            chain.push_back(joint);
        if (chain.size() >= 2) chains.push_back(std::move(chain));
    }
    int thumb = -1;
    if (std::any_of(chains.begin(), chains.end(), hasFingerName)) {
        const auto named = std::find_if(chains.begin(), chains.end(), isNamedThumb);
        thumb = named == chains.end() ? -1 : static_cast<int>(named - chains.begin());
    } else {
        thumb = thumbByAngle(arm, chains);
    }
    arm.fingers.clear();
    arm.thumb.clear();
    for (size_t i = 0; i < chains.size(); ++i) {
        if (static_cast<int>(i) == thumb) {
            arm.thumb = std::move(chains[i]);
        } else {
            arm.fingers.push_back(std::move(chains[i]));
        }
    }
}

Node* HandBones::longestFinger(const SkeletonBones::Arm& arm) {
    if (arm.hand == nullptr) return nullptr;
    const glm::vec3 wrist = arm.hand->worldPosition();
    Node* longest = nullptr;
    float reach = -1.0f;
    for (const auto& finger : arm.fingers) {
        const float distance = glm::distance(finger.back()->worldPosition(), wrist);
        if (distance > reach) {
            reach = distance;
            longest = finger.front();
        }
    }
    return longest;
}

}  // namespace plimsa
