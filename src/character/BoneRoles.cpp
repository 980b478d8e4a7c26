#include "character/BoneRoles.h"

namespace plimsa {

bool BoneRoles::uses(const Node* node) const {
    if (node == hips || node == spine || node == head) return true;
    for (const auto& leg : legs) {
        if (leg && (leg->thigh == node || leg->shin == node || leg->foot == node)) return true;
    }
    for (const auto& arm : arms) {
        if (arm && (arm->upper == node || arm->fore == node || arm->hand == node)) return true;
    }
    return false;
}

void BoneRoles::fillFrom(const BoneRoles& other) {
    if (hips == nullptr && !uses(other.hips)) hips = other.hips;
    if (spine == nullptr && !uses(other.spine)) spine = other.spine;
    if (head == nullptr && !uses(other.head)) head = other.head;
    for (size_t side = 0; side < 2; ++side) {
        if (const auto& leg = other.legs[side]) {
            if (!legs[side] && !uses(leg->thigh)) {
                legs[side] = leg;
            } else if (legs[side] && legs[side]->foot == nullptr && legs[side]->shin == leg->shin) {
                legs[side]->foot = leg->foot;
            }
        }
        if (const auto& arm = other.arms[side]) {
            if (!arms[side] && !uses(arm->upper)) {
                arms[side] = arm;
            } else if (arms[side] && arms[side]->hand == arm->hand) {
                SkeletonBones::Arm& mine = *arms[side];
                if (mine.fingers.empty()) mine.fingers = arm->fingers;
                if (mine.thumb.empty()) mine.thumb = arm->thumb;
                if (mine.handEnd == nullptr) mine.handEnd = arm->handEnd;
            }
        }
    }
}

SkeletonBones BoneRoles::bones() const {
    SkeletonBones bones;
    bones.hips = hips;
    bones.spine = spine;
    bones.head = head;
    for (const auto& leg : legs) {
        if (leg) bones.legs.push_back(*leg);
    }
    for (const auto& arm : arms) {
        if (arm) bones.arms.push_back(*arm);
    }
    return bones;
}

}  // namespace plimsa
