#include "platform/scene/LookAtConstraint.h"

#include "platform/scene/Node.h"
#include "platform/scene/TransformMath.h"

#include <cmath>

namespace plimsa {

using namespace transform_math;

std::shared_ptr<LookAtConstraint> LookAtConstraint::make(const std::shared_ptr<Node>& target) {
    return std::make_shared<LookAtConstraint>(target);
}

LookAtConstraint::LookAtConstraint(const std::shared_ptr<Node>& target) : target_(target) {}

const Node* LookAtConstraint::dependency() const {
    return target_.lock().get();
}

glm::quat LookAtConstraint::constrainedOrientation(const Node& node, const glm::vec3& worldPosition,
                                                   const glm::quat& worldOrientation) const {
    const std::shared_ptr<Node> target = target_.lock();
    if (!target || node.isAncestorOrSelf(target.get())) {
        return worldOrientation;
    }
    const glm::vec3 direction = target->worldPosition() - worldPosition;
    const float distance = glm::length(direction);
    if (!std::isfinite(distance) || distance < 1e-9f) {
        return worldOrientation;
    }
    const glm::vec3 forward = direction / distance;
    const glm::vec3 currentFront = worldOrientation * glm::vec3(0, 0, -1);
    if (gimbalLock_) {
        const glm::vec3 worldUp(0, 1, 0);
        if (glm::length(glm::cross(forward, worldUp)) > 1e-6f) {
            return lookRotation(forward, worldUp);
        }
        // Straight up or down: keep the heading the node had, so the view does not spin.
        return lookRotation(forward, forward.y < 0 ? currentFront : -currentFront);
    }
    // Without the lock: the shortest turn from the current front to the target.
    return glm::normalize(rotationBetween(glm::normalize(currentFront), forward) * worldOrientation);
}

}  // namespace plimsa
