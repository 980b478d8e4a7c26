#include "platform/gltf/GltfSceneBuilder.h"

#include "platform/gltf/GltfAccessors.h"
#include "platform/gltf/GltfMaterialBuilder.h"
#include "platform/gltf/GltfMeshBuilder.h"
#include "platform/gltf/GltfVrm.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"

#include <glm/gtc/type_ptr.hpp>

#include <cmath>

namespace plimsa {
namespace {

// What each joint costs a node that uses a skin: the skinner's bone and bone box, and the joint matrix
// every renderer and fitter computes from it.
constexpr uint64_t kJointPairBytes = sizeof(std::weak_ptr<Node>) + sizeof(BoundingBox) + sizeof(glm::mat4);

template <size_t N>
bool allFinite(const std::vector<double>& values) {
    if (values.size() != N) return false;
    for (double value : values)
        if (!std::isfinite(value)) return false;
    return true;
}

}  // namespace

std::shared_ptr<Scene> GltfSceneBuilder::build(std::string& error) {
    // Joints times the nodes that use them are known before anything is built, so a crowd of skinned
    // nodes is refused at once.
    uint64_t jointPairs = 0;
    for (const tinygltf::Node& source : model_.nodes)
        if (source.mesh >= 0 && source.skin >= 0)
            jointPairs += model_.skins[static_cast<size_t>(source.skin)].joints.size();
    if (!budget_.take(jointPairs, kJointPairBytes)) {
        error = budget_.error();
        return nullptr;
    }
    nodes_.clear();
    for (const tinygltf::Node& source : model_.nodes) nodes_.push_back(makeNode(source));
    for (size_t i = 0; i < model_.nodes.size(); ++i)
        for (int child : model_.nodes[i].children)
            nodes_[i]->addChildNode(nodes_[static_cast<size_t>(child)]);
    inverseBinds_.assign(model_.skins.size(), nullptr);
    const bool built = buildGeometry(error);
    inverseBinds_.clear();
    if (!built) {
        if (budget_.exceeded()) error = budget_.error();
        nodes_.clear();
        return nullptr;
    }
    auto scene = Scene::make();
    for (int root : rootNodes()) scene->rootNode().addChildNode(nodes_[static_cast<size_t>(root)]);
    humanoid_ = GltfVrm::humanoid(model_, nodes_, scene->rootNode(), warnings_);
    nodes_.clear();
    return scene;
}

bool GltfSceneBuilder::buildGeometry(std::string& error) {
    GltfMaterialBuilder materials(model_, limits_, budget_, warnings_);
    GltfMeshBuilder meshes(model_, materials, limits_, budget_, warnings_);
    for (size_t i = 0; i < model_.nodes.size(); ++i) {
        const tinygltf::Node& source = model_.nodes[i];
        if (source.mesh < 0) continue;
        const GltfMesh* mesh = meshes.mesh(source.mesh, error);
        if (!mesh) return false;
        if (!mesh->geometry) continue;
        nodes_[i]->setGeometry(mesh->geometry);
        if (source.skin >= 0 && mesh->hasJoints && !attachSkin(source, *nodes_[i], mesh->maxJoint, error))
            return false;
    }
    return true;
}

std::shared_ptr<Node> GltfSceneBuilder::makeNode(const tinygltf::Node& source) const {
    auto node = Node::make(source.name);
    if (allFinite<16>(source.matrix)) {
        glm::dmat4 matrix = glm::make_mat4(source.matrix.data());
        node->setTransform(glm::mat4(matrix));
        return node;
    }
    const auto& t = source.translation;
    const auto& r = source.rotation;
    const auto& s = source.scale;
    if (allFinite<3>(t)) node->setPosition(glm::vec3(t[0], t[1], t[2]));
    // glTF stores quaternions as (x, y, z, w).
    if (allFinite<4>(r))
        node->setOrientation(glm::quat(static_cast<float>(r[3]), static_cast<float>(r[0]),
                                       static_cast<float>(r[1]), static_cast<float>(r[2])));
    if (allFinite<3>(s)) node->setScale(glm::vec3(s[0], s[1], s[2]));
    return node;
}

bool GltfSceneBuilder::attachSkin(const tinygltf::Node& source, Node& node, uint32_t maxJoint,
                                  std::string& error) {
    const auto index = static_cast<size_t>(source.skin);
    const tinygltf::Skin& skin = model_.skins[index];
    if (maxJoint >= skin.joints.size()) {
        error = "skin " + std::to_string(index) + ": a vertex uses joint " + std::to_string(maxJoint) +
                " of " + std::to_string(skin.joints.size());
        return false;
    }
    auto inverseBind = inverseBindMatrices(index, error);
    if (!inverseBind) return false;
    std::vector<std::shared_ptr<Node>> bones;
    bones.reserve(skin.joints.size());
    for (int joint : skin.joints) bones.push_back(nodes_[static_cast<size_t>(joint)]);
    const auto skeleton = skin.skeleton >= 0 ? nodes_[static_cast<size_t>(skin.skeleton)] : nullptr;
    node.setSkinner(Skinner::makeSharing(bones, std::move(inverseBind), skeleton));
    return true;
}

// The accessor may declare any number of matrices past the joints (validation made sure it has enough);
// only the joints' own are read.
std::shared_ptr<const std::vector<glm::mat4>> GltfSceneBuilder::inverseBindMatrices(size_t index,
                                                                                    std::string& error) {
    if (inverseBinds_[index]) return inverseBinds_[index];
    const tinygltf::Skin& skin = model_.skins[index];
    const size_t joints = skin.joints.size();
    if (!budget_.take(joints, sizeof(glm::mat4))) return nullptr;
    auto matrices = std::make_shared<std::vector<glm::mat4>>(joints, glm::mat4(1.0f));
    if (skin.inverseBindMatrices >= 0) {
        std::vector<float> values;
        if (!GltfAccessors(model_, &budget_).readFloats(skin.inverseBindMatrices, values, joints) ||
            values.size() != joints * 16) {
            error = "skin " + std::to_string(index) + ": unreadable inverse bind matrices";
            return nullptr;
        }
        for (size_t j = 0; j < joints; ++j) (*matrices)[j] = glm::make_mat4(values.data() + j * 16);
    }
    inverseBinds_[index] = matrices;
    return matrices;
}

std::vector<int> GltfSceneBuilder::rootNodes() const {
    std::vector<int> roots;
    std::vector<bool> taken(nodes_.size(), false);
    const int scene = model_.defaultScene >= 0 ? model_.defaultScene : (model_.scenes.empty() ? -1 : 0);
    if (scene < 0) {
        for (size_t i = 0; i < nodes_.size(); ++i)
            if (!nodes_[i]->parent()) roots.push_back(static_cast<int>(i));
        return roots;
    }
    for (int node : model_.scenes[static_cast<size_t>(scene)].nodes) {
        const auto index = static_cast<size_t>(node);
        if (taken[index] || nodes_[index]->parent()) {
            warnings_.push_back("scene lists node " + std::to_string(node) + " twice or below another node");
            continue;
        }
        taken[index] = true;
        roots.push_back(node);
    }
    return roots;
}

}  // namespace plimsa
