#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plimsa {

struct Camera;
class Constraint;
class Geometry;
class Skinner;
struct Light;

/// A node of the retained scene graph (SceneKit's SCNNode). Nodes are reference objects held by
/// std::shared_ptr: a parent owns its children, a child knows its parent by a raw back pointer that the
/// parent clears when it lets the child go.
///
/// Transform: local = T(position) * R(orientation) * S(scale) * pivot^-1. The node's own space (where its
/// geometry and children live) is the space after the pivot, so a pivot of translation (0, -s/2, 0) moves
/// the geometry up by s/2 while the node's position stays put. Euler angles (x, y, z) in radians compose as
/// R = Rx * Ry * Rz (z applied first). Units are scene units; world = the root's space.
///
/// World transforms are cached and re-evaluated lazily when a node or one of its ancestors changed (or the
/// target of a constraint moved). Nothing animates implicitly: `presentationNode` is the node itself.
/// Not thread-safe: a scene and its nodes are used by one thread at a time.
class Node : public std::enable_shared_from_this<Node> {
  public:
    static std::shared_ptr<Node> make(std::string name = {});
    static std::shared_ptr<Node> make(std::shared_ptr<Geometry> geometry, std::string name = {});

    Node() = default;
    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // --- Identity and flags ---
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    /// A hidden node and its whole subtree are neither drawn nor hit.
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }

    // --- Hierarchy ---
    Node* parent() const { return parent_; }
    const std::vector<std::shared_ptr<Node>>& childNodes() const { return children_; }
    /// Appends `child`, first removing it from its old parent. Refuses (returns false) null, the node
    /// itself and any ancestor of it, which would make a cycle.
    bool addChildNode(std::shared_ptr<Node> child);
    /// As addChildNode, at `index` (clamped to the child count).
    bool insertChildNode(std::shared_ptr<Node> child, size_t index);
    /// Detaches the node from its parent (no-op without one); its world transform becomes its local one.
    void removeFromParentNode();
    /// The first node named `name` in depth-first order, parents before children, not counting this node;
    /// direct children only when `recursively` is false. Null when none.
    std::shared_ptr<Node> childNodeWithName(std::string_view name, bool recursively = true) const;
    /// Visits this node and its descendants depth first, parents before children, in child order. The
    /// visitor sets `stop` to true to end the walk. The visitor must not add or remove nodes in the subtree.
    void enumerateHierarchy(const std::function<void(Node& node, bool& stop)>& visitor);
    /// As enumerateHierarchy, without this node itself (SceneKit's enumerateChildNodes).
    void enumerateChildNodes(const std::function<void(Node& node, bool& stop)>& visitor);
    /// True when `node` is this node or one of its descendants.
    bool isAncestorOrSelf(const Node* node) const;

    // --- Local transform (in the parent's space) ---
    const glm::vec3& position() const { return position_; }
    void setPosition(const glm::vec3& position);
    /// A unit quaternion (normalised on set; a zero or non-finite one becomes identity).
    const glm::quat& orientation() const { return orientation_; }
    void setOrientation(const glm::quat& orientation);
    /// The angles last set, or, after setOrientation, angles recovered from the orientation
    /// (x and z in (-pi, pi], y in [-pi/2, pi/2]).
    glm::vec3 eulerAngles() const;
    void setEulerAngles(const glm::vec3& radians);
    const glm::vec3& scale() const { return scale_; }
    void setScale(const glm::vec3& scale);
    const glm::mat4& pivot() const { return pivot_; }
    /// Must be invertible; a singular pivot is ignored (identity is kept).
    void setPivot(const glm::mat4& pivot);
    /// T * R * S * pivot^-1.
    glm::mat4 transform() const;
    /// Decomposes a translation * rotation * scale matrix (no shear) into position, orientation and scale.
    /// The pivot is kept. Negative determinants become a negative x scale.
    void setTransform(const glm::mat4& transform);
    /// Orients the node so that its -Z axis points at `worldTarget` with +Y as close to `worldUp` as
    /// possible (a one-shot turn, not a constraint). No-op when the target is at the node's position.
    void lookAt(const glm::vec3& worldTarget, const glm::vec3& worldUp = glm::vec3(0, 1, 0));

    // --- World transform ---
    /// parent's world transform * transform(), with constraints applied. Cached.
    const glm::mat4& worldTransform() const;
    glm::vec3 worldPosition() const;
    /// The rotation part of the world transform (constraints included).
    glm::quat worldOrientation() const;
    /// Sets the local position so that the world position becomes `position`.
    void setWorldPosition(const glm::vec3& position);
    /// Sets the local orientation so that the world orientation becomes `orientation` (exact when the
    /// ancestors' scales are uniform).
    void setWorldOrientation(const glm::quat& orientation);

    // --- Conversions between spaces (a null node means world space) ---
    /// A point in this node's space converted into `node`'s space.
    glm::vec3 convertPosition(const glm::vec3& position, const Node* toNode) const;
    /// A point in `fromNode`'s space converted into this node's space.
    glm::vec3 convertPositionFrom(const glm::vec3& position, const Node* fromNode) const;
    /// A direction (translation ignored, scale applied) in this node's space converted into `node`'s space.
    glm::vec3 convertVector(const glm::vec3& vector, const Node* toNode) const;
    /// A direction in `fromNode`'s space converted into this node's space.
    glm::vec3 convertVectorFrom(const glm::vec3& vector, const Node* fromNode) const;

    /// The node as drawn this frame: the node itself (nothing animates implicitly).
    Node& presentationNode() { return *this; }
    const Node& presentationNode() const { return *this; }

    // --- Attachments ---
    const std::shared_ptr<Geometry>& geometry() const { return geometry_; }
    void setGeometry(std::shared_ptr<Geometry> geometry) { geometry_ = std::move(geometry); }
    const std::shared_ptr<Light>& light() const { return light_; }
    void setLight(std::shared_ptr<Light> light) { light_ = std::move(light); }
    const std::shared_ptr<Camera>& camera() const { return camera_; }
    void setCamera(std::shared_ptr<Camera> camera) { camera_ = std::move(camera); }
    const std::shared_ptr<Skinner>& skinner() const { return skinner_; }
    void setSkinner(std::shared_ptr<Skinner> skinner) { skinner_ = std::move(skinner); }
    const std::vector<std::shared_ptr<Constraint>>& constraints() const { return constraints_; }
    void setConstraints(std::vector<std::shared_ptr<Constraint>> constraints);

    /// A new node with one geometry holding every visible geometry of this subtree (hidden subtrees are
    /// left out), with vertices and normals in this node's own space, one element per distinct material.
    /// The clone takes this node's name, position, orientation, scale and pivot, but no children, lights,
    /// cameras, skinner or constraints; skinned meshes are baked in their bind pose. A subtree without
    /// geometry gives a node without geometry.
    std::shared_ptr<Node> flattenedClone() const;

  private:
    void setParent(Node* parent);
    void localChanged();
    void updateWorld() const;
    void detachChild(Node* child);

    std::string name_;
    bool hidden_ = false;
    Node* parent_ = nullptr;
    std::vector<std::shared_ptr<Node>> children_;

    glm::vec3 position_{0.0f};
    glm::quat orientation_{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 scale_{1.0f};
    glm::mat4 pivot_{1.0f};
    glm::mat4 pivotInverse_{1.0f};
    glm::vec3 euler_{0.0f};
    bool eulerValid_ = true;

    std::shared_ptr<Geometry> geometry_;
    std::shared_ptr<Light> light_;
    std::shared_ptr<Camera> camera_;
    std::shared_ptr<Skinner> skinner_;
    std::vector<std::shared_ptr<Constraint>> constraints_;

    // World cache: valid while the local transform, the parent's world transform and every constraint
    // dependency's world transform are the versions it was computed from.
    uint64_t localVersion_ = 1;
    mutable uint64_t worldVersion_ = 0;
    mutable uint64_t cachedLocalVersion_ = 0;
    mutable uint64_t cachedParentVersion_ = 0;
    mutable std::vector<uint64_t> cachedDependencyVersions_;
    mutable glm::mat4 world_{1.0f};
    mutable bool evaluating_ = false;  // breaks cycles between constraints
};

}  // namespace plimsa
