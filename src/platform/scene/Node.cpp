#include "platform/scene/Node.h"

#include "platform/scene/Constraint.h"
#include "platform/scene/TransformMath.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace plimsa {

using namespace transform_math;

std::shared_ptr<Node> Node::make(std::string name) {
    auto node = std::make_shared<Node>();
    node->name_ = std::move(name);
    return node;
}

std::shared_ptr<Node> Node::make(std::shared_ptr<Geometry> geometry, std::string name) {
    auto node = make(std::move(name));
    node->geometry_ = std::move(geometry);
    return node;
}

Node::~Node() {
    // Children that die with this node hand their own children over first, so tearing down a deep
    // hierarchy takes a loop instead of one nested destructor call per level.
    std::vector<std::shared_ptr<Node>> pending = std::move(children_);
    while (!pending.empty()) {
        std::shared_ptr<Node> child = std::move(pending.back());
        pending.pop_back();
        child->setParent(nullptr);
        if (child.use_count() == 1) {
            std::move(child->children_.begin(), child->children_.end(), std::back_inserter(pending));
            child->children_.clear();
        }
    }
}

// --- Hierarchy ---

bool Node::addChildNode(std::shared_ptr<Node> child) {
    return insertChildNode(std::move(child), children_.size());
}

bool Node::insertChildNode(std::shared_ptr<Node> child, size_t index) {
    // A node without children can only be an ancestor of this one by being this one.
    if (!child || child.get() == this || (!child->children_.empty() && child->isAncestorOrSelf(this))) {
        return false;
    }
    if (child->parent_ != nullptr) {
        if (child->parent_ == this) {
            const auto old = std::find(children_.begin(), children_.end(), child);
            if (static_cast<size_t>(old - children_.begin()) < index) {
                --index;  // the removal below shifts the later positions down by one
            }
        }
        child->parent_->detachChild(child.get());
    }
    index = std::min(index, children_.size());
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(index), child);
    child->setParent(this);
    return true;
}

void Node::removeFromParentNode() {
    Node* parent = parent_;
    if (parent == nullptr) {
        return;
    }
    setParent(nullptr);
    parent->detachChild(this);  // may destroy this node: nothing may follow
}

void Node::detachChild(Node* child) {
    const auto it = std::find_if(children_.begin(), children_.end(),
                                 [child](const std::shared_ptr<Node>& node) { return node.get() == child; });
    if (it == children_.end()) {
        return;
    }
    std::shared_ptr<Node> keep = std::move(*it);  // released after the vector is consistent again
    children_.erase(it);
    keep->setParent(nullptr);
}

void Node::setParent(Node* parent) {
    if (parent_ != parent) {
        parent_ = parent;
        localChanged();
    }
}

bool Node::isAncestorOrSelf(const Node* node) const {
    for (const Node* n = node; n != nullptr; n = n->parent_) {
        if (n == this) {
            return true;
        }
    }
    return false;
}

std::shared_ptr<Node> Node::childNodeWithName(std::string_view name, bool recursively) const {
    if (!recursively) {
        for (const std::shared_ptr<Node>& child : children_) {
            if (child->name_ == name) {
                return child;
            }
        }
        return nullptr;
    }
    // Depth first, parents before children; an explicit stack keeps deep files from exhausting the call
    // stack.
    std::vector<std::shared_ptr<Node>> stack(children_.rbegin(), children_.rend());
    while (!stack.empty()) {
        std::shared_ptr<Node> node = std::move(stack.back());
        stack.pop_back();
        if (node->name_ == name) {
            return node;
        }
        stack.insert(stack.end(), node->children_.rbegin(), node->children_.rend());
    }
    return nullptr;
}

void Node::enumerateHierarchy(const std::function<void(Node& node, bool& stop)>& visitor) {
    bool stop = false;
    visitor(*this, stop);
    if (!stop) {
        enumerateChildNodes(visitor);
    }
}

void Node::enumerateChildNodes(const std::function<void(Node& node, bool& stop)>& visitor) {
    // The stack holds strong references, so a visitor that detaches nodes cannot leave it dangling.
    std::vector<std::shared_ptr<Node>> stack(children_.rbegin(), children_.rend());
    bool stop = false;
    while (!stack.empty() && !stop) {
        std::shared_ptr<Node> node = std::move(stack.back());
        stack.pop_back();
        visitor(*node, stop);
        stack.insert(stack.end(), node->children_.rbegin(), node->children_.rend());
    }
}

// --- Local transform ---

void Node::localChanged() {
    ++localVersion_;
}

void Node::setPosition(const glm::vec3& position) {
    if (isFinite(position)) {
        position_ = position;
        localChanged();
    }
}

void Node::setOrientation(const glm::quat& orientation) {
    const float length = glm::length(orientation);
    orientation_ = isFinite(orientation) && length > 1e-12f ? orientation / length : glm::quat(1, 0, 0, 0);
    eulerValid_ = false;
    localChanged();
}

glm::vec3 Node::eulerAngles() const {
    return eulerValid_ ? euler_ : eulerFromQuat(orientation_);
}

void Node::setEulerAngles(const glm::vec3& radians) {
    if (!isFinite(radians)) {
        return;
    }
    euler_ = radians;
    eulerValid_ = true;
    orientation_ = glm::normalize(quatFromEuler(radians));
    localChanged();
}

void Node::setScale(const glm::vec3& scale) {
    if (isFinite(scale)) {
        scale_ = scale;
        localChanged();
    }
}

void Node::setPivot(const glm::mat4& pivot) {
    const float det = glm::determinant(pivot);
    if (!std::isfinite(det) || std::fabs(det) < 1e-30f) {
        return;
    }
    pivot_ = pivot;
    pivotInverse_ = glm::inverse(pivot);
    localChanged();
}

glm::mat4 Node::transform() const {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), position_) * glm::mat4_cast(orientation_);
    m = glm::scale(m, scale_);
    return m * pivotInverse_;
}

void Node::setTransform(const glm::mat4& transform) {
    const glm::mat4 trs = transform * pivot_;
    if (!std::isfinite(glm::determinant(trs))) {
        return;
    }
    position_ = glm::vec3(trs[3]);
    scale_ = scaleOf(trs);
    orientation_ = rotationOf(trs);
    eulerValid_ = false;
    localChanged();
}

void Node::lookAt(const glm::vec3& worldTarget, const glm::vec3& worldUp) {
    const glm::vec3 direction = worldTarget - worldPosition();
    if (!isFinite(direction) || glm::length(direction) < 1e-12f) {
        return;
    }
    setWorldOrientation(lookRotation(direction, worldUp));
}

void Node::setConstraints(std::vector<std::shared_ptr<Constraint>> constraints) {
    std::erase(constraints, nullptr);
    constraints_ = std::move(constraints);
    cachedDependencyVersions_.assign(constraints_.size(), 0);
    localChanged();
}

}  // namespace plimsa
