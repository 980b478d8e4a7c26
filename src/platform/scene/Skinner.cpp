#include "platform/scene/Skinner.h"

#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"

#include <cmath>

namespace plimsa {

namespace {

// Weights normalised to sum 1; unusable weights put the vertex wholly on its first joint.
glm::vec4 normalisedWeights(const glm::vec4& weights) {
    const float sum = weights.x + weights.y + weights.z + weights.w;
    if (!std::isfinite(sum) || sum <= 1e-12f) {
        return {1.0f, 0.0f, 0.0f, 0.0f};
    }
    return weights / sum;
}

}  // namespace

Skinner::Skinner(const std::vector<std::shared_ptr<Node>>& bones,
                 std::vector<glm::mat4> inverseBindTransforms, const std::shared_ptr<Node>& skeleton)
    : bones_(bones.begin(), bones.end()), skeleton_(skeleton) {
    inverseBindTransforms.resize(bones_.size(), glm::mat4(1.0f));
    inverseBind_ = std::make_shared<const std::vector<glm::mat4>>(std::move(inverseBindTransforms));
}

std::shared_ptr<Skinner> Skinner::make(const std::vector<std::shared_ptr<Node>>& bones,
                                       std::vector<glm::mat4> inverseBindTransforms,
                                       const std::shared_ptr<Node>& skeleton) {
    return std::make_shared<Skinner>(bones, std::move(inverseBindTransforms), skeleton);
}

std::shared_ptr<Skinner> Skinner::makeSharing(
    const std::vector<std::shared_ptr<Node>>& bones,
    std::shared_ptr<const std::vector<glm::mat4>> inverseBindTransforms,
    const std::shared_ptr<Node>& skeleton) {
    if (!inverseBindTransforms || inverseBindTransforms->size() != bones.size())
        return make(bones, inverseBindTransforms ? *inverseBindTransforms : std::vector<glm::mat4>{},
                    skeleton);
    auto skinner = make({}, {}, skeleton);
    skinner->bones_.assign(bones.begin(), bones.end());
    skinner->inverseBind_ = std::move(inverseBindTransforms);
    return skinner;
}

std::vector<std::shared_ptr<Node>> Skinner::bones() const {
    std::vector<std::shared_ptr<Node>> result;
    result.reserve(bones_.size());
    for (const std::weak_ptr<Node>& bone : bones_) {
        result.push_back(bone.lock());
    }
    return result;
}

void Skinner::jointMatrices(std::vector<glm::mat4>& out) const {
    out.resize(bones_.size());
    for (size_t i = 0; i < bones_.size(); ++i) {
        const std::shared_ptr<Node> bone = bones_[i].lock();
        out[i] = bone ? bone->worldTransform() * (*inverseBind_)[i] : glm::mat4(1.0f);
    }
}

glm::vec3 Skinner::skinnedPosition(const Geometry& geometry, size_t index,
                                   const std::vector<glm::mat4>& joints) const {
    const MeshData& mesh = geometry.mesh();
    if (index >= mesh.vertexCount()) {
        return glm::vec3(0.0f);
    }
    const glm::vec4 position(mesh.positions[index], 1.0f);
    if (mesh.joints.empty()) {
        return glm::vec3(position);
    }
    const glm::vec4 weights = normalisedWeights(mesh.weights[index]);
    glm::vec4 result(0.0f);
    for (int k = 0; k < 4; ++k) {
        if (weights[k] == 0.0f) {
            continue;
        }
        const size_t joint = mesh.joints[index][k];
        result += weights[k] * (joint < joints.size() ? joints[joint] * position : position);
    }
    return glm::vec3(result);
}

glm::vec3 Skinner::skinnedPosition(const Geometry& geometry, size_t index) const {
    std::vector<glm::mat4> joints;
    jointMatrices(joints);
    return skinnedPosition(geometry, index, joints);
}

void Skinner::updateBoneBoxes(const Geometry& geometry) const {
    if (boxesGeometry_ == geometry.identity() && boxesRevision_ == geometry.revision() &&
        boneBoxes_.size() == bones_.size() + 1) {
        return;
    }
    // One box per bone plus a last one for influences whose joint index is out of range (left unmoved).
    boneBoxes_.assign(bones_.size() + 1, BoundingBox{});
    const MeshData& mesh = geometry.mesh();
    for (size_t v = 0; v < mesh.vertexCount(); ++v) {
        const glm::vec4 weights = normalisedWeights(mesh.weights[v]);
        for (int k = 0; k < 4; ++k) {
            if (weights[k] > 0.0f) {
                const size_t joint = mesh.joints[v][k];
                boneBoxes_[joint < bones_.size() ? joint : bones_.size()].add(mesh.positions[v]);
            }
        }
    }
    boxesGeometry_ = geometry.identity();
    boxesRevision_ = geometry.revision();
}

BoundingBox Skinner::worldBoundingBox(const Geometry& geometry) const {
    if (geometry.mesh().joints.empty()) {
        return geometry.boundingBox();
    }
    updateBoneBoxes(geometry);
    BoundingBox result;
    for (size_t i = 0; i < bones_.size(); ++i) {
        if (boneBoxes_[i].isEmpty()) {
            continue;
        }
        const std::shared_ptr<Node> bone = bones_[i].lock();
        result.add(
            boneBoxes_[i].transformed(bone ? bone->worldTransform() * (*inverseBind_)[i] : glm::mat4(1.0f)));
    }
    result.add(boneBoxes_.back());
    return result;
}

}  // namespace plimsa
