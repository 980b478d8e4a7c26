#pragma once

#include "platform/scene/Constraint.h"

#include <glm/glm.hpp>

#include <memory>

namespace plimsa {

/// Turns a node so that its -Z axis (the camera's view direction) points at the target node's world
/// position (SceneKit's SCNLookAtConstraint). With `isGimbalLockEnabled` the node's +Y stays in the
/// vertical plane through the view direction: no roll. A missing target, a target at the node's own
/// position, or a target that is the node or lies below it in the hierarchy leaves the orientation as it
/// was. Looking straight up or down with gimbal lock keeps the unconstrained yaw.
/// Holds the target weakly: a constraint never keeps a node alive.
class LookAtConstraint final : public Constraint {
  public:
    static std::shared_ptr<LookAtConstraint> make(const std::shared_ptr<Node>& target);

    explicit LookAtConstraint(const std::shared_ptr<Node>& target);

    std::shared_ptr<Node> target() const { return target_.lock(); }
    void setTarget(const std::shared_ptr<Node>& target) { target_ = target; }
    bool isGimbalLockEnabled() const { return gimbalLock_; }
    void setGimbalLockEnabled(bool enabled) { gimbalLock_ = enabled; }

    glm::quat constrainedOrientation(const Node& node, const glm::vec3& worldPosition,
                                     const glm::quat& worldOrientation) const override;
    const Node* dependency() const override;

  private:
    std::weak_ptr<Node> target_;
    bool gimbalLock_ = false;
};

}  // namespace plimsa
