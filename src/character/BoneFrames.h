#pragma once

#include "platform/scene/Node.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

namespace plimsa::bone_frames {

/// World transforms of bones computed down a chain from a known ancestor, so that posing a limb never walks
/// the scene graph from the root again. Bones have no constraints; these helpers ignore any. Stateless.

/// Node::transform() without its general matrix products, with `orientation` for the node's own: T R S,
/// times the pivot's inverse only when the node has a pivot (bones do not).
inline glm::mat4 localTransform(const Node& node, const glm::quat& orientation) {
    const glm::mat3 rotation = glm::mat3_cast(orientation);
    const glm::vec3& scale = node.scale();
    glm::mat4 local(glm::vec4(rotation[0] * scale.x, 0.0f), glm::vec4(rotation[1] * scale.y, 0.0f),
                    glm::vec4(rotation[2] * scale.z, 0.0f), glm::vec4(node.position(), 1.0f));
    if (node.pivot() != glm::mat4(1.0f)) {
        local = local * glm::inverse(node.pivot());
    }
    return local;
}

inline glm::mat4 localTransform(const Node& node) {
    return localTransform(node, node.orientation());
}

/// The world transform of `node` given that of `ancestor`: through the nodes between them (a wrist bone
/// between forearm and hand, say), or from the scene graph when `node` is not below `ancestor` at all.
inline glm::mat4 below(const Node& ancestor, const glm::mat4& ancestorWorld, const Node& node) {
    if (node.parent() == &ancestor) {
        return ancestorWorld * localTransform(node);
    }
    glm::mat4 path(1.0f);
    for (const Node* at = &node; at != &ancestor; at = at->parent()) {
        if (at == nullptr) {
            return node.worldTransform();
        }
        path = localTransform(*at) * path;
    }
    return ancestorWorld * path;
}

}  // namespace plimsa::bone_frames
