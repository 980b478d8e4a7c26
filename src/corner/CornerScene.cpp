#include "corner/CornerScene.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <numbers>

#include "character/CharacterLoader.h"
#include "character/CharacterRig.h"
#include "library/CharacterLibrary.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"

namespace plimsa {

namespace {

constexpr double kMaxStep = 1.0 / 30.0;

CornerScene::Services completed(CornerScene::Services services) {
    if (!services.resolve)
        services.resolve = [](std::string_view reference) { return CharacterLibrary::resolve(reference); };
    if (!services.load)
        services.load = [](const std::filesystem::path& file) { return CharacterLoader::load(file); };
    if (!services.placeholder)
        services.placeholder = []() -> std::unique_ptr<SwingCharacter> {
            return CharacterRig::placeholder();
        };
    if (!services.seed)
        services.seed = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
    return services;
}

double uniform(std::mt19937_64& random, double low, double high) {
    // Closed interval: the upper end is reachable, as the glance ranges are written.
    return std::uniform_real_distribution<double>(low, std::nextafter(high, high + 1.0))(random);
}

}  // namespace

double CornerScene::environmentNumber(const char* text, double fallback) {
    if (text == nullptr) return fallback;
    const char* end = text + std::strlen(text);
    const char* begin = text;
    // from_chars refuses a leading '+', which a decimal number may carry.
    if (begin != end && *begin == '+' && begin + 1 != end && *(begin + 1) != '-') ++begin;
    double value = 0.0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || begin == end || !std::isfinite(value)) return fallback;
    return value;
}

double CornerScene::widthUnits() {
    return environmentNumber(std::getenv("PLIMSA_CORNER_W"), kDefaultWidthUnits);
}

double CornerScene::heightUnits() {
    return environmentNumber(std::getenv("PLIMSA_CORNER_H"), kDefaultHeightUnits);
}

double CornerScene::floorHeight() {
    return environmentNumber(std::getenv("PLIMSA_CORNER_Y"), kDefaultFloorHeight);
}

CornerScene::CornerScene(Services services)
    : services_(completed(std::move(services))),
      scene_(Scene::make()),
      cameraNode_(Node::make("camera")),
      frame_(Node::make("frame")),
      character_(services_.placeholder()),
      random_(*services_.seed) {
    if (!character_) character_ = CharacterRig::placeholder();
    buildScene();
}

CornerScene::~CornerScene() = default;

void CornerScene::buildScene() {
    // Looking straight down -Z at the middle of the view, whose bottom edge is the floor.
    const float halfHeight = static_cast<float>(heightUnits() / 2.0);
    const Camera lens{
        .zNear = 0.1f, .zFar = 50.0f, .usesOrthographicProjection = true, .orthographicScale = halfHeight};
    Stage::addCamera(*scene_, lens, glm::vec3(0.0f, halfHeight, 6.0f), std::nullopt, cameraNode_);
    lights_ = Stage::addLights(*scene_);
    scene_->rootNode().addChildNode(frame_);
}

void CornerScene::apply(const CornerConfig& config) {
    config_ = config;
    if (!loadedName_ || *loadedName_ != config_.character) loadCharacter();
    placeCharacter();
}

std::unique_ptr<SwingCharacter> CornerScene::characterFor(const std::string& reference) const {
    try {
        if (const auto file = services_.resolve(reference)) {
            if (auto character = services_.load(*file)) return character;
        }
    } catch (const std::exception&) {
        // A model that cannot be read sits as the built-in figure, like a missing one.
    }
    auto placeholder = services_.placeholder();
    return placeholder ? std::move(placeholder) : CharacterRig::placeholder();
}

void CornerScene::loadCharacter() {
    character_->root()->removeFromParentNode();
    character_ = characterFor(config_.character);
    loadedName_ = config_.character;
    frame_->addChildNode(character_->root());
    fittedFor_.reset();
}

void CornerScene::placeCharacter() {
    const bool left = config_.side == CornerSide::left;
    const float turn = static_cast<float>(std::numbers::pi / 2.0);
    // Facing into the screen, away from the side edge the back rests against.
    character_->root()->setEulerAngles(glm::vec3(0.0f, left ? turn : -turn, 0.0f));
    const double x = widthUnits() / 2.0 - kEdgeInset;
    const glm::vec3 place(static_cast<float>(left ? -x : x), static_cast<float>(floorHeight()), 0.0f);
    const glm::dvec4 view(widthUnits(), heightUnits(), floorHeight(), left ? -1.0 : 1.0);
    if (fittedFor_ != view) {
        fitCharacter(place);
        fittedFor_ = view;
    }
    character_->root()->setScale(glm::vec3(fit_.scale));
    character_->root()->setPosition(place + fit_.offset);
}

void CornerScene::fitCharacter(const glm::vec3& place) {
    Node& root = *character_->root();
    root.setScale(glm::vec3(1.0f));
    root.setPosition(place);
    const BoundingBox drawn = CornerFit::sittingBox(*character_, *frame_, sittingPose());
    fit_ = CornerFit::solve(drawn, place, widthUnits() / 2.0, heightUnits());
}

void CornerScene::updateAtTime(double time) {
    // A clock that misbehaves must not reach the pose: hold the last good time instead.
    const double now = std::isfinite(time) ? time : lastTime_.value_or(0.0);
    const double dt = lastTime_ ? now - *lastTime_ : 0.0;
    const double dtc = std::min(dt, kMaxStep);
    lastTime_ = now;
    character_->apply(poseAt(now, dtc, dt), *frame_);
}

// The floor sit for the side, head ahead and still: what every frame starts from.
CharacterPose CornerScene::sittingPose() const {
    const bool right = config_.side == CornerSide::right;
    CharacterPose pose;
    pose.floorSit = true;
    pose.time = lastTime_.value_or(0.0);
    pose.foldedLeg = right ? 1 : 0;
    pose.kneeHandSide = right ? 1.0f : -1.0f;
    pose.handLeft = HandMode::loose;
    pose.handRight = HandMode::loose;
    return pose;
}

CharacterPose CornerScene::poseAt(double time, double dtc, double dt) {
    CharacterPose pose = sittingPose();
    pose.time = time;
    // The floor-sit legs are fixed, so `leg` only rocks the spine; `seatLift` is the breath.
    pose.leg = CornerFit::kRock * std::sin(0.8 * time);
    pose.seatLift = CornerFit::kBreath * std::sin(1.6 * time);
    switch (config_.headMode) {
        case HeadMode::cursor:
            pose.lookTarget = lookTargetWorld_;
            break;
        case HeadMode::idle:
            stepIdleHead(time, dtc, dt);
            pose.headYaw = headYaw_;
            pose.headPitch = headPitch_;
            break;
        case HeadMode::forward:
            break;
    }
    return pose;
}

void CornerScene::stepIdleHead(double time, double dtc, double dt) {
    if (nextIdleLook_ < time) {
        idleLook_ = glm::dvec2(uniform(random_, -0.5, 0.5), uniform(random_, -0.2, 0.15));
        nextIdleLook_ = time + uniform(random_, 2.5, 7.0);
    }
    // dtc is capped at 1/30 s, so k stays below 1: the head eases even after a long pause.
    const double k = dt > 0.0 ? std::min(6.0 * dtc, 1.0) : 0.0;
    headYaw_ += k * (idleLook_.x - headYaw_);
    headPitch_ += k * (idleLook_.y - headPitch_);
}

}  // namespace plimsa
