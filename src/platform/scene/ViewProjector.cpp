#include "platform/scene/ViewProjector.h"

#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Skinner.h"
#include "platform/scene/TransformMath.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace plimsa {

using namespace transform_math;

namespace {

float positiveOr1(float value) { return std::isfinite(value) && value > 0.0f ? value : 1.0f; }

// Entry parameter of the segment origin + t * direction, t in [0, 1], into the box; none when it misses.
std::optional<float> segmentEntersBox(const glm::vec3& origin, const glm::vec3& direction, const BoundingBox& box) {
    float tMin = 0.0f;
    float tMax = 1.0f;
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(direction[axis]) < 1e-12f) {
            if (origin[axis] < box.min[axis] || origin[axis] > box.max[axis]) {
                return std::nullopt;
            }
            continue;
        }
        float t0 = (box.min[axis] - origin[axis]) / direction[axis];
        float t1 = (box.max[axis] - origin[axis]) / direction[axis];
        if (t0 > t1) {
            std::swap(t0, t1);
        }
        tMin = std::max(tMin, t0);
        tMax = std::min(tMax, t1);
        if (!(tMin <= tMax)) {
            return std::nullopt;
        }
    }
    return tMin;
}

}  // namespace

ViewProjector::ViewProjector(const Node& pointOfView, const glm::vec2& viewSize)
    : pointOfView_(pointOfView), size_(positiveOr1(viewSize.x), positiveOr1(viewSize.y)) {}

glm::mat4 ViewProjector::viewProjection() const {
    static const Camera defaultCamera;
    const Camera& camera = pointOfView_.camera() ? *pointOfView_.camera() : defaultCamera;
    return camera.projectionTransform(size_.x / size_.y) * safeInverse(pointOfView_.worldTransform());
}

// Both directions run in double precision: depth near 1 leaves float too few digits to come back exactly.
glm::vec3 ViewProjector::projectPoint(const glm::vec3& world) const {
    const glm::dvec4 clip = glm::dmat4(viewProjection()) * glm::dvec4(glm::dvec3(world), 1.0);
    const double w = std::fabs(clip.w) > 1e-30 ? clip.w : 1e-30;
    const glm::dvec3 ndc = glm::dvec3(clip) / w;
    return glm::vec3((ndc.x + 1.0) * 0.5 * size_.x, (ndc.y + 1.0) * 0.5 * size_.y, (ndc.z + 1.0) * 0.5);
}

glm::vec3 ViewProjector::unprojectPoint(const glm::vec3& view) const {
    const glm::dvec4 ndc(view.x / static_cast<double>(size_.x) * 2.0 - 1.0, view.y / static_cast<double>(size_.y) * 2.0 - 1.0,
                         view.z * 2.0 - 1.0, 1.0);
    const glm::dvec4 world = glm::inverse(glm::dmat4(viewProjection())) * ndc;
    const double w = std::fabs(world.w) > 1e-30 ? world.w : 1e-30;
    return glm::vec3(glm::dvec3(world) / w);
}

std::vector<HitTestResult> ViewProjector::hitTest(const Node& root, const glm::vec2& viewPoint) const {
    const glm::vec3 nearPoint = unprojectPoint({viewPoint, 0.0f});
    const glm::vec3 farPoint = unprojectPoint({viewPoint, 1.0f});
    const glm::vec3 direction = farPoint - nearPoint;
    const bool orthographic = pointOfView_.camera() && pointOfView_.camera()->usesOrthographicProjection;
    const glm::vec3 eye = pointOfView_.worldPosition();

    std::vector<HitTestResult> hits;
    std::vector<std::shared_ptr<Node>> stack;
    const auto push = [&stack](const Node& node) {
        for (auto it = node.childNodes().rbegin(); it != node.childNodes().rend(); ++it) {
            if (!(*it)->isHidden()) {
                stack.push_back(*it);
            }
        }
    };
    const auto test = [&](const std::shared_ptr<Node>& node, const Node& ref) {
        const Geometry* geometry = ref.geometry().get();
        if (geometry == nullptr || geometry->boundingBox().isEmpty()) {
            return;
        }
        std::optional<float> t;
        if (ref.skinner() && !geometry->mesh().joints.empty()) {
            t = segmentEntersBox(nearPoint, direction, ref.skinner()->worldBoundingBox(*geometry));
        } else {
            // Testing in the node's own space keeps rotated boxes tight; affine maps keep the parameter t.
            const glm::mat4 toLocal = safeInverse(ref.worldTransform());
            const glm::vec3 localNear(toLocal * glm::vec4(nearPoint, 1.0f));
            const glm::vec3 localFar(toLocal * glm::vec4(farPoint, 1.0f));
            t = segmentEntersBox(localNear, localFar - localNear, geometry->boundingBox());
        }
        if (t) {
            const glm::vec3 hit = nearPoint + *t * direction;
            hits.push_back({node, hit, orthographic ? *t * glm::length(direction) : glm::length(hit - eye)});
        }
    };
    if (root.isHidden()) {
        return hits;
    }
    test(nullptr, root);
    if (!hits.empty()) {
        hits.front().node = std::const_pointer_cast<Node>(root.weak_from_this().lock());
    }
    push(root);
    while (!stack.empty()) {
        std::shared_ptr<Node> node = std::move(stack.back());
        stack.pop_back();
        test(node, *node);
        push(*node);
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const HitTestResult& a, const HitTestResult& b) { return a.distance < b.distance; });
    return hits;
}

}  // namespace plimsa
