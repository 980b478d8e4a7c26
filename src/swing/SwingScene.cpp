#include "swing/SwingScene.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>

#include "config/Settings.h"
#include "platform/scene/Camera.h"
#include "platform/scene/LookAtConstraint.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "swing/SwingParts.h"
#include "swing/SwingSceneDefaults.h"

namespace plimsa {

namespace {
constexpr double kDegrees = std::numbers::pi / 180.0;
constexpr double kFieldOfViewDegrees = 24.0;
}  // namespace

SwingScene::SwingScene(Services services)
    : services_(SwingSceneDefaults::complete(std::move(services))),
      scene_(Scene::make()),
      cameraNode_(Node::make()),
      lookTarget_(Node::make()),
      anchor_(Node::make()),
      yawNode_(Node::make()),
      pivot_(Node::make()),
      swingParts_(Node::make()),
      tuning_(SwingTuning::from(config_)),
      motion_(*services_.seed) {
    characters_.push_back(services_.placeholder());
    buildStatic();
    rebuild();
    placeCamera();
}

SwingScene::~SwingScene() = default;

void SwingScene::setConfig(const SwingConfig& config) {
    config_ = config;
    tuning_ = SwingTuning::from(config);
}

void SwingScene::buildStatic() {
    Node& root = scene_->rootNode();
    // placeCamera moves the camera; the constraint keeps it aimed at the look target.
    const Camera lens{.fieldOfView = static_cast<float>(kFieldOfViewDegrees), .zNear = 0.1f, .zFar = 100.0f};
    Stage::addCamera(*scene_, lens, glm::vec3(0.0f), std::nullopt, cameraNode_);
    root.addChildNode(lookTarget_);
    auto aim = LookAtConstraint::make(lookTarget_);
    aim->setGimbalLockEnabled(true);
    cameraNode_->setConstraints({std::move(aim)});

    lights_ = Stage::addLights(*scene_);
    applyLighting();

    root.addChildNode(anchor_);
    anchor_->addChildNode(yawNode_);
    yawNode_->addChildNode(pivot_);
    glm::vec3 yaw = yawNode_->eulerAngles();
    yaw.y = static_cast<float>(tuning_.tilt);
    yawNode_->setEulerAngles(yaw);
}

void SwingScene::applyLighting() {
    const double stored = services_.settings->v().lightContrast;
    const double contrast = std::isfinite(stored) ? std::clamp(stored, 0.0, 1.0) : 0.4;
    Stage::setLevels(*scene_, lights_, LightLevels::forContrast(contrast));
}

void SwingScene::placeCamera() {
    // The window shows `height` points below the bar at 120 points per unit (times the scale); a 24 degree
    // view tilted down by half of it puts the bar on the top edge.
    const WindowSize size = requiredSize(std::numbers::pi);
    const double visibleDepth = size.height / (tuning_.swingScale() * 120);
    const double distance = visibleDepth / std::tan(kFieldOfViewDegrees * kDegrees);
    cameraNode_->setPosition(glm::vec3(0.0f, 0.0f, static_cast<float>(distance)));
    const double drop = distance * std::tan(kFieldOfViewDegrees / 2 * kDegrees);
    lookTarget_->setPosition(glm::vec3(0.0f, static_cast<float>(-drop), 0.0f));
}

int SwingScene::seatCount() const {
    const size_t count = characterNames_.empty() ? characters_.size() : characterNames_.size();
    return count > 1 ? 2 : 1;
}

void SwingScene::setCharacters(const std::vector<std::string>& names) {
    std::vector<std::string> seats = names;
    if (seats.empty()) seats.emplace_back();
    if (seats.size() > 2) seats.resize(2);
    characterNames_ = std::move(seats);
    if (characterNames_ == loadedNames_) return;
    rebuild();
    placeCamera();
}

void SwingScene::settingsChanged() {
    glm::vec3 yaw = yawNode_->eulerAngles();
    yaw.y = static_cast<float>(tuning_.tilt);
    yawNode_->setEulerAngles(yaw);
    applyLighting();
    const bool sameFrame =
        seatCount() == builtSeats_ && tuning_.ropeLength() == builtRope_ && tuning_.skin == builtSkin_;
    if (!sameFrame || resolveSizes() != builtLayout_) rebuild();
    placeCamera();
}

std::unique_ptr<SwingCharacter> SwingScene::loadCharacter(const std::string& name) const {
    if (name.empty()) return services_.placeholder();
    try {
        std::optional<std::filesystem::path> file;
        if (name.front() == '/')
            file = std::filesystem::path(name);
        else
            file = services_.locate(name);
        if (file) {
            if (auto character = services_.load(*file)) return character;
        }
    } catch (const std::exception&) {
        // A model that cannot be read is shown as the built-in figure, like a missing one.
    }
    return services_.placeholder();
}

void SwingScene::loadCharacters() {
    std::vector<std::unique_ptr<SwingCharacter>> loaded;
    loaded.reserve(characterNames_.size());
    for (const std::string& name : characterNames_) loaded.push_back(loadCharacter(name));
    characters_ = std::move(loaded);
    loadedNames_ = characterNames_;
}

void SwingScene::rebuild() {
    swingParts_->removeFromParentNode();
    swingParts_ = Node::make();
    pivot_->addChildNode(swingParts_);

    builtRope_ = tuning_.ropeLength();
    builtSkin_ = tuning_.skin;
    builtSeats_ = seatCount();
    for (const auto& character : characters_) character->root()->removeFromParentNode();
    if (characterNames_ != loadedNames_ && !characterNames_.empty()) loadCharacters();

    const SeatLayout layout = resolveSizes();
    builtLayout_ = layout;
    SeatBuild build = SwingParts::buildBoard(builtSkin_, layout.width, layout.xs, builtRope_);
    for (const Rope& rope : build.ropes) swingParts_->addChildNode(SwingParts::ropeNode(rope, builtSkin_));
    const float length = static_cast<float>(builtRope_);
    build.node->setPosition(glm::vec3(0.0f, -length, 0.0f));
    swingParts_->addChildNode(build.node);

    const std::vector<double>& xs = build.characterXs;
    for (size_t i = 0; i < characters_.size(); ++i) {
        const double x = xs.empty() ? 0.0 : xs[std::min(i, xs.size() - 1)];
        const std::shared_ptr<Node>& root = characters_[i]->root();
        root->setPosition(glm::vec3(static_cast<float>(x) + build.rootOffset.x, build.rootOffset.y - length,
                                    build.rootOffset.z));
        swingParts_->addChildNode(root);
    }
    seatBuild_ = std::move(build);
}

}  // namespace plimsa
