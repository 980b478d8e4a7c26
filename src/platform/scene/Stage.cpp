#include "platform/scene/Stage.h"

#include <algorithm>
#include <cmath>

#include "platform/scene/Light.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"

namespace plimsa {

namespace {

constexpr glm::vec3 kKeyEuler{-0.75f, 0.55f, 0.0f};
constexpr glm::vec3 kFillEuler{-0.3f, -0.9f, 0.0f};
constexpr glm::vec3 kFillColor{0.92f, 0.94f, 1.0f};

std::shared_ptr<Light> addLight(Scene& scene, LightType type, float intensity, const glm::vec3& color,
                                const glm::vec3& euler) {
    auto light = Light::make(type, intensity, color);
    auto node = Node::make();
    node->setLight(light);
    node->setEulerAngles(euler);
    scene.rootNode().addChildNode(std::move(node));
    return light;
}

}  // namespace

LightLevels LightLevels::forContrast(double contrast) {
    const double c = std::isnan(contrast) ? 0.0 : std::clamp(contrast, 0.0, 1.0);
    return {static_cast<float>(650 - 420 * c), static_cast<float>(350 + 850 * c),
            static_cast<float>(400 - 150 * c), static_cast<float>(0.25 + 0.3 * c)};
}

StageLights Stage::addLights(Scene& scene, const LightLevels& levels) {
    scene.setBackgroundColor(glm::vec4(0.0f));
    scene.setLightingEnvironment(SkyDescription{});
    scene.setLightingEnvironmentIntensity(levels.environment);
    StageLights lights;
    lights.ambient = addLight(scene, LightType::ambient, levels.ambient, glm::vec3(1.0f), glm::vec3(0.0f));
    lights.key = addLight(scene, LightType::directional, levels.key, glm::vec3(1.0f), kKeyEuler);
    lights.fill = addLight(scene, LightType::directional, levels.fill, kFillColor, kFillEuler);
    return lights;
}

void Stage::setLevels(Scene& scene, const StageLights& lights, const LightLevels& levels) {
    lights.ambient->intensity = levels.ambient;
    lights.key->intensity = levels.key;
    lights.fill->intensity = levels.fill;
    scene.setLightingEnvironmentIntensity(levels.environment);
}

std::shared_ptr<Node> Stage::addCamera(Scene& scene, const Camera& camera, const glm::vec3& position,
                                       std::optional<glm::vec3> target, std::shared_ptr<Node> node) {
    if (!node) node = Node::make("camera");
    node->setCamera(std::make_shared<Camera>(camera));
    node->setPosition(position);
    if (target) node->lookAt(*target);
    scene.rootNode().addChildNode(node);
    return node;
}

}  // namespace plimsa
