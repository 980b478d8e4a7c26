#pragma once

#include <glm/gtc/quaternion.hpp>

namespace plimsa {

class Node;

/// Something that overrides a node's world orientation whenever its world transform is evaluated
/// (SceneKit's SCNConstraint). The node's own local orientation is left untouched; its world orientation,
/// and so the world transforms of its children, follow the constraint. Main or render thread, one at a time.
class Constraint {
  public:
    virtual ~Constraint() = default;

    /// Returns the constrained world orientation for `node`, whose unconstrained world position is
    /// `worldPosition` and world orientation `worldOrientation`. Must not change any node.
    virtual glm::quat constrainedOrientation(const Node& node, const glm::vec3& worldPosition,
                                             const glm::quat& worldOrientation) const = 0;

    /// The node whose world transform this constraint reads (its cached transform is checked for changes
    /// on every evaluation), or null.
    virtual const Node* dependency() const = 0;
};

}  // namespace plimsa
