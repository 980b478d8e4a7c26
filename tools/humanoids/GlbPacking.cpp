#include "humanoids/GlbPacking.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace plimsa {

float linearFromSrgb(float c) {
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

int GlbPacker::view(const void* data, size_t bytes, int target) {
    auto& buffer = model_.buffers[0].data;
    buffer.resize((buffer.size() + 3) & ~size_t{3});
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = buffer.size();
    view.byteLength = bytes;
    view.target = target;
    const auto* begin = static_cast<const unsigned char*>(data);
    buffer.insert(buffer.end(), begin, begin + bytes);
    model_.bufferViews.push_back(view);
    return static_cast<int>(model_.bufferViews.size()) - 1;
}

void addSkinnedBody(tinygltf::Model& model, GlbPacker& packer, const SkinnedBodyData& body) {
    glm::vec3 low{1e30f};
    glm::vec3 high{-1e30f};
    for (const glm::vec3& p : body.positions) {
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    tinygltf::Primitive shared;
    shared.mode = TINYGLTF_MODE_TRIANGLES;
    const int array = TINYGLTF_TARGET_ARRAY_BUFFER;
    shared.attributes["POSITION"] =
        packer.accessor(body.positions, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, array);
    packer.last().minValues = {low.x, low.y, low.z};
    packer.last().maxValues = {high.x, high.y, high.z};
    shared.attributes["NORMAL"] =
        packer.accessor(body.normals, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, array);
    shared.attributes["TEXCOORD_0"] =
        packer.accessor(body.texcoords, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, array);
    shared.attributes["JOINTS_0"] =
        packer.accessor(body.joints, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4, array);
    shared.attributes["WEIGHTS_0"] =
        packer.accessor(body.weights, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, array);

    tinygltf::Mesh mesh;
    mesh.name = "Body";
    for (const auto& [material, indices] : body.primitives) {
        tinygltf::Primitive primitive = shared;
        primitive.material = material;
        primitive.indices = packer.accessor(*indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                                            TINYGLTF_TYPE_SCALAR, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        mesh.primitives.push_back(primitive);
    }
    model.meshes.push_back(mesh);
    tinygltf::Node node;
    node.name = "Body";
    node.mesh = static_cast<int>(model.meshes.size()) - 1;
    node.skin = 0;
    model.nodes.push_back(node);
}

std::vector<uint8_t> glbBytes(tinygltf::Model& model) {
    model.buffers[0].data.resize((model.buffers[0].data.size() + 3) & ~size_t{3});
    std::ostringstream stream;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&model, stream, false, true)) return {};
    const std::string bytes = stream.str();
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> gltfBytes(tinygltf::Model& model) {
    std::ostringstream stream;
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(nullptr, nullptr);
    if (!writer.WriteGltfSceneToStream(&model, stream, true, false)) return {};
    const std::string bytes = stream.str();
    return {bytes.begin(), bytes.end()};
}

bool writeGlb(const std::vector<uint8_t>& bytes, const std::filesystem::path& target) {
    if (bytes.empty()) return false;
    std::filesystem::path partial = target;
    partial += ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, target, error);
    if (error) std::filesystem::remove(partial, error);
    return !error;
}

}  // namespace plimsa
