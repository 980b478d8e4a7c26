#include "library/PortraitScene.h"

#include <cassert>

#include "character/CharacterPose.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Light.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"

namespace plimsa {

namespace {

constexpr float kFieldOfView = 26.0f;
constexpr float kEnvironmentIntensity = 0.4f;

}  // namespace

PortraitScene::PortraitScene(std::unique_ptr<SwingCharacter> character)
    : scene_(Scene::make()), character_(std::move(character)), cameraNode_(Node::make("camera")) {
    assert(character_ != nullptr);
    scene_->setBackgroundColor(glm::vec4(0.0f));
    Node& root = scene_->rootNode();
    root.addChildNode(character_->root());

    CharacterPose pose;
    pose.handLeft = HandMode::loose;
    pose.handRight = HandMode::loose;
    pose.standing = true;
    character_->apply(pose, root);

    const glm::vec3 head = character_->headNode()->worldPosition();
    auto camera = Camera::make();
    camera->fieldOfView = kFieldOfView;
    cameraNode_->setCamera(camera);
    cameraNode_->setPosition(head + glm::vec3(0.6f, 0.1f, 3.4f));
    cameraNode_->lookAt(head - glm::vec3(0.0f, 0.06f, 0.0f));
    root.addChildNode(cameraNode_);

    addLights();
    scene_->setLightingEnvironment(SkyDescription{});
    scene_->setLightingEnvironmentIntensity(kEnvironmentIntensity);
}

PortraitScene::~PortraitScene() = default;

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
