#pragma once

#include <glm/glm.hpp>

#include <memory>
#include <optional>

#include "character/CharacterPose.h"
#include "character/SwingCharacter.h"

namespace plimsa {

class Node;
class Scene;

/// A character standing for its portrait: its own scene with a clear background, the character posed
/// standing with loose hands, a 26-degree camera a little to the right of and in front of the head, an
/// ambient and a directional light, and the sky for reflections. Thumbnails render it once; live views
/// share one per character, counted in `users`.
///
/// A live portrait is animated by one view only, its driver: the first view to `drive` it claims it, and
/// the scene holds that view weakly, so a view that goes away frees the scene for the next one.
///
/// Thread: built on any thread (it touches only its own scene); afterwards used by one thread at a time
/// (the main thread for live portraits). Never fails.
class PortraitScene {
  public:
    /// Takes the character over and poses it; `character` must not be null.
    explicit PortraitScene(std::unique_ptr<SwingCharacter> character);
    ~PortraitScene();
    PortraitScene(const PortraitScene&) = delete;
    PortraitScene& operator=(const PortraitScene&) = delete;

    const std::shared_ptr<Scene>& scene() const { return scene_; }
    SwingCharacter& character() const { return *character_; }
    const std::shared_ptr<Node>& cameraNode() const { return cameraNode_; }

    /// One frame of a live portrait, for the view that `view` stands for (any object the view keeps alive
    /// while it shows the scene). When another view is the driver, returns false and changes nothing.
    /// Otherwise poses the character (`pose(time, lookTarget)`) and returns true. `mouse` is in view points
    /// (origin bottom left) of a view of `viewSize` points; without it the character looks ahead. The look
    /// target is halfway between the camera and the mouse point carried to the head's depth.
    bool drive(const std::shared_ptr<const void>& view, double time, std::optional<glm::vec2> mouse,
               glm::vec2 viewSize);

    /// The portrait's standing pose at `time`: loose hands, a slow leg sway and a small breath.
    static CharacterPose pose(double time, std::optional<glm::vec3> lookTarget);

    /// Live views holding this scene; starts at 0. Main thread.
    int users = 0;

  private:
    void addLights();
    std::optional<glm::vec3> lookTarget(glm::vec2 mouse, glm::vec2 viewSize) const;

    std::shared_ptr<Scene> scene_;
    std::unique_ptr<SwingCharacter> character_;
    std::shared_ptr<Node> cameraNode_;
    std::weak_ptr<const void> driver_;
};

}  // namespace plimsa
