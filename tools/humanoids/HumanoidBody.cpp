#include "humanoids/HumanoidBody.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <string>

namespace plimsa {
namespace {

constexpr int kRadialSegments = 20;
constexpr int kCapRows = 6;
constexpr float kRowSpacing = 0.03f;  // metres between body rings

float smoothstep(float u) {
    u = std::clamp(u, 0.0f, 1.0f);
    return u * u * (3.0f - 2.0f * u);
}

struct Ring {
    glm::vec3 centre;
    float radius;
    float sinLatitude;
    float cosLatitude;
};

// Rings from the start pole to the end pole: a hemispherical cap, the body, the other cap.
std::vector<Ring> capsuleRings(const glm::vec3& start, const glm::vec3& end, float startRadius, float endRadius) {
    std::vector<Ring> rings;
    const float quarter = glm::half_pi<float>();
    for (int k = 0; k <= kCapRows; ++k) {
        const float latitude = -quarter + quarter * static_cast<float>(k) / kCapRows;
        rings.push_back({start, startRadius, std::sin(latitude), std::cos(latitude)});
    }
    const float length = glm::length(end - start);
    if (length > 1e-6f) {
        const int bodyRows = std::clamp(static_cast<int>(length / kRowSpacing), 2, 16);
        for (int k = 1; k <= bodyRows; ++k) {
            const float t = static_cast<float>(k) / bodyRows;
            rings.push_back({glm::mix(start, end, t), glm::mix(startRadius, endRadius, t), 0.0f, 1.0f});
        }
    }
    for (int k = 1; k <= kCapRows; ++k) {
        const float latitude = quarter * static_cast<float>(k) / kCapRows;
        rings.push_back({end, endRadius, std::sin(latitude), std::cos(latitude)});
    }
    return rings;
}

}  // namespace

HumanoidBody::HumanoidBody(const HumanoidSkeleton& skeleton) {
    const auto joint = [&](const char* name) { return skeleton.find(name); };
    const glm::vec3 x{1, 0, 0};

    // Torso: pelvis in trousers, chest in the shirt; weights climb the spine.
    addSegment({{0, 0.90f, 0}, {0, 1.02f, 0}, 0.14f, 0.14f, 0.45f, x, {1.0f, 0.7f},
                {{0.67f, joint("Hips")}, {1.5f, joint("Spine")}}, BodyMaterial::trousers});
    addSegment({{0, 1.00f, 0}, {0, 1.38f, 0}, 0.13f, 0.155f, 0.55f, x, {1.0f, 0.68f},
                {{-0.05f, joint("Hips")}, {0.21f, joint("Spine")}, {0.53f, joint("Spine1")}, {0.84f, joint("Spine2")}},
                BodyMaterial::shirt});
    addHead(skeleton);
    for (const char* side : {"Left", "Right"}) addLimbs(skeleton, side);
}

void HumanoidBody::addHead(const HumanoidSkeleton& skeleton) {
    const int neck = skeleton.find("Neck");
    const int head = skeleton.find("Head");
    const glm::vec3 headAt = skeleton.position("Head");
    const glm::vec3 x{1, 0, 0};
    addSegment({skeleton.position("Neck"), headAt, 0.048f, 0.045f, 1.0f, x, {1, 1},
                {{-0.4f, skeleton.find("Spine2")}, {0.1f, neck}, {0.75f, neck}, {1.1f, head}}, BodyMaterial::skin});
    addSegment({headAt + glm::vec3(0, 0.07f, 0), headAt + glm::vec3(0, 0.11f, 0), 0.10f, 0.10f, 1.0f, x,
                {0.85f, 0.95f}, {{0.0f, head}}, BodyMaterial::skin});
    addSegment({headAt + glm::vec3(0, 0.085f, 0.08f), headAt + glm::vec3(0, 0.065f, 0.105f), 0.016f, 0.012f, 1.0f,
                x, {1, 1}, {{0.0f, head}}, BodyMaterial::skin});
    for (float side : {-1.0f, 1.0f}) {
        const glm::vec3 eye = headAt + glm::vec3(0.035f * side, 0.11f, 0.078f);
        addSegment({eye, eye, 0.014f, 0.014f, 1.0f, x, {1, 1}, {{0.0f, head}}, BodyMaterial::eyes});
    }
}

void HumanoidBody::addLimbs(const HumanoidSkeleton& skeleton, const char* side) {
    const std::string s = side;
    const float sign = s == "Left" ? 1.0f : -1.0f;
    const auto joint = [&](const std::string& name) { return skeleton.find(name); };
    const auto at = [&](const std::string& name) { return skeleton.position(name); };
    const glm::vec3 x{1, 0, 0};
    const glm::vec3 z{0, 0, 1};

    addSegment({{0.05f * sign, 1.41f, 0.0f}, at(s + "Arm"), 0.065f, 0.055f, 1.0f, z, {1, 1},
                {{0.0f, joint("Spine2")}, {0.5f, joint(s + "Shoulder")}, {1.0f, joint(s + "Arm")}}, BodyMaterial::shirt});
    addSegment({at(s + "Arm"), at(s + "ForeArm"), 0.052f, 0.043f, 1.0f, z, {1, 1},
                {{-0.15f, joint(s + "Shoulder")}, {0.15f, joint(s + "Arm")}, {0.85f, joint(s + "Arm")},
                 {1.15f, joint(s + "ForeArm")}},
                BodyMaterial::shirt});
    addSegment({at(s + "ForeArm"), at(s + "Hand"), 0.043f, 0.033f, 1.0f, z, {1, 1},
                {{-0.15f, joint(s + "Arm")}, {0.15f, joint(s + "ForeArm")}, {0.85f, joint(s + "ForeArm")},
                 {1.15f, joint(s + "Hand")}},
                BodyMaterial::skin});
    addHand(skeleton, side);

    addSegment({at(s + "UpLeg"), at(s + "Leg"), 0.085f, 0.058f, 1.0f, x, {1, 1},
                {{-0.15f, joint("Hips")}, {0.15f, joint(s + "UpLeg")}, {0.85f, joint(s + "UpLeg")},
                 {1.15f, joint(s + "Leg")}},
                BodyMaterial::trousers});
    addSegment({at(s + "Leg"), at(s + "Foot"), 0.058f, 0.042f, 1.0f, x, {1, 1},
                {{-0.15f, joint(s + "UpLeg")}, {0.15f, joint(s + "Leg")}, {0.85f, joint(s + "Leg")},
                 {1.15f, joint(s + "Foot")}},
                BodyMaterial::trousers});
    // The sole lies on y = 0: each end's radius equals its height.
    addSegment({{0.09f * sign, 0.045f, -0.06f}, {0.09f * sign, 0.035f, 0.17f}, 0.045f, 0.035f, 1.0f, x, {1, 1},
                {{0.55f, joint(s + "Foot")}, {0.85f, joint(s + "ToeBase")}}, BodyMaterial::shoes});
}

void HumanoidBody::addHand(const HumanoidSkeleton& skeleton, const char* side) {
    const std::string s = side;
    const int hand = skeleton.find(s + "Hand");
    const glm::vec3 wrist = skeleton.position(s + "Hand");
    const glm::vec3 middle = skeleton.position(s + "HandMiddle1");
    const glm::vec3 along = glm::normalize(middle - wrist);
    const glm::vec3 z{0, 0, 1};
    addSegment({wrist, wrist + along * 0.085f, 0.038f, 0.04f, 0.6f, z, {1.15f, 0.42f},
                {{-0.3f, skeleton.find(s + "ForeArm")}, {0.3f, hand}}, BodyMaterial::skin});
    if (skeleton.find(s + "HandMiddle2") < 0) {
        // One mitten over the fingers, moved by the middle finger's first bone.
        addSegment({middle, middle + along * 0.085f, 0.036f, 0.03f, 0.8f, z, {1.1f, 0.4f},
                    {{-0.4f, hand}, {0.3f, skeleton.find(s + "HandMiddle1")}}, BodyMaterial::skin});
        return;
    }
    for (const char* finger : {"Thumb", "Index", "Middle", "Ring", "Pinky"}) {
        const std::string base = s + "Hand" + finger;
        const glm::vec3 p1 = skeleton.position(base + "1");
        const glm::vec3 tip = skeleton.position(base + "4");
        const float length = std::max(glm::length(tip - p1), 1e-4f);
        const auto t = [&](int i) { return glm::length(skeleton.position(base + std::to_string(i)) - p1) / length; };
        const float radius = std::string(finger) == "Thumb" ? 0.013f : 0.011f;
        addSegment({p1, tip, radius, radius * 0.8f, 1.0f, z, {1, 1},
                    {{-0.15f, hand},
                     {0.15f, skeleton.find(base + "1")},
                     {t(2) - 0.08f, skeleton.find(base + "1")},
                     {t(2) + 0.08f, skeleton.find(base + "2")},
                     {t(3) - 0.08f, skeleton.find(base + "2")},
                     {t(3) + 0.08f, skeleton.find(base + "3")}},
                    BodyMaterial::skin});
    }
}

glm::vec4 HumanoidBody::blend(const std::vector<std::pair<float, int>>& anchors, float t, glm::u16vec4& joints) {
    glm::vec4 weights{0.0f};
    joints = glm::u16vec4(0);
    const auto put = [&](int joint, float weight) {
        for (int i = 0; i < 4; ++i) {
            if (weights[i] > 0.0f && joints[i] == joint) {
                weights[i] += weight;
                return;
            }
        }
        for (int i = 0; i < 4; ++i) {
            if (weights[i] == 0.0f) {
                joints[i] = static_cast<uint16_t>(joint);
                weights[i] = weight;
                return;
            }
        }
    };
    if (t <= anchors.front().first) {
        put(anchors.front().second, 1.0f);
    } else if (t >= anchors.back().first) {
        put(anchors.back().second, 1.0f);
    } else {
        size_t i = 0;
        while (i + 2 < anchors.size() && t >= anchors[i + 1].first) ++i;
        const float span = anchors[i + 1].first - anchors[i].first;
        const float u = span > 0.0f ? smoothstep((t - anchors[i].first) / span) : 1.0f;
        if (u < 1.0f) put(anchors[i].second, 1.0f - u);
        if (u > 0.0f) put(anchors[i + 1].second, u);
    }
    return weights;
}

void HumanoidBody::addSegment(const Segment& segment) {
    const glm::vec3 delta = segment.end - segment.start;
    const float length = glm::length(delta);
    const glm::vec3 axis = length > 1e-6f ? delta / length : glm::vec3(0, 1, 0);
    glm::vec3 first = segment.crossAxis - axis * glm::dot(segment.crossAxis, axis);
    if (glm::length(first) < 1e-4f) first = std::abs(axis.x) < 0.9f ? glm::vec3(1, 0, 0) : glm::vec3(0, 0, 1);
    first = glm::normalize(first - axis * glm::dot(first, axis));
    const glm::vec3 second = glm::cross(axis, first);  // (first, second, axis) winds outward faces CCW

    const std::vector<Ring> rings = capsuleRings(segment.start, segment.end, segment.startRadius, segment.endRadius);
    const auto base = static_cast<uint32_t>(positions.size());
    const glm::vec2 scale = segment.crossScale;
    for (size_t row = 0; row < rings.size(); ++row) {
        const Ring& ring = rings[row];
        for (int column = 0; column <= kRadialSegments; ++column) {
            const float angle = glm::two_pi<float>() * static_cast<float>(column) / kRadialSegments;
            const glm::vec3 around = std::cos(angle) * first * scale.x + std::sin(angle) * second * scale.y;
            const glm::vec3 position = ring.centre + ring.radius * (ring.cosLatitude * around +
                                                                    ring.sinLatitude * segment.capScale * axis);
            normals.push_back(glm::normalize(
                ring.cosLatitude * (std::cos(angle) * first / scale.x + std::sin(angle) * second / scale.y) +
                ring.sinLatitude / segment.capScale * axis));
            glm::u16vec4 influences;
            const float t = length > 1e-6f ? glm::dot(position - segment.start, axis) / length : 0.0f;
            weights.push_back(blend(segment.anchors, t, influences));
            joints.push_back(influences);
            positions.push_back(position);
            texcoords.push_back({static_cast<float>(column) / kRadialSegments,
                                 static_cast<float>(row) / static_cast<float>(rings.size() - 1)});
        }
    }
    addTriangles(base, rings.size(), indices[static_cast<size_t>(segment.material)]);
}

void HumanoidBody::addTriangles(uint32_t base, size_t ringCount, std::vector<uint32_t>& out) {
    const uint32_t stride = kRadialSegments + 1;
    const auto lastRow = static_cast<uint32_t>(ringCount - 2);
    for (uint32_t row = 0; row <= lastRow; ++row) {
        for (uint32_t column = 0; column < kRadialSegments; ++column) {
            const uint32_t v00 = base + row * stride + column;
            const uint32_t v01 = v00 + 1;
            const uint32_t v10 = v00 + stride;
            const uint32_t v11 = v10 + 1;
            // The first and last rings are poles: skip the triangle that would have no area there.
            if (row != 0) out.insert(out.end(), {v00, v01, v11});
            if (row != lastRow) out.insert(out.end(), {v00, v11, v10});
        }
    }
}

}  // namespace plimsa
