#pragma once

#include "platform/scene/SkyDescription.h"

#include <glm/glm.hpp>

#include <memory>
#include <optional>

namespace plimsa {

class Node;

/// A scene (SceneKit's SCNScene): a root node, a background and an image-based lighting environment.
/// The background is an sRGB colour with straight alpha, fully transparent by default (the overlays and
/// snapshots rely on it). `lightingEnvironment`, when set, lights and reflects on physically based
/// materials scaled by `lightingEnvironmentIntensity` (1 = as computed); it is never drawn as background.
/// Not thread-safe: a scene and all its nodes are used by one thread at a time (the thread that renders
/// it, or the thread that builds it before handing it over).
class Scene {
  public:
    static std::shared_ptr<Scene> make();

    Scene();

    Node& rootNode() const { return *root_; }
    const std::shared_ptr<Node>& rootNodePointer() const { return root_; }

    const glm::vec4& backgroundColor() const { return background_; }
    void setBackgroundColor(const glm::vec4& rgba) { background_ = rgba; }

    const std::optional<SkyDescription>& lightingEnvironment() const { return environment_; }
    void setLightingEnvironment(std::optional<SkyDescription> sky) { environment_ = std::move(sky); }
    float lightingEnvironmentIntensity() const { return environmentIntensity_; }
    void setLightingEnvironmentIntensity(float intensity) { environmentIntensity_ = intensity; }

  private:
    std::shared_ptr<Node> root_;
    glm::vec4 background_{0.0f};
    std::optional<SkyDescription> environment_;
    float environmentIntensity_ = 1.0f;
};

}  // namespace plimsa
