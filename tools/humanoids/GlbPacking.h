#pragma once

#include <tiny_gltf.h>
#include <glm/glm.hpp>
#include <glm/gtc/type_precision.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

namespace plimsa {

/// Linear value of an sRGB colour channel, for glTF colour factors.
float linearFromSrgb(float c);

/// An stb image-writer callback appending the bytes to the std::vector<unsigned char> at `context`.
void appendBytes(void* context, void* data, int size);

/// Appends data to a model's single buffer and describes it with buffer views and accessors.
class GlbPacker {
  public:
    explicit GlbPacker(tinygltf::Model& model) : model_(model) { model_.buffers.resize(1); }

    /// A buffer view of `bytes` bytes, 4-byte aligned; returns its index.
    int view(const void* data, size_t bytes, int target);

    /// An accessor of `values` in a view of their own; returns its index.
    template <typename T>
    int accessor(const std::vector<T>& values, int componentType, int type, int target) {
        tinygltf::Accessor accessor;
        accessor.bufferView = view(values.data(), values.size() * sizeof(T), target);
        accessor.componentType = componentType;
        accessor.type = type;
        accessor.count = values.size();
        model_.accessors.push_back(accessor);
        return static_cast<int>(model_.accessors.size()) - 1;
    }

    tinygltf::Accessor& last() { return model_.accessors.back(); }

  private:
    tinygltf::Model& model_;
};

/// A skinned body's vertex data, shared by all its primitives (one per material).
struct SkinnedBodyData {
    const std::vector<glm::vec3>& positions;
    const std::vector<glm::vec3>& normals;
    const std::vector<glm::vec2>& texcoords;
    const std::vector<glm::u16vec4>& joints;
    const std::vector<glm::vec4>& weights;
    /// (material index, triangle indices), in primitive order.
    std::vector<std::pair<int, const std::vector<uint32_t>*>> primitives;
};

/// Adds the mesh "Body" of `body` (skin 0) and its node, which becomes the model's last node.
void addSkinnedBody(tinygltf::Model& model, GlbPacker& packer, const SkinnedBodyData& body);

/// The model as binary glTF, its buffer padded to 4 bytes first; empty when encoding fails.
std::vector<uint8_t> glbBytes(tinygltf::Model& model);

/// The model as a .gltf JSON document with its buffers embedded as data: URIs; images keep their URIs and are
/// not written. Empty when encoding fails.
std::vector<uint8_t> gltfBytes(tinygltf::Model& model);

/// Writes `bytes` to `target` through a ".partial" file renamed into place, so a failed write leaves
/// nothing half-written behind. False on failure (or when `bytes` is empty).
bool writeGlb(const std::vector<uint8_t>& bytes, const std::filesystem::path& target);

}  // namespace plimsa
