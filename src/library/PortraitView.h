#pragma once

#include <glm/glm.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plimsa {

class PortraitScene;
class PortraitScenes;

/// What one live portrait view holds, apart from drawing: the name it shows, its use of that name's
/// shared scene, and the scene once it is there. The toolkit's view item keeps one of these and draws
/// `portrait()` from its camera. Every use it takes is given back exactly once, even when the name
/// changes (or the view goes) before the scene has loaded, or a load it was waiting for failed.
///
/// Main thread. `scenes` must outlive the view.
class PortraitView {
  public:
    /// `attached` is called each time a scene arrives for the name shown (the item starts drawing it and,
    /// a moment later, tells the page it is ready).
    explicit PortraitView(PortraitScenes& scenes, std::function<void()> attached = {});
    /// Gives back the use of the scene shown.
    ~PortraitView();
    PortraitView(const PortraitView&) = delete;
    PortraitView& operator=(const PortraitView&) = delete;

    /// Shows `name`: when it differs from the current one, gives back the old scene and asks for the new
    /// one (the empty name shows nothing).
    void setName(const std::string& name);
    const std::string& name() const { return name_; }
    /// The scene shown, or null while it loads (or when it cannot).
    const std::shared_ptr<PortraitScene>& portrait() const { return portrait_; }

    /// One frame at view time `time`: poses the scene when this view is its driver (see
    /// `PortraitScene::drive`). False when there is no scene or another view drives it.
    bool frame(double time, std::optional<glm::vec2> mouse, glm::vec2 viewSize);

  private:
    void attach(const std::shared_ptr<PortraitScene>& scene);
    void giveBack();

    PortraitScenes& scenes_;
    std::function<void()> attached_;
    std::string name_;
    std::shared_ptr<PortraitScene> portrait_;
    // Replaced on every request: a scene that arrives for an older request is given back. Also the
    // token by which the scene knows its driver.
    std::shared_ptr<int> request_ = std::make_shared<int>(0);
};

}  // namespace plimsa
