#include "platform/render/DrawList.h"

#include "platform/render/ColorSpace.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Light.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"

#include <algorithm>
#include <cmath>

namespace plimsa {
namespace {

struct Gatherer {
    DrawList& list;
    glm::vec3 cameraPosition;
    glm::vec3 viewDirection;

    void addLight(const Node& node, const Light& light) {
        const float scale = std::isfinite(light.intensity) ? std::max(light.intensity, 0.0f) / 1000.0f : 0.0f;
        const glm::vec3 radiance = srgbToLinear(glm::clamp(light.color, 0.0f, 1.0f)) * scale;
        if (light.type == LightType::ambient) {
            list.ambient += radiance;
            return;
        }
        const glm::vec3 axis = -glm::vec3(node.worldTransform()[2]);
        if (glm::dot(axis, axis) < 1e-12f || !std::isfinite(axis.x + axis.y + axis.z)) return;
        list.directionalLights.push_back({glm::normalize(axis), radiance});
    }

    void addGeometry(const Node& node, const std::shared_ptr<Geometry>& geometry) {
        if (geometry->vertexCount() == 0) return;
        DrawItem base;
        base.geometry = geometry;
        const std::shared_ptr<Skinner>& skinner = node.skinner();
        const bool skinned = skinner && skinner->boneCount() > 0 && !geometry->mesh().joints.empty();
        BoundingBox box;
        if (skinned) {
            std::vector<glm::mat4> palette;
            skinner->jointMatrices(palette);
            base.jointOffset = static_cast<int>(list.jointMatrices.size());
            base.jointCount = static_cast<int>(palette.size());
            list.jointMatrices.insert(list.jointMatrices.end(), palette.begin(), palette.end());
            box = skinner->worldBoundingBox(*geometry);
        } else {
            base.model = node.worldTransform();
            box = geometry->boundingBox().transformed(base.model);
        }
        base.viewDepth = glm::dot(box.center() - cameraPosition, viewDirection);
        base.worldBounds = box;
        const std::vector<GeometryElement>& elements = geometry->elements();
        for (size_t i = 0; i < elements.size(); ++i) {
            if (elements[i].indices.size() < 3) continue;
            DrawItem item = base;
            item.element = i;
            item.material = geometry->materialForElement(i);
            if (item.material->transparency() <= 0.0f) continue;
            list.worldBounds.add(box);
            (item.material->needsBlending() ? list.blended : list.opaque).push_back(std::move(item));
        }
    }

    void visit(const Node& node) {
        if (node.isHidden()) return;
        if (node.light()) addLight(node, *node.light());
        if (node.geometry()) addGeometry(node, node.geometry());
        for (const std::shared_ptr<Node>& child : node.childNodes()) visit(*child);
    }
};

}  // namespace

DrawList DrawList::gather(const Scene& scene, const glm::mat4& cameraWorld) {
    DrawList list;
    const glm::vec3 forward = -glm::vec3(cameraWorld[2]);
    Gatherer gatherer{list, glm::vec3(cameraWorld[3]),
                      glm::dot(forward, forward) > 0.0f ? glm::normalize(forward) : glm::vec3(0, 0, -1)};
    gatherer.visit(scene.rootNode());
    // Near to far lets the depth test skip hidden fragments before they are shaded.
    std::stable_sort(list.opaque.begin(), list.opaque.end(),
                     [](const DrawItem& a, const DrawItem& b) { return a.viewDepth < b.viewDepth; });
    // Far to near, so each blended surface composites over what lies behind it.
    std::stable_sort(list.blended.begin(), list.blended.end(),
                     [](const DrawItem& a, const DrawItem& b) { return a.viewDepth > b.viewDepth; });
    if (list.directionalLights.size() > kMaxDirectionalLights) {
        auto brightness = [](const DirectionalLight& l) {
            return l.radiance.r + l.radiance.g + l.radiance.b;
        };
        std::stable_sort(list.directionalLights.begin(), list.directionalLights.end(),
                         [&](const DirectionalLight& a, const DirectionalLight& b) {
                             return brightness(a) > brightness(b);
                         });
        list.directionalLights.resize(kMaxDirectionalLights);
    }
    return list;
}

}  // namespace plimsa
