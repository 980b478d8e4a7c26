#include "character/SkinnedCharacter.h"

#include "character/ArmPoser.h"
#include "character/BoneFinder.h"
#include "character/TextureDownscaler.h"
#include "platform/gltf/GltfHumanoid.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Texture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <unordered_map>

namespace plimsa {

std::atomic<int> SkinnedCharacter::lapFallbacks{0};

namespace {

constexpr int kMaxTextureSide = 1024;

bool debugEnabled() {
    return std::getenv("PLIMSA_DEBUG") != nullptr;
}

glm::quat aboutX(double angle) {
    return glm::angleAxis(static_cast<float>(angle), glm::vec3(1.0f, 0.0f, 0.0f));
}

glm::quat aboutY(double angle) {
    return glm::angleAxis(static_cast<float>(angle), glm::vec3(0.0f, 1.0f, 0.0f));
}

}  // namespace

SkinnedCharacter::SkinnedCharacter(Scene& scene, const GltfHumanoid* humanoid)
    : root_(Node::make("Root")), model_(Node::make()), poser_(*root_) {
    root_->addChildNode(model_);
    const bool turnAround = humanoid != nullptr && humanoid->facesMinusZ();
    adoptNodes(scene, turnAround);
    if (turnAround) {
        report_.notes.push_back("VRM 0.x avatar: turned round to face forward");
    }
    prepareMaterials();
    bones_ = BoneFinder::find(*model_, humanoid);
    BoneFinder::describe(bones_, report_);
    std::printf("%s\n", BoneFinder::summary(bones_).c_str());
    std::fflush(stdout);
    headNode_ = bones_.head != nullptr ? bones_.head->shared_from_this() : root_;
    poser_.recordRest(*model_);
    attachFollowers();
    measureHands();
    placeOnSeat();
}

void SkinnedCharacter::adoptNodes(Scene& scene, bool turnAround) {
    // Copy the list first: moving a child edits the list being walked.
    const std::vector<std::shared_ptr<Node>> children = scene.rootNode().childNodes();
    const glm::quat halfTurn = aboutY(std::numbers::pi);
    for (const std::shared_ptr<Node>& child : children) {
        child->removeFromParentNode();
        if (turnAround) {
            // Turning each top node about the model's origin turns the whole model, skinned meshes with
            // their joints, without a node of our own that the bone and fit measures would count.
            child->setPosition(halfTurn * child->position());
            child->setOrientation(halfTurn * child->orientation());
        }
        model_->addChildNode(child);
    }
}

void SkinnedCharacter::attachFollowers() {
    size_t detachedFeet = 0;
    for (const SkeletonBones::Leg& leg : bones_.legs) {
        feet_.push_back(leg.foot != nullptr ? ChainFollower::attach(*leg.foot, *leg.shin) : std::nullopt);
        detachedFeet += feet_.back().has_value() ? 1 : 0;
    }
    size_t detachedHands = 0;
    for (const SkeletonBones::Arm& arm : bones_.arms) {
        hands_.push_back(ChainFollower::attach(*arm.hand, *arm.fore));
        detachedHands += hands_.back().has_value() ? 1 : 0;
    }
    if (detachedFeet > 0) {
        report_.notes.push_back("feet hang outside the legs: they follow the shins");
    }
    if (detachedHands > 0) {
        report_.notes.push_back("hands hang outside the arms: they follow the forearms");
    }
}

void SkinnedCharacter::prepareMaterials() {
    // A texture shared by several materials is shrunk once and stays shared.
    std::unordered_map<const Texture*, std::shared_ptr<Texture>> shrunk;
    model_->enumerateChildNodes([&](Node& node, bool&) {
        if (node.geometry() == nullptr) {
            return;
        }
        node.setName("grab");
        for (const std::shared_ptr<Material>& material : node.geometry()->materials()) {
            if (std::find(materials_.begin(), materials_.end(), material) != materials_.end()) {
                continue;
            }
            material->setMetalness(0.0f);
            material->setRoughness(1.0f);
            if (const std::shared_ptr<Texture>& image = material->diffuse().image) {
                auto [entry, isNew] = shrunk.try_emplace(image.get());
                if (isNew) {
                    entry->second = TextureDownscaler::downscaled(image, kMaxTextureSide);
                    if (entry->second != image) {
                        report_.textures.push_back("texture \"" + image->name() +
                                                   "\" made smaller: " + std::to_string(image->width()) +
                                                   "x" + std::to_string(image->height()) + " to " +
                                                   std::to_string(entry->second->width()) + "x" +
                                                   std::to_string(entry->second->height()));
                    }
                }
                if (entry->second != image) {
                    material->setDiffuseImage(entry->second);
                }
            }
            material->clearNormal();
            materials_.push_back(material);
        }
    });
}

void SkinnedCharacter::measureHands() {
    for (SkeletonBones::Arm& arm : bones_.arms) {
        arm.palmLocal = glm::inverse(arm.hand->worldOrientation()) * glm::vec3(0.0f, -1.0f, 0.0f);
        fingers_.emplace_back(poser_, arm);
    }
}

void SkinnedCharacter::placeOnSeat() {
    fit_ = SeatFit::measure(*model_, bones_);
    const float scale = static_cast<float>(fit_.baseScale);
    model_->setScale(glm::vec3(scale));
    model_->setPosition(fit_.basePosition);
    measureBody();
    if (debugEnabled()) {
        printProportions();
    }
}

void SkinnedCharacter::measureBody() {
    const auto inRoot = [this](const Node& node) {
        return root_->convertPositionFrom(node.worldPosition(), nullptr);
    };
    if (bones_.arms.empty()) {
        return;
    }
    double widest = 0.0;
    double longest = 0.0;
    for (const SkeletonBones::Arm& arm : bones_.arms) {
        const glm::vec3 shoulder = inRoot(*arm.upper);
        shoulders_.push_back(shoulder);
        widest = std::max(widest, double{std::fabs(shoulder.x)});
        const glm::vec3 elbow = arm.fore->worldPosition();
        const double length = glm::distance(elbow, arm.upper->worldPosition()) +
                              glm::distance(arm.hand->worldPosition(), elbow);
        longest = std::max(longest, length);
    }
    bodyHalfWidth_ = widest + 0.2;
    armReach_ = longest;
}

void SkinnedCharacter::printProportions() const {
    std::printf("%s\n", fit_.proportionsLine().c_str());
    for (const SkeletonBones::Arm& arm : bones_.arms) {
        const glm::vec3 shoulder = root_->convertPositionFrom(arm.upper->worldPosition(), nullptr);
        const glm::vec3 elbow = arm.fore->worldPosition();
        const double reach = glm::distance(elbow, arm.upper->worldPosition()) +
                             glm::distance(arm.hand->worldPosition(), elbow);
        std::printf("arm shoulder x=%.2f y=%.2f reach=%.2f\n", shoulder.x, shoulder.y, reach);
    }
    for (const SkeletonBones::Leg& leg : bones_.legs) {
        std::printf("thigh x=%.2f\n", root_->convertPositionFrom(leg.thigh->worldPosition(), nullptr).x);
    }
    std::fflush(stdout);
}

void SkinnedCharacter::apply(const CharacterPose& pose, Node& swingFrame) {
    applyGloss(pose.shine);
    placeModel(pose);
    // The rig frame does not move while the bones are posed: read it once.
    const glm::mat4& rigToWorld = root_->worldTransform();
    const glm::quat rig = BonePoser::orientationOf(rigToWorld);
    poseBody(pose, rig);
    poseHead(pose, rig);
    const ArmPoser arms(poser_, rigToWorld, swingFrame, bones_.legs, pose);
    for (size_t i = 0; i < bones_.arms.size(); ++i) {
        arms.pose(bones_.arms[i], hands_[i] ? &*hands_[i] : nullptr, &fingers_[i]);
    }
}

void SkinnedCharacter::applyGloss(double shine) {
    if (shine == appliedShine_) {
        return;
    }
    appliedShine_ = shine;
    for (const std::shared_ptr<Material>& material : materials_) {
        material->setRoughness(static_cast<float>(1.0 - 0.75 * shine));
    }
}

void SkinnedCharacter::placeModel(const CharacterPose& pose) {
    const double m = pose.sizeMultiplier;
    model_->setScale(glm::vec3(static_cast<float>(fit_.baseScale * m)));
    const glm::vec3 p = pose.standing ? fit_.standingPosition : fit_.basePosition;
    model_->setPosition(glm::vec3(static_cast<float>(p.x * m), static_cast<float>(p.y * m + pose.seatLift),
                                  static_cast<float>(p.z * m + pose.seatForward)));
}

void SkinnedCharacter::poseBody(const CharacterPose& pose, const glm::quat& rig) {
    constexpr double kHalfPi = std::numbers::pi / 2.0;
    const double leg = pose.leg;
    if (bones_.spine != nullptr) {
        const double lean = pose.standing   ? -0.16 * leg * pose.lean
                            : pose.floorSit ? -0.03 * leg + 0.02
                                            : -0.16 * leg * pose.lean - pose.leanBase;
        KnownParent none;
        turnBone(*bones_.spine, rig, aboutX(lean), none);
    }
    // Legs are siblings under the hips: the first thigh's parent orientation serves the others.
    KnownParent hips;
    for (size_t i = 0; i < bones_.legs.size(); ++i) {
        const SkeletonBones::Leg& limb = bones_.legs[i];
        KnownParent thigh{limb.thigh};
        if (pose.standing) {
            poser_.resetBone(*limb.thigh);
            poser_.resetBone(*limb.shin);
        } else if (pose.floorSit && pose.foldedLeg >= 0 && i == static_cast<size_t>(pose.foldedLeg)) {
            // Knee up above the hip and the shin folded back down, the thigh raised further when the foot
            // would otherwise go through the floor.
            const SeatFit::FoldedLeg change = fit_.foldedLeg(i);
            const double thighTurn = SeatFit::kFoldedThighTurn - change.thighRaise;
            const double shinTurn = SeatFit::kFoldedShinTurn + change.thighRaise - change.shinLean;
            thigh.world = turnBone(*limb.thigh, rig, aboutX(thighTurn), hips);
            turnBone(*limb.shin, rig, aboutX(shinTurn), thigh);
        } else if (pose.floorSit) {
            turnBone(*limb.thigh, rig, aboutX(-kHalfPi), hips);  // straight out in front
            poser_.resetBone(*limb.shin);
        } else {
            thigh.world = turnBone(*limb.thigh, rig, aboutX(-0.22 * leg - (kHalfPi - 0.1)), hips);
            turnBone(*limb.shin, rig, aboutX(-0.85 * leg + (kHalfPi - 0.25)), thigh);
        }
        if (feet_[i]) {
            feet_[i]->follow();
        }
    }
}

glm::quat SkinnedCharacter::turnBone(Node& bone, const glm::quat& rig, const glm::quat& rotation,
                                     KnownParent& parent) {
    if (bone.parent() == nullptr) {
        return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    }
    if (parent.node != bone.parent()) {
        parent = KnownParent{bone.parent(), bone.parent()->worldOrientation()};
    }
    poser_.setBone(bone, parent.world, rig, rotation);
    return parent.world * bone.orientation();
}

void SkinnedCharacter::poseHead(const CharacterPose& pose, const glm::quat& rig) {
    if (bones_.head == nullptr) {
        return;
    }
    if (const std::optional<glm::vec2> target = lookAngles(pose)) {
        double dt = lastLookTime_ ? pose.time - *lastLookTime_ : 0.0;
        dt = std::isfinite(dt) ? std::clamp(dt, 0.0, 0.1) : 0.0;
        const float k = static_cast<float>(std::min(7.0 * dt, 1.0));
        lookYaw_ += k * (target->x - lookYaw_);
        lookPitch_ += k * (target->y - lookPitch_);
    }
    if (std::isfinite(pose.time)) {
        lastLookTime_ = pose.time;
    }
    KnownParent none;
    turnBone(*bones_.head, rig, aboutY(lookYaw_) * aboutX(lookPitch_), none);
}

std::optional<glm::vec2> SkinnedCharacter::lookAngles(const CharacterPose& pose) {
    glm::vec2 angles(static_cast<float>(pose.headYaw), static_cast<float>(pose.headPitch));
    if (pose.lookTarget) {
        poser_.resetBone(*bones_.head);
        const glm::vec3 toTarget = *pose.lookTarget - bones_.head->worldPosition();
        const glm::vec3 d = root_->convertVectorFrom(toTarget, nullptr);
        const float length = glm::length(d);
        if (!std::isfinite(length) || length < 1e-6f) {
            return std::nullopt;  // nowhere to turn to: keep the current look
        }
        const glm::vec3 dir = d / length;
        float yaw = std::clamp(std::atan2(dir.x, dir.z), -1.1f, 1.1f);
        if (dir.z < 0.0f) {
            yaw = dir.x < 0.0f ? -1.1f : 1.1f;  // behind: hold the turn on the target's side
        }
        const float pitch = std::clamp(-std::asin(std::clamp(dir.y, -1.0f, 1.0f)), -0.5f, 0.4f);
        angles = glm::vec2(yaw, pitch);
    }
    if (!std::isfinite(angles.x) || !std::isfinite(angles.y)) {
        return std::nullopt;
    }
    return angles;
}

}  // namespace plimsa
