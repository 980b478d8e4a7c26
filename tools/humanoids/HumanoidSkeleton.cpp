#include "humanoids/HumanoidSkeleton.h"

#include "humanoids/HumanoidVariants.h"

#include <glm/gtc/matrix_transform.hpp>

#include <array>
#include <cstdio>
#include <utility>

namespace plimsa {
namespace {

constexpr float kAPoseDegrees = 40.0f;

struct Finger {
    const char* name;
    std::array<glm::vec3, 4> points;  // along +X for the left hand, from the knuckle to the tip
};

// Finger joints of the left hand relative to the wrist; the right hand mirrors x.
const std::array<Finger, 5> kFingers = {{
    {"Thumb",
     {{{0.030f, -0.015f, 0.025f},
       {0.060f, -0.020f, 0.045f},
       {0.085f, -0.025f, 0.060f},
       {0.105f, -0.030f, 0.070f}}}},
    {"Index",
     {{{0.085f, 0.0f, 0.022f}, {0.125f, 0.0f, 0.024f}, {0.150f, 0.0f, 0.025f}, {0.172f, 0.0f, 0.025f}}}},
    {"Middle", {{{0.090f, 0.0f, 0.0f}, {0.130f, 0.0f, 0.0f}, {0.160f, 0.0f, 0.0f}, {0.185f, 0.0f, 0.0f}}}},
    {"Ring",
     {{{0.085f, 0.0f, -0.020f}, {0.120f, 0.0f, -0.021f}, {0.145f, 0.0f, -0.022f}, {0.165f, 0.0f, -0.022f}}}},
    {"Pinky",
     {{{0.075f, 0.0f, -0.038f}, {0.100f, 0.0f, -0.040f}, {0.120f, 0.0f, -0.041f}, {0.135f, 0.0f, -0.041f}}}},
}};

std::pair<std::string, std::string> splitSide(const std::string& canonical) {
    for (const char* side : {"Left", "Right"}) {
        const std::string prefix = side;
        if (canonical.rfind(prefix, 0) == 0) return {prefix, canonical.substr(prefix.size())};
    }
    return {"", canonical};
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "HandIndex2" -> {"index", 2}; {"", 0} for anything else.
std::pair<std::string, int> fingerPart(const std::string& part) {
    if (part.rfind("Hand", 0) != 0 || part.size() < 6) return {"", 0};
    const char digit = part.back();
    if (digit < '1' || digit > '4') return {"", 0};
    return {lower(part.substr(4, part.size() - 5)), digit - '0'};
}

std::string blenderName(const std::string& canonical) {
    static const std::vector<std::pair<std::string, std::string>> centre = {
        {"Root", "root"},    {"Hips", "hips"}, {"Spine", "spine"}, {"Spine1", "spine.001"},
        {"Spine2", "chest"}, {"Neck", "neck"}, {"Head", "head"},   {"HeadTop_End", "head_end"}};
    static const std::vector<std::pair<std::string, std::string>> sided = {
        {"Shoulder", "shoulder"}, {"Arm", "upper_arm"}, {"ForeArm", "forearm"},
        {"Hand", "hand"},         {"UpLeg", "thigh"},   {"Leg", "shin"},
        {"Foot", "foot"},         {"ToeBase", "toe"},   {"Toe_End", "toe_end"}};
    const auto [side, part] = splitSide(canonical);
    if (side.empty()) {
        for (const auto& [from, to] : centre)
            if (from == part) return to;
        return lower(part);
    }
    const std::string suffix = side == "Left" ? ".L" : ".R";
    for (const auto& [from, to] : sided)
        if (from == part) return to + suffix;
    const auto [finger, number] = fingerPart(part);
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%02d", number);
    return (finger == "thumb" ? "thumb" : "f_" + finger) + digits + suffix;
}

std::string unrealName(const std::string& canonical) {
    static const std::vector<std::pair<std::string, std::string>> centre = {
        {"Root", "root"},       {"Hips", "pelvis"},  {"Spine", "spine_01"}, {"Spine1", "spine_02"},
        {"Spine2", "spine_03"}, {"Neck", "neck_01"}, {"Head", "head"},      {"HeadTop_End", "head_end"}};
    static const std::vector<std::pair<std::string, std::string>> sided = {
        {"Shoulder", "clavicle"}, {"Arm", "upperarm"}, {"ForeArm", "lowerarm"},
        {"Hand", "hand"},         {"UpLeg", "thigh"},  {"Leg", "calf"},
        {"Foot", "foot"},         {"ToeBase", "ball"}, {"Toe_End", "ball_end"}};
    const auto [side, part] = splitSide(canonical);
    if (side.empty()) {
        for (const auto& [from, to] : centre)
            if (from == part) return to;
        return lower(part);
    }
    const std::string suffix = side == "Left" ? "_l" : "_r";
    for (const auto& [from, to] : sided)
        if (from == part) return to + suffix;
    const auto [finger, number] = fingerPart(part);
    char digits[8];
    std::snprintf(digits, sizeof digits, "_%02d", number);
    return finger + digits + suffix;
}

// Game-pack IK rigs: lower-case names with ".l"/".r", the hand called the wrist.
std::string lowerDotName(const std::string& canonical) {
    static const std::vector<std::pair<std::string, std::string>> centre = {
        {"Root", "root"},         {"Hips", "hips"}, {"Spine", "spine"}, {"Spine1", "chest"},
        {"Spine2", "upperchest"}, {"Neck", "neck"}, {"Head", "head"},   {"HeadTop_End", "head_end"}};
    static const std::vector<std::pair<std::string, std::string>> sided = {
        {"Shoulder", "shoulder"}, {"Arm", "upperarm"},   {"ForeArm", "lowerarm"},
        {"Hand", "wrist"},        {"UpLeg", "upperleg"}, {"Leg", "lowerleg"},
        {"Foot", "foot"},         {"ToeBase", "toes"},   {"Toe_End", "toes_end"}};
    const auto [side, part] = splitSide(canonical);
    if (side.empty()) {
        for (const auto& [from, to] : centre)
            if (from == part) return to;
        return lower(part);
    }
    const std::string suffix = side == "Left" ? ".l" : ".r";
    for (const auto& [from, to] : sided)
        if (from == part) return to + suffix;
    const auto [finger, number] = fingerPart(part);
    return finger + std::to_string(number) + suffix;
}

}  // namespace

HumanoidSkeleton::HumanoidSkeleton(bool fullFingers, RestPose pose, bool withRootBone) {
    const std::string top = withRootBone ? "Root" : "";
    if (withRootBone) add("Root", "", {0.0f, 0.0f, 0.0f});
    add("Hips", top, {0.0f, 0.98f, 0.0f});
    add("Spine", "Hips", {0.0f, 1.08f, 0.0f});
    add("Spine1", "Spine", {0.0f, 1.20f, 0.0f});
    add("Spine2", "Spine1", {0.0f, 1.32f, 0.0f});
    add("Neck", "Spine2", {0.0f, 1.49f, 0.0f});
    add("Head", "Neck", {0.0f, 1.59f, 0.01f});
    if (fullFingers) add("HeadTop_End", "Head", {0.0f, 1.80f, 0.01f});
    addArm("Left", 1.0f, fullFingers);
    addArm("Right", -1.0f, fullFingers);
    addLeg("Left", 1.0f, fullFingers);
    addLeg("Right", -1.0f, fullFingers);
    if (pose == RestPose::aPose) {
        lowerArm("Left", 1.0f, kAPoseDegrees);
        lowerArm("Right", -1.0f, kAPoseDegrees);
    }
}

HumanoidSkeleton HumanoidSkeleton::of(const HumanoidSpec& spec) {
    HumanoidSkeleton skeleton(spec.fullFingers, spec.pose, hasRootBone(spec));
    reshapeSkeleton(spec, skeleton);
    return skeleton;
}

int HumanoidSkeleton::add(std::string canonical, std::string_view parent, const glm::vec3& position) {
    joints_.push_back({std::move(canonical), parent.empty() ? -1 : find(parent), position, {1, 0, 0, 0}});
    return static_cast<int>(joints_.size()) - 1;
}

void HumanoidSkeleton::addArm(const char* side, float sign, bool fullFingers) {
    const std::string s = side;
    const glm::vec3 mirror{sign, 1.0f, 1.0f};
    add(s + "Shoulder", "Spine2", glm::vec3{0.04f, 1.44f, 0.0f} * mirror);
    add(s + "Arm", s + "Shoulder", glm::vec3{0.18f, 1.44f, -0.01f} * mirror);
    add(s + "ForeArm", s + "Arm", glm::vec3{0.45f, 1.44f, -0.01f} * mirror);
    const glm::vec3 wrist = glm::vec3{0.70f, 1.44f, -0.01f} * mirror;
    add(s + "Hand", s + "ForeArm", wrist);
    for (const Finger& finger : kFingers) {
        // Thumb and index come before the middle finger, so the middle finger is not the hand's first child.
        if (!fullFingers && std::string(finger.name) != "Middle") continue;
        const int count = fullFingers ? 4 : 1;
        std::string parent = s + "Hand";
        for (int i = 0; i < count; ++i) {
            const std::string name = s + "Hand" + finger.name + std::to_string(i + 1);
            add(name, parent, wrist + finger.points[static_cast<size_t>(i)] * mirror);
            parent = name;
        }
    }
}

void HumanoidSkeleton::addLeg(const char* side, float sign, bool fullFingers) {
    const std::string s = side;
    const glm::vec3 mirror{sign, 1.0f, 1.0f};
    add(s + "UpLeg", "Hips", glm::vec3{0.09f, 0.92f, 0.0f} * mirror);
    add(s + "Leg", s + "UpLeg", glm::vec3{0.09f, 0.50f, 0.01f} * mirror);
    add(s + "Foot", s + "Leg", glm::vec3{0.09f, 0.08f, -0.02f} * mirror);
    add(s + "ToeBase", s + "Foot", glm::vec3{0.09f, 0.03f, 0.10f} * mirror);
    if (fullFingers) add(s + "Toe_End", s + "ToeBase", glm::vec3{0.09f, 0.03f, 0.18f} * mirror);
}

// Turns the upper arm and everything below it down about the shoulder joint; the turn becomes part of
// those joints' rest orientations.
void HumanoidSkeleton::lowerArm(const char* side, float sign, float degrees) {
    const int arm = find(std::string(side) + "Arm");
    const glm::vec3 pivot = joints_[static_cast<size_t>(arm)].position;
    const glm::quat turn = glm::angleAxis(glm::radians(-degrees * sign), glm::vec3(0, 0, 1));
    for (size_t i = static_cast<size_t>(arm); i < joints_.size(); ++i) {
        bool below = static_cast<int>(i) == arm;
        for (int p = joints_[i].parent; p >= 0 && !below; p = joints_[static_cast<size_t>(p)].parent)
            below = p == arm;
        if (!below) continue;
        joints_[i].position = pivot + turn * (joints_[i].position - pivot);
        joints_[i].orientation = turn * joints_[i].orientation;
    }
}

int HumanoidSkeleton::find(std::string_view canonical) const {
    for (size_t i = 0; i < joints_.size(); ++i)
        if (joints_[i].canonical == canonical) return static_cast<int>(i);
    return -1;
}

glm::vec3 HumanoidSkeleton::position(std::string_view canonical) const {
    const int index = find(canonical);
    return index < 0 ? glm::vec3(0.0f) : joints_[static_cast<size_t>(index)].position;
}

std::string HumanoidSkeleton::boneName(const std::string& canonical, BoneNaming naming, int index) {
    switch (naming) {
        case BoneNaming::mixamoColon:
            return "mixamorig:" + canonical;
        case BoneNaming::mixamoUnderscore:
            return "mixamorig_" + canonical;
        case BoneNaming::mixamoBare:
            return canonical;
        case BoneNaming::blender:
            return blenderName(canonical);
        case BoneNaming::unreal:
            return unrealName(canonical);
        case BoneNaming::lowerDotSide:
            return lowerDotName(canonical);
        case BoneNaming::unrecognisable:
            break;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Bone.%03d", index);
    return name;
}

}  // namespace plimsa
