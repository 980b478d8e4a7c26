#pragma once

#include <glm/glm.hpp>

#include <memory>

namespace plimsa {

enum class LightType {
    ambient,      // lights every surface equally from all directions
    directional,  // parallel rays along the carrying node's -Z axis (world space)
};

/// A light carried by a node (SceneKit's SCNLight). `intensity` is in SceneKit's units: 1000 is a
/// neutral light that shows a white diffuse surface facing it at its own colour; the renderer scales
/// radiance by intensity / 1000. `color` is sRGB. Plain value; shared by std::shared_ptr on nodes.
struct Light {
    LightType type = LightType::directional;
    glm::vec3 color{1.0f};
    float intensity = 1000.0f;

    static std::shared_ptr<Light> make(LightType type, float intensity = 1000.0f,
                                       const glm::vec3& color = glm::vec3(1.0f)) {
        return std::make_shared<Light>(Light{type, color, intensity});
    }
};

}  // namespace plimsa
