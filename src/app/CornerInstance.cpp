#include "app/CornerInstance.h"

#include <algorithm>
#include <cmath>

#include "platform/desktop/Desktop.h"
#include "platform/desktop/OverlayWindow.h"

namespace plimsa {

namespace {
constexpr double kPointsPerUnit = 120.0;
// A hand-edited settings file or environment may ask for any size; a window stays between one point and
// a few screens wide.
constexpr double kMinSide = 1.0;
constexpr double kMaxSide = 16384.0;

double heldSide(double side) {
    return std::isfinite(side) ? std::clamp(side, kMinSide, kMaxSide) : kMinSide;
}
}  // namespace

CornerInstance::CornerInstance(const Uuid& id, Desktop& desktop, CornerScene::Services services)
    : id_(id), scene_(std::make_shared<CornerScene>(std::move(services))) {
    const WindowSize size = windowSize(scene_->config().size);
    window_ = desktop.createOverlay({scene_->scene(), scene_->cameraNode(), scene_}, size.width, size.height);
}

CornerInstance::~CornerInstance() = default;

WindowSize CornerInstance::windowSize(double size) {
    const double s = size * kPointsPerUnit;
    return {heldSide(std::round(s * CornerScene::widthUnits())),
            heldSide(std::round(s * CornerScene::heightUnits()))};
}

void CornerInstance::apply(const CornerConfig& config, int frameRate) {
    config_ = config;
    scene_->apply(config);
    window_->setPreferredFramesPerSecond(frameRate);
    window_->setAlpha(std::isfinite(config.opacity) ? std::clamp(config.opacity, 0.0, 1.0) : 1.0);
    const WindowSize size = windowSize(scene_->config().size);
    const DesktopRect frame = window_->frame();
    if (frame.width != size.width || frame.height != size.height)
        window_->setContentSize(size.width, size.height);
    lastOrigin_.reset();
}

}  // namespace plimsa
