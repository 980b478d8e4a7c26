#pragma once

#include "platform/scene/BoundingBox.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <vector>

namespace plimsa {

class Geometry;
class Node;

/// The skin of a mesh (SceneKit's SCNSkinner): bones are ordinary nodes whose world transforms deform
/// the mesh. The per-vertex influences are the geometry's `joints` (indices into `bones`) and `weights`.
///
/// Skinned vertex (world space) = sum over i of weights[i] * world(bones[joints[i]]) * inverseBind[joints[i]]
/// * position (glTF semantics): the world transform of the node carrying the skinner is not applied.
/// Renderers draw skinned geometry with an identity model matrix and `jointMatrices` as the bone palette.
/// Bones are held weakly (they live in the scene tree); a bone that is gone, or a joint index out of range,
/// contributes the identity. Not thread-safe: one thread at a time, like its scene.
class Skinner {
  public:
    /// `inverseBindTransforms` pairs with `bones`; missing entries are identity, extra ones ignored.
    Skinner(const std::vector<std::shared_ptr<Node>>& bones, std::vector<glm::mat4> inverseBindTransforms,
            const std::shared_ptr<Node>& skeleton = nullptr);

    static std::shared_ptr<Skinner> make(const std::vector<std::shared_ptr<Node>>& bones,
                                         std::vector<glm::mat4> inverseBindTransforms,
                                         const std::shared_ptr<Node>& skeleton = nullptr);
    /// The same over inverse bind matrices that several skinners share (one skin used by many nodes
    /// keeps one copy); they are copied only when their count differs from the bones'.
    static std::shared_ptr<Skinner> makeSharing(
        const std::vector<std::shared_ptr<Node>>& bones,
        std::shared_ptr<const std::vector<glm::mat4>> inverseBindTransforms,
        const std::shared_ptr<Node>& skeleton = nullptr);

    /// The bones in joint order (null where a bone no longer exists).
    std::vector<std::shared_ptr<Node>> bones() const;
    size_t boneCount() const { return bones_.size(); }
    const std::vector<glm::mat4>& boneInverseBindTransforms() const { return *inverseBind_; }
    /// The root of the skeleton (glTF's skin.skeleton), or null when the file named none.
    std::shared_ptr<Node> skeleton() const { return skeleton_.lock(); }

    /// world(bone) * inverseBind for every bone, in joint order (resized to boneCount()).
    void jointMatrices(std::vector<glm::mat4>& out) const;

    /// The skinned world position of vertex `index` of `geometry`; the untransformed position when the
    /// geometry has no joints/weights, and (0, 0, 0) for an index out of range. Weights are normalised
    /// (all-zero weights fall back to the first joint).
    glm::vec3 skinnedPosition(const Geometry& geometry, size_t index,
                              const std::vector<glm::mat4>& joints) const;
    glm::vec3 skinnedPosition(const Geometry& geometry, size_t index) const;

    /// A world-space box that contains the skinned mesh in the current pose, computed from per-bone boxes
    /// of the bind-pose vertices (cached per geometry revision), so it costs O(bones), not O(vertices).
    BoundingBox worldBoundingBox(const Geometry& geometry) const;

  private:
    void updateBoneBoxes(const Geometry& geometry) const;

    std::vector<std::weak_ptr<Node>> bones_;
    std::shared_ptr<const std::vector<glm::mat4>> inverseBind_;  // one per bone
    std::weak_ptr<Node> skeleton_;
    mutable std::vector<BoundingBox> boneBoxes_;  // bind-space boxes of the vertices each bone moves
    mutable uint64_t boxesGeometry_ = 0;
    mutable uint64_t boxesRevision_ = 0;
};

}  // namespace plimsa
