#include "library/PortraitView.h"

#include "library/PortraitScene.h"
#include "library/PortraitScenes.h"

namespace plimsa {

PortraitView::PortraitView(PortraitScenes& scenes, std::function<void()> attached)
    : scenes_(scenes), attached_(std::move(attached)) {}

PortraitView::~PortraitView() {
    // A request still waiting finds its token gone and gives its use back when the scene arrives.
    giveBack();
}

void PortraitView::giveBack() {
    // After the pool was emptied the name may stand for a newer scene, whose uses are not ours.
    if (portrait_ && scenes_.scene(name_) == portrait_) scenes_.release(name_);
    portrait_.reset();
}

void PortraitView::setName(const std::string& name) {
    if (name == name_) return;
    giveBack();
    name_ = name;
    request_ = std::make_shared<int>(0);
    // The view may be gone when the scene arrives: only a live request reaches `this`.
    scenes_.acquire(name_, [this, &scenes = scenes_, request = std::weak_ptr<int>(request_),
                            name = name_](const std::shared_ptr<PortraitScene>& scene) {
        if (request.expired()) return scenes.release(name);
        attach(scene);
    });
}

void PortraitView::attach(const std::shared_ptr<PortraitScene>& scene) {
    portrait_ = scene;
    if (attached_) attached_();
}

bool PortraitView::frame(double time, std::optional<glm::vec2> mouse, glm::vec2 viewSize) {
    return portrait_ && portrait_->drive(request_, time, mouse, viewSize);
}

}  // namespace plimsa
