#include "character/ChainFollower.h"

#include "platform/scene/Node.h"
#include "platform/scene/TransformMath.h"

#include <cmath>

namespace plimsa {

namespace {

bool isFinite(const glm::mat4& m) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            if (!std::isfinite(m[c][r])) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::optional<ChainFollower> ChainFollower::attach(Node& bone, const Node& chainEnd) {
    if (chainEnd.isAncestorOrSelf(&bone) || bone.isAncestorOrSelf(&chainEnd)) {
        return std::nullopt;
    }
    const glm::mat4& endWorld = chainEnd.worldTransform();
    const float determinant = glm::determinant(glm::mat3(endWorld));
    if (!std::isfinite(determinant) || std::fabs(determinant) < 1e-20f) {
        return std::nullopt;
    }
    const glm::mat4 offset = glm::inverse(endWorld) * bone.worldTransform();
    if (!isFinite(offset)) {
        return std::nullopt;
    }
    return ChainFollower(bone, chainEnd, offset);
}

void ChainFollower::place(const glm::mat4& world) const {
    glm::mat4 local = bone_->parent() != nullptr
                          ? transform_math::safeInverse(bone_->parent()->worldTransform()) * world
                          : world;
    if (bone_->pivot() != glm::mat4(1.0f)) {
        local = local * bone_->pivot();
    }
    const glm::vec3 position(local[3]);
    if (!transform_math::isFinite(position)) {
        return;  // a degenerate frame: the bone keeps its last placement
    }
    bone_->setPosition(position);
    bone_->setOrientation(transform_math::rotationOf(local));
}

void ChainFollower::follow() const {
    place(placement(chainEnd_->worldTransform()));
}

}  // namespace plimsa
