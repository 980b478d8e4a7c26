#pragma once

#include <glm/glm.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "character/SwingCharacter.h"
#include "platform/scene/Node.h"

namespace plimsa::testing {

/// How a FakeCharacter behaves; every member has a usable default.
struct FakeCharacterOptions {
    /// Tells characters apart (for example the file a loader was asked for).
    std::string tag = {};
    double halfWidth = 0.45;
    /// Two shoulders at (+-0.2, 1.2, 0), or none.
    bool hasArms = true;
    glm::vec3 head{0.0f, 1.0f, 0.0f};
    /// Where posing moves the head, as a standing model's moves; nowhere when empty.
    std::optional<glm::vec3> posedHead = std::nullopt;
    /// Chain hands reach their chains only from this size multiplier up; each one that does not is
    /// added to `*lapFallbacks` when it is given.
    double reachFrom = 0.0;
    long* lapFallbacks = nullptr;
};

/// A character for scene tests: records every pose and the frame it was given in, and otherwise behaves
/// as the options say. Nodes "Root" and "Head" (a child of the root).
class FakeCharacter final : public SwingCharacter {
  public:
    using Options = FakeCharacterOptions;

    explicit FakeCharacter(Options options = Options())
        : options_(std::move(options)), root_(Node::make("Root")), head_(Node::make("Head")) {
        head_->setPosition(options_.head);
        root_->addChildNode(head_);
    }

    const std::shared_ptr<Node>& root() const override { return root_; }
    const std::shared_ptr<Node>& headNode() const override { return head_; }
    double bodyHalfWidth() const override { return options_.halfWidth; }
    std::vector<glm::vec3> shoulders() const override {
        if (!options_.hasArms) return {};
        return {glm::vec3(-0.2f, 1.2f, 0.0f), glm::vec3(0.2f, 1.2f, 0.0f)};
    }
    void apply(const CharacterPose& pose, Node& swingFrame) override {
        poses.push_back(pose);
        frames.push_back(&swingFrame);
        if (options_.posedHead) head_->setPosition(*options_.posedHead);
        if (options_.lapFallbacks && pose.sizeMultiplier < options_.reachFrom)
            *options_.lapFallbacks +=
                (pose.handLeft == HandMode::chain) + (pose.handRight == HandMode::chain);
    }

    const std::string& tag() const { return options_.tag; }

    std::vector<CharacterPose> poses;
    std::vector<const Node*> frames;

  private:
    Options options_;
    std::shared_ptr<Node> root_;
    std::shared_ptr<Node> head_;
};

}  // namespace plimsa::testing
