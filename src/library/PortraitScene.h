#pragma once

#include <memory>

#include "character/SwingCharacter.h"

namespace plimsa {

class Node;
class Scene;

/// A character standing for its portrait: its own scene with a clear background, the character posed
/// standing with loose hands, a 26-degree camera a little to the right of and in front of the head, an
/// ambient and a directional light, and the sky for reflections. Thumbnails render it once; live views
/// share one per character, counted in `users`.
///
/// Thread: built on any thread (it touches only its own scene); afterwards used by one thread at a time.
/// Never fails.
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

    /// Live views holding this scene; starts at 0. Main thread.
    int users = 0;

  private:
    void addLights();

    std::shared_ptr<Scene> scene_;
    std::unique_ptr<SwingCharacter> character_;
    std::shared_ptr<Node> cameraNode_;
};

}  // namespace plimsa
