#include "platform/scene/Constraint.h"
#include "platform/scene/Node.h"
#include "platform/scene/TransformMath.h"

#include <glm/gtc/matrix_transform.hpp>

#include <vector>

namespace plimsa {

using namespace transform_math;

const glm::mat4& Node::worldTransform() const {
    // Bring the ancestors up to date from the root down; each step only compares versions when nothing
    // changed, so a clean query costs a walk to the root.
    constexpr size_t kInline = 64;
    const Node* inlineChain[kInline];
    std::vector<const Node*> deepChain;
    size_t depth = 0;
    for (const Node* n = this; n != nullptr; n = n->parent_) {
        if (depth < kInline) {
            inlineChain[depth] = n;
        } else {
            if (deepChain.empty()) {
                deepChain.assign(inlineChain, inlineChain + kInline);
            }
            deepChain.push_back(n);
        }
        ++depth;
    }
    const Node* const* chain = depth <= kInline ? inlineChain : deepChain.data();
    for (size_t i = depth; i-- > 0;) {
        chain[i]->updateWorld();
    }
    return world_;
}

void Node::updateWorld() const {
    if (evaluating_) {
        return;  // reached again through a constraint cycle: keep the last result
    }
    const uint64_t parentVersion = parent_ != nullptr ? parent_->worldVersion_ : 0;
    bool stale =
        worldVersion_ == 0 || cachedLocalVersion_ != localVersion_ || cachedParentVersion_ != parentVersion;
    evaluating_ = true;
    for (size_t i = 0; i < constraints_.size(); ++i) {
        const Node* dependency = constraints_[i]->dependency();
        if (dependency != nullptr && !isAncestorOrSelf(dependency)) {
            dependency->worldTransform();
            stale |= cachedDependencyVersions_[i] != dependency->worldVersion_;
            cachedDependencyVersions_[i] = dependency->worldVersion_;
        }
    }
    if (stale) {
        glm::mat4 frame = glm::translate(glm::mat4(1.0f), position_) * glm::mat4_cast(orientation_);
        frame = glm::scale(frame, scale_);
        if (parent_ != nullptr) {
            frame = parent_->world_ * frame;
        }
        if (!constraints_.empty()) {
            const glm::vec3 position(frame[3]);
            const glm::vec3 scale = scaleOf(frame);
            glm::quat rotation = rotationOf(frame);
            for (const std::shared_ptr<Constraint>& constraint : constraints_) {
                const Node* dependency = constraint->dependency();
                if (dependency == nullptr || !isAncestorOrSelf(dependency)) {
                    rotation = constraint->constrainedOrientation(*this, position, rotation);
                }
            }
            frame = glm::scale(glm::translate(glm::mat4(1.0f), position) * glm::mat4_cast(rotation), scale);
        }
        world_ = frame * pivotInverse_;
        cachedLocalVersion_ = localVersion_;
        cachedParentVersion_ = parentVersion;
        ++worldVersion_;
    }
    evaluating_ = false;
}

glm::vec3 Node::worldPosition() const {
    return glm::vec3(worldTransform()[3]);
}

glm::quat Node::worldOrientation() const {
    return rotationOf(worldTransform());
}

void Node::setWorldPosition(const glm::vec3& position) {
    if (parent_ == nullptr) {
        setPosition(position);
        return;
    }
    // The parent's world transform maps the parent's child space (after its pivot) to world.
    setPosition(glm::vec3(safeInverse(parent_->worldTransform()) * glm::vec4(position, 1.0f)));
}

void Node::setWorldOrientation(const glm::quat& orientation) {
    if (parent_ == nullptr) {
        setOrientation(orientation);
        return;
    }
    setOrientation(glm::inverse(parent_->worldOrientation()) * orientation);
}

glm::vec3 Node::convertPosition(const glm::vec3& position, const Node* toNode) const {
    const glm::vec4 world = worldTransform() * glm::vec4(position, 1.0f);
    if (toNode == nullptr) {
        return glm::vec3(world);
    }
    return glm::vec3(safeInverse(toNode->worldTransform()) * world);
}

glm::vec3 Node::convertPositionFrom(const glm::vec3& position, const Node* fromNode) const {
    const glm::vec4 world = fromNode != nullptr ? fromNode->worldTransform() * glm::vec4(position, 1.0f)
                                                : glm::vec4(position, 1.0f);
    return glm::vec3(safeInverse(worldTransform()) * world);
}

glm::vec3 Node::convertVector(const glm::vec3& vector, const Node* toNode) const {
    const glm::vec4 world = worldTransform() * glm::vec4(vector, 0.0f);
    if (toNode == nullptr) {
        return glm::vec3(world);
    }
    return glm::vec3(safeInverse(toNode->worldTransform()) * world);
}

glm::vec3 Node::convertVectorFrom(const glm::vec3& vector, const Node* fromNode) const {
    const glm::vec4 world =
        fromNode != nullptr ? fromNode->worldTransform() * glm::vec4(vector, 0.0f) : glm::vec4(vector, 0.0f);
    return glm::vec3(safeInverse(worldTransform()) * world);
}

}  // namespace plimsa
