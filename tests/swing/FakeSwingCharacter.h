#pragma once

#include <memory>
#include <vector>

#include "character/SwingCharacter.h"
#include "platform/scene/Node.h"

namespace plimsa::testing {

/// Counts chain hands that could not reach, like the skinned character's process-wide counter.
inline long fakeLapFallbacks = 0;

/// A character that records the poses it is given and "reaches" its chains only from `reachFrom` up.
class FakeSwingCharacter final : public SwingCharacter {
  public:
    explicit FakeSwingCharacter(double halfWidth = 0.45, double reachFrom = 0.0, bool hasArms = true)
        : root_(Node::make("Root")),
          head_(Node::make("Head")),
          halfWidth_(halfWidth),
          reachFrom_(reachFrom),
          hasArms_(hasArms) {
        root_->addChildNode(head_);
    }

    const std::shared_ptr<Node>& root() const override { return root_; }
    const std::shared_ptr<Node>& headNode() const override { return head_; }
    double bodyHalfWidth() const override { return halfWidth_; }
    std::vector<glm::vec3> shoulders() const override {
        if (!hasArms_) return {};
        return {glm::vec3(-0.2f, 1.2f, 0.0f), glm::vec3(0.2f, 1.2f, 0.0f)};
    }
    void apply(const CharacterPose& pose, Node& swingFrame) override {
        poses.push_back(pose);
        frames.push_back(&swingFrame);
        if (pose.sizeMultiplier >= reachFrom_) return;
        fakeLapFallbacks += (pose.handLeft == HandMode::chain) + (pose.handRight == HandMode::chain);
    }

    std::vector<CharacterPose> poses;
    std::vector<const Node*> frames;

  private:
    std::shared_ptr<Node> root_;
    std::shared_ptr<Node> head_;
    double halfWidth_;
    double reachFrom_;
    bool hasArms_;
};

}  // namespace plimsa::testing
