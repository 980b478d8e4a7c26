// Feeds arbitrary vertex data, indices, bone influences and transforms (as a model file may carry them)
// through the scene graph: geometry construction, flattening, CPU skinning, skinned bounds, view maths and
// hit testing must stay in bounds and never crash whatever the numbers (NaN, infinities, huge, zero scale).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Skinner.h"
#include "platform/scene/ViewProjector.h"

namespace {

class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    template <typename T>
    T take() {
        T value{};
        if (size_ >= sizeof value) {
            std::memcpy(&value, data_, sizeof value);
            data_ += sizeof value;
            size_ -= sizeof value;
        }
        return value;
    }
    glm::vec3 vec3() { return {take<float>(), take<float>(), take<float>()}; }
    glm::mat4 mat4() {
        glm::mat4 m(1.0f);
        if (take<uint8_t>() % 2) {
            for (int c = 0; c < 4; ++c) {
                m[c] = glm::vec4(vec3(), c == 3 ? 1.0f : 0.0f);
            }
        }
        return m;
    }

  private:
    const uint8_t* data_;
    size_t size_;
};

plimsa::MeshData readMesh(Reader& in) {
    plimsa::MeshData mesh;
    const size_t vertices = in.take<uint8_t>() % 40;
    const uint8_t flags = in.take<uint8_t>();
    for (size_t i = 0; i < vertices; ++i) {
        mesh.positions.push_back(in.vec3());
    }
    // Each optional array may be the right length or a wrong one.
    const size_t extra = flags & 0x80 ? 1 : 0;
    if (flags & 1) mesh.normals.assign(vertices + extra, in.vec3());
    if (flags & 2) mesh.texcoords.assign(vertices, {in.take<float>(), in.take<float>()});
    if (flags & 4) {
        for (size_t i = 0; i < vertices + (flags & 8 ? extra : 0); ++i) {
            const auto a = static_cast<uint16_t>(in.take<uint8_t>() % 6);
            const auto b = static_cast<uint16_t>(in.take<uint8_t>());
            mesh.joints.push_back({a, b, uint16_t{0}, in.take<uint16_t>()});
        }
        for (size_t i = 0; i < vertices; ++i) {
            mesh.weights.push_back({in.take<float>(), in.take<float>(), 0.0f, in.take<float>()});
        }
    }
    const size_t elements = in.take<uint8_t>() % 4;
    for (size_t e = 0; e < elements; ++e) {
        plimsa::GeometryElement element;
        const size_t count = in.take<uint8_t>() % 64;
        for (size_t i = 0; i < count; ++i) {
            element.indices.push_back(in.take<uint8_t>());
        }
        mesh.elements.push_back(element);
    }
    return mesh;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace plimsa;
    Reader in(data, size);
    auto root = Node::make();
    std::vector<std::shared_ptr<Node>> bones;
    for (int i = 0; i < 4; ++i) {
        auto bone = Node::make();
        (i == 0 ? root : bones.back())->addChildNode(bone);
        bone->setPosition(in.vec3());
        bone->setEulerAngles(in.vec3());
        bone->setScale(in.vec3());
        bones.push_back(bone);
    }
    bones[1]->setPivot(in.mat4());
    auto holder = Node::make();
    root->addChildNode(holder);
    holder->setTransform(in.mat4());
    auto geometry = Geometry::make(readMesh(in));
    auto mesh = Node::make(geometry, "grab");
    bones[2]->addChildNode(mesh);
    auto skinner = Skinner::make(bones, {in.mat4(), in.mat4()});
    mesh->setSkinner(skinner);

    volatile float sink = 0;
    for (size_t v = 0; v < geometry->vertexCount() + 1; ++v) {
        sink = sink + skinner->skinnedPosition(*geometry, v).x;
    }
    sink = sink + skinner->worldBoundingBox(*geometry).min.x;
    const auto clone = bones[0]->flattenedClone();
    if (clone->geometry()) {
        sink = sink + static_cast<float>(clone->geometry()->vertexCount());
    }

    auto cameraNode = Node::make();
    auto camera = Camera::make();
    camera->usesOrthographicProjection = in.take<uint8_t>() % 2;
    camera->fieldOfView = in.take<float>();
    camera->zNear = in.take<float>();
    camera->zFar = in.take<float>();
    cameraNode->setCamera(camera);
    cameraNode->setPosition(in.vec3());
    root->addChildNode(cameraNode);
    const ViewProjector projector(*cameraNode, {in.take<float>(), in.take<float>()});
    sink = sink + projector.projectPoint(in.vec3()).x + projector.unprojectPoint(in.vec3()).y;
    sink = sink + static_cast<float>(projector.hitTest(*root, {in.take<float>(), in.take<float>()}).size());
    (void)sink;
    return 0;
}
