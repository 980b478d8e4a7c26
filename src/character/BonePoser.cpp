#include "character/BonePoser.h"

#include "platform/scene/Node.h"

#include <cmath>

namespace plimsa {

void BonePoser::recordRest(Node& model) {
    model.enumerateChildNodes([this](Node& node, bool&) { rest_[&node] = node.orientation(); });
}

const glm::quat* BonePoser::restOf(const Node& bone) const {
    const auto found = rest_.find(&bone);
    return found != rest_.end() ? &found->second : nullptr;
}

void BonePoser::resetBone(Node& bone) const {
    if (const glm::quat* rest = restOf(bone)) {
        bone.setOrientation(*rest);
    }
}

void BonePoser::setBone(Node& bone, const glm::quat& rigRotation) const {
    if (bone.parent() != nullptr) {
        setBone(bone, bone.parent()->worldOrientation(), rigRoot_.worldOrientation(), rigRotation);
    }
}

void BonePoser::setBone(Node& bone, const glm::quat& parentWorld, const glm::quat& rigWorld,
                        const glm::quat& rigRotation) const {
    const glm::quat* rest = restOf(bone);
    if (rest == nullptr || bone.parent() == nullptr) {
        return;
    }
    const glm::quat toParent = glm::inverse(parentWorld) * rigWorld;
    bone.setOrientation(toParent * rigRotation * glm::inverse(toParent) * *rest);
}

void BonePoser::applyWorld(Node& bone, const glm::quat& worldRotation) const {
    if (bone.parent() != nullptr) {
        applyWorld(bone, bone.parent()->worldOrientation(), worldRotation);
    }
}

void BonePoser::applyWorld(Node& bone, const glm::quat& parentWorld, const glm::quat& worldRotation) const {
    const glm::quat* rest = restOf(bone);
    if (rest == nullptr || bone.parent() == nullptr) {
        return;
    }
    bone.setOrientation(glm::inverse(parentWorld) * worldRotation * parentWorld * *rest);
}

glm::quat BonePoser::orientationOf(const glm::mat4& world) {
    glm::mat3 rotation(world);
    for (int c = 0; c < 3; ++c) {
        const float length = glm::length(rotation[c]);
        rotation[c] = length > 1e-30f && std::isfinite(length) ? rotation[c] / length : glm::vec3(0.0f);
    }
    if (glm::determinant(rotation) < 0.0f) {
        rotation[0] = -rotation[0];
    }
    return glm::normalize(glm::quat_cast(rotation));
}

}  // namespace plimsa
