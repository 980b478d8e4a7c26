#pragma once

#include <glm/glm.hpp>

#include <memory>
#include <optional>

#include "platform/scene/Camera.h"

namespace plimsa {

class Node;
class Scene;
struct Light;

/// How bright a stage's lights are: `ambient`, `key` and `fill` in the renderer's units (1000 = a
/// neutral light), `environment` scales the sky's image-based light (1 = as computed). The defaults are
/// the corner sitter's and the galleries' levels. Plain value.
struct LightLevels {
    float ambient = 480.0f;
    float key = 700.0f;
    float fill = 320.0f;
    float environment = 0.4f;

    /// The levels for a light contrast in [0, 1]: 0 is flat (mostly ambient), 1 is hard (mostly the key
    /// light); the fill and the sky fade a little toward hard. Values outside [0, 1] are held inside, NaN
    /// as 0.
    static LightLevels forContrast(double contrast);

    bool operator==(const LightLevels&) const = default;
};

/// The lights a stage was given, for owners that change their levels later.
struct StageLights {
    std::shared_ptr<Light> ambient;
    std::shared_ptr<Light> key;
    std::shared_ptr<Light> fill;
};

/// The one way the program's scenes (swing, corner sitter) and the gallery tools set up what they are
/// seen with: a transparent background, the shared procedural sky as image-based light, an ambient
/// light, a white key light from the upper left front and a cool fill light from below right, and a
/// camera. Scene units, +Y up, +Z toward the viewer. Runs on the thread that builds the scene.
class Stage {
  public:
    /// Makes the background transparent, lights the scene with the sky and adds the three light nodes
    /// under the root, in the order ambient, key, fill.
    static StageLights addLights(Scene& scene, const LightLevels& levels = {});
    /// Sets the three lights and the sky to `levels`.
    static void setLevels(Scene& scene, const StageLights& lights, const LightLevels& levels);

    /// `camera` on `node` (a new node named "camera" when null) at `position`, added under the root and
    /// turned to look at `target` (straight down -Z when there is none). Returns the node.
    static std::shared_ptr<Node> addCamera(Scene& scene, const Camera& camera, const glm::vec3& position,
                                           std::optional<glm::vec3> target = std::nullopt,
                                           std::shared_ptr<Node> node = nullptr);
};

}  // namespace plimsa
