#include "character/BonePoser.h"

#include "platform/scene/Node.h"

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
    const glm::quat* rest = restOf(bone);
    if (rest == nullptr || bone.parent() == nullptr) {
        return;
    }
    const glm::quat toParent = glm::inverse(bone.parent()->worldOrientation()) * rigRoot_.worldOrientation();
    bone.setOrientation(toParent * rigRotation * glm::inverse(toParent) * *rest);
}

void BonePoser::applyWorld(Node& bone, const glm::quat& worldRotation) const {
    const glm::quat* rest = restOf(bone);
    if (rest == nullptr || bone.parent() == nullptr) {
        return;
    }
    const glm::quat parent = bone.parent()->worldOrientation();
    bone.setOrientation(glm::inverse(parent) * worldRotation * parent * *rest);
}

}  // namespace plimsa
