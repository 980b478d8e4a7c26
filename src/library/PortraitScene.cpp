#include "library/PortraitScene.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "character/CharacterPose.h"
#include "character/SeatFit.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Light.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/ViewProjector.h"

namespace plimsa {

namespace {

constexpr float kFieldOfView = 26.0f;
constexpr float kEnvironmentIntensity = 0.4f;
// How far above the camera's aim the crown may lie and still be well inside the frame.
constexpr float kCrownAboveAim = 0.62f;

}  // namespace

PortraitScene::PortraitScene(std::unique_ptr<SwingCharacter> character)
    : scene_(Scene::make()), character_(std::move(character)), cameraNode_(Node::make("camera")) {
    assert(character_ != nullptr);
    scene_->setBackgroundColor(glm::vec4(0.0f));
    Node& root = scene_->rootNode();
    root.addChildNode(character_->root());

    CharacterPose still;
    still.handLeft = HandMode::loose;
    still.handRight = HandMode::loose;
    still.standing = true;
    character_->apply(still, root);

    const glm::vec3 head = character_->headNode()->worldPosition();
    auto camera = Camera::make();
    camera->fieldOfView = kFieldOfView;
    cameraNode_->setCamera(camera);
    // A big head (chibi proportions) reaches far above its head bone: aim higher, so that the crown, at
    // the standing height every character is fitted to, stays in the frame.
    glm::vec3 aim = head - glm::vec3(0.0f, 0.06f, 0.0f);
    aim.y = std::max(aim.y, static_cast<float>(SeatFit::kStandingHeight) - kCrownAboveAim);
    cameraNode_->setPosition(aim + glm::vec3(0.6f, 0.16f, 3.4f));
    cameraNode_->lookAt(aim);
    root.addChildNode(cameraNode_);

    addLights();
    scene_->setLightingEnvironment(SkyDescription{});
    scene_->setLightingEnvironmentIntensity(kEnvironmentIntensity);
}

PortraitScene::~PortraitScene() = default;

CharacterPose PortraitScene::pose(double time, std::optional<glm::vec3> lookTarget) {
    CharacterPose pose;
    pose.handLeft = HandMode::loose;
    pose.handRight = HandMode::loose;
    pose.standing = true;
    pose.time = time;
    pose.leg = 0.06 * std::sin(0.9 * time);
    pose.seatLift = 0.004 * std::sin(1.7 * time);
    pose.lookTarget = lookTarget;
    return pose;
}

bool PortraitScene::drive(const std::shared_ptr<const void>& view, double time,
                          std::optional<glm::vec2> mouse, glm::vec2 viewSize) {
    const auto driver = driver_.lock();
    if (driver && driver != view) return false;
    if (!driver) driver_ = view;
    const std::optional<glm::vec3> target = mouse ? lookTarget(*mouse, viewSize) : std::nullopt;
    character_->apply(pose(time, target), scene_->rootNode());
    return true;
}

std::optional<glm::vec3> PortraitScene::lookTarget(glm::vec2 mouse, glm::vec2 viewSize) const {
    // The head's depth in the view puts the mouse point in the head's plane; halfway to the camera keeps
    // the turn gentle, as if the character looked toward someone just behind the screen.
    const ViewProjector view(*cameraNode_, viewSize);
    const float depth = view.projectPoint(character_->headNode()->worldPosition()).z;
    const glm::vec3 under = view.unprojectPoint(glm::vec3(mouse, depth));
    return (under + cameraNode_->worldPosition()) * 0.5f;
}

void PortraitScene::addLights() {
    auto ambient = Node::make();
    ambient->setLight(Light::make(LightType::ambient, 500.0f));
    scene_->rootNode().addChildNode(ambient);

    auto key = Node::make();
    key->setLight(Light::make(LightType::directional, 900.0f));
    key->setEulerAngles(glm::vec3(-0.5f, 0.6f, 0.0f));
    scene_->rootNode().addChildNode(key);
}

}  // namespace plimsa
