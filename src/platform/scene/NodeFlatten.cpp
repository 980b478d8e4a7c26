#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"

#include <unordered_map>
#include <utility>

namespace plimsa {

namespace {

// Accumulates geometries into one mesh with one element per distinct material.
class MeshMerger {
  public:
    void add(const Geometry& geometry, const glm::mat4& toTarget) {
        MeshData source = geometry.mesh();
        if (source.vertexCount() == 0) {
            return;
        }
        if (source.normals.empty()) {
            source.generateNormals();
        }
        const uint32_t base = static_cast<uint32_t>(merged_.positions.size());
        const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(toTarget)));
        for (size_t v = 0; v < source.vertexCount(); ++v) {
            merged_.positions.push_back(glm::vec3(toTarget * glm::vec4(source.positions[v], 1.0f)));
            const glm::vec3 n = normalMatrix * source.normals[v];
            const float length = glm::length(n);
            merged_.normals.push_back(length > 1e-20f ? n / length : glm::vec3(0, 1, 0));
        }
        texcoordSources_.emplace_back(base, std::move(source.texcoords));
        // A mirroring transform turns front faces into back faces unless the winding flips too.
        const bool mirrored = glm::determinant(glm::mat3(toTarget)) < 0.0f;
        for (size_t e = 0; e < source.elements.size(); ++e) {
            std::vector<uint32_t>& out = elementFor(geometry.materialForElement(e)).indices;
            const std::vector<uint32_t>& in = source.elements[e].indices;
            for (size_t i = 0; i + 2 < in.size(); i += 3) {
                out.push_back(base + in[i]);
                out.push_back(base + in[mirrored ? i + 2 : i + 1]);
                out.push_back(base + in[mirrored ? i + 1 : i + 2]);
            }
        }
    }

    std::shared_ptr<Geometry> finish() {
        if (merged_.positions.empty()) {
            return nullptr;
        }
        bool anyTexcoords = false;
        for (const auto& [base, texcoords] : texcoordSources_) {
            anyTexcoords |= !texcoords.empty();
        }
        if (anyTexcoords) {
            merged_.texcoords.assign(merged_.positions.size(), glm::vec2(0.0f));
            for (const auto& [base, texcoords] : texcoordSources_) {
                std::copy(texcoords.begin(), texcoords.end(), merged_.texcoords.begin() + base);
            }
        }
        return Geometry::make(std::move(merged_), std::move(materials_));
    }

  private:
    GeometryElement& elementFor(const std::shared_ptr<Material>& material) {
        const auto [it, inserted] = elementIndex_.try_emplace(material.get(), merged_.elements.size());
        if (inserted) {
            merged_.elements.emplace_back();
            materials_.push_back(material);
        }
        return merged_.elements[it->second];
    }

    MeshData merged_;
    std::vector<std::shared_ptr<Material>> materials_;
    std::unordered_map<const Material*, size_t> elementIndex_;
    std::vector<std::pair<uint32_t, std::vector<glm::vec2>>> texcoordSources_;
};

}  // namespace

std::shared_ptr<Node> Node::flattenedClone() const {
    auto clone = Node::make(name_);
    clone->hidden_ = hidden_;
    clone->position_ = position_;
    clone->orientation_ = orientation_;
    clone->euler_ = euler_;
    clone->eulerValid_ = eulerValid_;
    clone->scale_ = scale_;
    clone->pivot_ = pivot_;
    clone->pivotInverse_ = pivotInverse_;

    // Transforms are accumulated relative to this node, so ancestors and constraints above it do not matter.
    MeshMerger merger;
    std::vector<std::pair<const Node*, glm::mat4>> stack{{this, glm::mat4(1.0f)}};
    while (!stack.empty()) {
        const auto [node, toThis] = stack.back();
        stack.pop_back();
        if (node->geometry_) {
            merger.add(*node->geometry_, toThis);
        }
        for (auto it = node->children_.rbegin(); it != node->children_.rend(); ++it) {
            if (!(*it)->hidden_) {
                stack.emplace_back(it->get(), toThis * (*it)->transform());
            }
        }
    }
    clone->geometry_ = merger.finish();
    return clone;
}

}  // namespace plimsa
