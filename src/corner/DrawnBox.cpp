#include "corner/DrawnBox.h"

#include <cmath>
#include <vector>

#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Skinner.h"

namespace plimsa {

namespace {

bool isFinite(const glm::vec3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

void addMesh(const Node& node, const glm::mat4& worldToFrame, BoundingBox& box) {
    const Geometry& geometry = *node.geometry();
    const MeshData& mesh = geometry.mesh();
    const Skinner* skinner = node.skinner().get();
    if (skinner != nullptr && !mesh.joints.empty()) {
        std::vector<glm::mat4> joints;
        skinner->jointMatrices(joints);
        for (size_t i = 0; i < mesh.vertexCount(); ++i) {
            const glm::vec3 p(worldToFrame * glm::vec4(skinner->skinnedPosition(geometry, i, joints), 1.0f));
            if (isFinite(p)) box.add(p);
        }
        return;
    }
    const glm::mat4 toFrame = worldToFrame * node.worldTransform();
    for (const glm::vec3& position : mesh.positions) {
        const glm::vec3 p(toFrame * glm::vec4(position, 1.0f));
        if (isFinite(p)) box.add(p);
    }
}

void addTree(const Node& node, const glm::mat4& worldToFrame, BoundingBox& box) {
    if (node.isHidden()) return;
    if (node.geometry() != nullptr) addMesh(node, worldToFrame, box);
    for (const auto& child : node.childNodes()) addTree(*child, worldToFrame, box);
}

}  // namespace

BoundingBox DrawnBox::of(const Node& tree, const Node& frame) {
    BoundingBox box;
    addTree(tree, glm::inverse(frame.worldTransform()), box);
    return box;
}

}  // namespace plimsa
