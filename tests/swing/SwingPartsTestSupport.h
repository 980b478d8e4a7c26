#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/scene/BoundingBox.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"

namespace plimsa::testing {

/// The children of `node` carrying geometry, in order.
inline std::vector<std::shared_ptr<Node>> partsOf(const Node& node) {
    std::vector<std::shared_ptr<Node>> parts;
    for (const auto& child : node.childNodes())
        if (child->geometry()) parts.push_back(child);
    return parts;
}

/// The bounding box of a node's own geometry in its parent's space.
inline BoundingBox boxInParent(const Node& node) {
    if (!node.geometry()) return {};
    return node.geometry()->boundingBox().transformed(node.transform());
}

/// Every node named `name` in the subtree, the root included.
inline std::vector<Node*> nodesNamed(Node& root, const std::string& name) {
    std::vector<Node*> found;
    root.enumerateHierarchy([&](Node& node, bool&) {
        if (node.name() == name) found.push_back(&node);
    });
    return found;
}

}  // namespace plimsa::testing
