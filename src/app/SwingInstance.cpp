#include "app/SwingInstance.h"

#include <numbers>

#include "platform/desktop/Desktop.h"
#include "platform/desktop/OverlayWindow.h"
#include "swing/SwingInfo.h"

namespace plimsa {

namespace {
constexpr int kInitialFramesPerSecond = 60;
}  // namespace

SwingInstance::SwingInstance(const Uuid& id, Desktop& desktop, SwingInfo& info, SwingScene::Services services)
    : id_(id), info_(info), scene_(std::make_shared<SwingScene>(std::move(services))) {
    const WindowSize size = scene_->requiredSize(std::numbers::pi);
    window_ = desktop.createOverlay({scene_->scene(), scene_->cameraNode(), scene_}, size.width, size.height);
    window_->setPreferredFramesPerSecond(kInitialFramesPerSecond);
    // The click may come after the instance is gone (the window is the last to go); then it does nothing.
    window_->setOnClick([weakScene = std::weak_ptr<SwingScene>(scene_)] {
        if (auto scene = weakScene.lock()) scene->addPush(kClickPush);
    });
}

SwingInstance::~SwingInstance() {
    window_->setOnClick({});
}

void SwingInstance::apply(const SwingConfig& config, int frameRate) {
    config_ = config;
    scene_->setConfig(config);
    scene_->setCharacters(config.characters);
    scene_->settingsChanged();
    info_.publish(id_, scene_->minCharacterSizes(), scene_->maxCharacterSizes());
    window_->setPreferredFramesPerSecond(frameRate);
    sizedForAmplitude_ = -1.0;
    fitWindow();
    lastOrigin_.reset();
}

void SwingInstance::fitWindow() {
    const double amplitude = scene_->predictedAmplitude();
    if (holdsSize(amplitude, sizedForAmplitude_)) return;
    sizedForAmplitude_ = amplitude;
    const WindowSize size = scene_->requiredSize(amplitude);
    const DesktopRect frame = window_->frame();
    if (frame.width == size.width && frame.height == size.height) return;
    window_->setContentSize(size.width, size.height);
    lastOrigin_.reset();
}

}  // namespace plimsa
