#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Skinner.h"
#include "platform/scene/TransformMath.h"
#include "platform/scene/ViewProjector.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace plimsa {

using namespace transform_math;

namespace {

// The part of the view ray between the near and far planes: origin + t * direction, t in [0, 1].
struct Segment {
    glm::vec3 origin;
    glm::vec3 direction;

    Segment transformed(const glm::mat4& m) const {
        const glm::vec3 start(m * glm::vec4(origin, 1.0f));
        const glm::vec3 end(m * glm::vec4(origin + direction, 1.0f));
        return {start, end - start};
    }
};

std::optional<float> entersBox(const Segment& segment, const BoundingBox& box) {
    float tMin = 0.0f;
    float tMax = 1.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float o = segment.origin[axis];
        const float d = segment.direction[axis];
        if (std::fabs(d) < 1e-12f) {
            if (o < box.min[axis] || o > box.max[axis]) {
                return std::nullopt;
            }
            continue;
        }
        const float t0 = (box.min[axis] - o) / d;
        const float t1 = (box.max[axis] - o) / d;
        tMin = std::max(tMin, std::min(t0, t1));
        tMax = std::min(tMax, std::max(t0, t1));
        if (!(tMin <= tMax)) {
            return std::nullopt;
        }
    }
    return tMin;
}

// Nearest crossing of any triangle, from either side (Moller-Trumbore).
std::optional<float> crossesTriangles(const Segment& segment, const std::vector<glm::vec3>& positions,
                                      const std::vector<GeometryElement>& elements) {
    std::optional<float> nearest;
    for (const GeometryElement& element : elements) {
        for (size_t i = 0; i + 2 < element.indices.size(); i += 3) {
            const glm::vec3 a = positions[element.indices[i]];
            const glm::vec3 ab = positions[element.indices[i + 1]] - a;
            const glm::vec3 ac = positions[element.indices[i + 2]] - a;
            const glm::vec3 p = glm::cross(segment.direction, ac);
            const float det = glm::dot(ab, p);
            if (std::fabs(det) < 1e-20f) {
                continue;
            }
            const glm::vec3 s = segment.origin - a;
            const float u = glm::dot(s, p) / det;
            const glm::vec3 q = glm::cross(s, ab);
            const float v = glm::dot(segment.direction, q) / det;
            const float t = glm::dot(ac, q) / det;
            if (u >= 0 && v >= 0 && u + v <= 1 && t >= 0 && t <= 1 && (!nearest || t < *nearest)) {
                nearest = t;
            }
        }
    }
    return nearest;
}

std::optional<float> hitParameter(const Node& node, const Segment& world, const HitTestOptions& options) {
    const Geometry* geometry = node.geometry().get();
    if (geometry == nullptr || geometry->boundingBox().isEmpty()) {
        return std::nullopt;
    }
    if (node.skinner() && !geometry->mesh().joints.empty()) {
        const std::optional<float> box = entersBox(world, node.skinner()->worldBoundingBox(*geometry));
        if (!box || options.boundingBoxOnly) {
            return box;
        }
        std::vector<glm::mat4> joints;
        node.skinner()->jointMatrices(joints);
        std::vector<glm::vec3> posed(geometry->vertexCount());
        for (size_t i = 0; i < posed.size(); ++i) {
            posed[i] = node.skinner()->skinnedPosition(*geometry, i, joints);
        }
        return crossesTriangles(world, posed, geometry->elements());
    }
    // In the node's own space rotated boxes stay tight; affine maps keep the segment parameter t.
    const Segment local = world.transformed(safeInverse(node.worldTransform()));
    const std::optional<float> box = entersBox(local, geometry->boundingBox());
    if (!box || options.boundingBoxOnly) {
        return box;
    }
    return crossesTriangles(local, geometry->mesh().positions, geometry->elements());
}

}  // namespace

std::vector<HitTestResult> ViewProjector::hitTest(const Node& root, const glm::vec2& viewPoint,
                                                  const HitTestOptions& options) const {
    const glm::vec3 nearPoint = unprojectPoint({viewPoint, 0.0f});
    const Segment world{nearPoint, unprojectPoint({viewPoint, 1.0f}) - nearPoint};
    const bool orthographic = pointOfView_.camera() && pointOfView_.camera()->usesOrthographicProjection;
    const glm::vec3 eye = pointOfView_.worldPosition();

    std::vector<HitTestResult> hits;
    if (root.isHidden()) {
        return hits;
    }
    std::vector<const Node*> stack{&root};
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        if (const std::optional<float> t = hitParameter(*node, world, options)) {
            const glm::vec3 point = world.origin + *t * world.direction;
            const float distance =
                orthographic ? *t * glm::length(world.direction) : glm::length(point - eye);
            hits.push_back({std::const_pointer_cast<Node>(node->weak_from_this().lock()), point, distance});
        }
        for (auto it = node->childNodes().rbegin(); it != node->childNodes().rend(); ++it) {
            if (!(*it)->isHidden()) {
                stack.push_back(it->get());
            }
        }
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const HitTestResult& a, const HitTestResult& b) { return a.distance < b.distance; });
    return hits;
}

}  // namespace plimsa
