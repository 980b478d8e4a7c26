#include "humanoids/HumanoidWriter.h"

#include "humanoids/GlbPacking.h"
#include "humanoids/HumanoidBody.h"
#include "humanoids/HumanoidSkeleton.h"
#include "humanoids/HumanoidVariants.h"

#include <stb/stb_image_write.h>
#include <tiny_gltf.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <cstring>
#include <utility>

namespace plimsa {
namespace {

struct Colour {
    const char* name;
    glm::vec3 srgb;
};

// Indexed by BodyMaterial.
constexpr Colour kColours[kBodyMaterialCount] = {
    {"Skin", {0.92f, 0.74f, 0.62f}},  {"Shirt", {0.22f, 0.42f, 0.75f}}, {"Trousers", {0.22f, 0.24f, 0.32f}},
    {"Shoes", {0.35f, 0.22f, 0.15f}}, {"Eyes", {0.06f, 0.06f, 0.08f}},
};

// Appends data to the single buffer and describes it with buffer views and accessors.

// A two-tone checkerboard with a stripe gradient, so texturing is visible in renders.
std::vector<unsigned char> texturePixels(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    const int tile = std::max(1, width / 16);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p =
                &pixels[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
            const bool dark = ((x / tile) + (y / tile)) % 2 == 1;
            p[0] = static_cast<unsigned char>(dark ? 200 : 250);
            p[1] = static_cast<unsigned char>(dark ? 150 : 205);
            p[2] = static_cast<unsigned char>(120 + 100 * y / std::max(1, height - 1));
        }
    }
    return pixels;
}

// Adds `image` and a texture showing it through the first sampler; returns the texture's index.
int addTexture(tinygltf::Model& model, tinygltf::Image image) {
    model.images.push_back(std::move(image));
    tinygltf::Texture texture;
    texture.source = static_cast<int>(model.images.size()) - 1;
    texture.sampler = 0;
    model.textures.push_back(texture);
    return static_cast<int>(model.textures.size()) - 1;
}

int addImage(tinygltf::Model& model, GlbPacker& packer, int width, int height, bool png) {
    const std::vector<unsigned char> pixels = texturePixels(width, height);
    std::vector<unsigned char> encoded;
    const int ok =
        png ? stbi_write_png_to_func(appendBytes, &encoded, width, height, 3, pixels.data(), width * 3)
            : stbi_write_jpg_to_func(appendBytes, &encoded, width, height, 3, pixels.data(), 85);
    if (!ok || encoded.empty()) return -1;
    tinygltf::Image image;
    image.name = png ? "SharedPattern" : "LargePattern";
    image.mimeType = png ? "image/png" : "image/jpeg";
    image.bufferView = packer.view(encoded.data(), encoded.size(), 0);
    return addTexture(model, std::move(image));
}

// An image the file names by a relative URI but does not ship.
int addAbsentImage(tinygltf::Model& model) {
    tinygltf::Image image;
    image.name = "SkinPattern";
    image.uri = "textures/skin-pattern.png";
    return addTexture(model, std::move(image));
}

// Returns the skin's texture (-1 without one).
int addMaterials(tinygltf::Model& model, GlbPacker& packer, const HumanoidSpec& spec) {
    tinygltf::Sampler sampler;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
    sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    model.samplers.push_back(sampler);

    int skinTexture = -1;
    int shirtTexture = -1;
    if (spec.textureWidth > 0 && spec.textureHeight > 0)
        skinTexture = addImage(model, packer, spec.textureWidth, spec.textureHeight, false);
    if (spec.sharedTexture) skinTexture = shirtTexture = addImage(model, packer, 256, 128, true);
    if (spec.format == HumanoidFormat::vrm0 || spec.format == HumanoidFormat::vrm1)
        skinTexture = addImage(model, packer, 256, 128, true);
    if (spec.format == HumanoidFormat::gltfMissingImage) skinTexture = addAbsentImage(model);

    for (int i = 0; i < kBodyMaterialCount; ++i) {
        tinygltf::Material material;
        material.name = kColours[i].name;
        const int texture = i == static_cast<int>(BodyMaterial::skin)    ? skinTexture
                            : i == static_cast<int>(BodyMaterial::shirt) ? shirtTexture
                                                                         : -1;
        const glm::vec3 srgb = texture >= 0 ? glm::vec3(1.0f) : kColours[i].srgb;
        material.pbrMetallicRoughness.baseColorFactor = {linearFromSrgb(srgb.r), linearFromSrgb(srgb.g),
                                                         linearFromSrgb(srgb.b), 1.0};
        material.pbrMetallicRoughness.metallicFactor = 0.0;
        material.pbrMetallicRoughness.roughnessFactor = 0.8;
        material.pbrMetallicRoughness.baseColorTexture.index = texture;
        if (texture >= 0 && i == static_cast<int>(BodyMaterial::shirt)) {
            tinygltf::Value::Object transform;
            transform["scale"] =
                tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(2.0), tinygltf::Value(2.0)});
            transform["offset"] =
                tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(0.25), tinygltf::Value(0.0)});
            material.pbrMetallicRoughness.baseColorTexture.extensions["KHR_texture_transform"] =
                tinygltf::Value(transform);
        }
        model.materials.push_back(material);
    }
    if (spec.sharedTexture) model.extensionsUsed.push_back("KHR_texture_transform");
    return skinTexture;
}

tinygltf::Node nodeFrom(const std::string& name, const glm::mat4& local) {
    tinygltf::Node node;
    node.name = name;
    glm::vec3 scale{glm::length(glm::vec3(local[0])), glm::length(glm::vec3(local[1])),
                    glm::length(glm::vec3(local[2]))};
    const glm::mat3 rotation{glm::vec3(local[0]) / scale.x, glm::vec3(local[1]) / scale.y,
                             glm::vec3(local[2]) / scale.z};
    const glm::quat q = glm::normalize(glm::quat_cast(rotation));
    const glm::vec3 t{local[3]};
    if (glm::length(t) > 1e-7f) node.translation = {t.x, t.y, t.z};
    if (std::abs(q.w) < 1.0f - 1e-7f) node.rotation = {q.x, q.y, q.z, q.w};
    if (glm::length(scale - glm::vec3(1.0f)) > 1e-5f) node.scale = {scale.x, scale.y, scale.z};
    return node;
}

void addSkeleton(tinygltf::Model& model, GlbPacker& packer, const HumanoidSpec& spec,
                 const HumanoidSkeleton& skeleton) {
    // Armature's own transform; bone transforms are built so that world positions stay Y-up at 1.8 m.
    glm::mat4 armature{1.0f};
    if (spec.rotatedScaledRoot)
        armature = glm::rotate(glm::mat4(1.0f), glm::radians(-90.0f), glm::vec3(1, 0, 0)) *
                   glm::scale(glm::mat4(1.0f), glm::vec3(0.01f));
    model.nodes.push_back(nodeFrom("Armature", armature));

    const auto& joints = skeleton.joints();
    std::vector<glm::mat4> world(joints.size());
    std::vector<glm::mat4> inverseBind(joints.size());
    tinygltf::Skin skin;
    skin.name = "Skeleton";
    for (size_t i = 0; i < joints.size(); ++i) {
        const HumanoidJoint& joint = joints[i];
        world[i] = glm::translate(glm::mat4(1.0f), joint.position * spec.unitsPerMetre) *
                   glm::mat4_cast(joint.orientation) * glm::mat4(glm::mat3(armature));
        const glm::mat4 parentWorld = joint.parent < 0 ? armature : world[static_cast<size_t>(joint.parent)];
        model.nodes.push_back(
            nodeFrom(HumanoidSkeleton::boneName(joint.canonical, spec.naming, static_cast<int>(i)),
                     glm::inverse(parentWorld) * world[i]));
        const int nodeIndex = static_cast<int>(model.nodes.size()) - 1;
        skin.joints.push_back(nodeIndex);
        (joint.parent < 0 ? model.nodes[0] : model.nodes[static_cast<size_t>(joint.parent) + 1])
            .children.push_back(nodeIndex);
        inverseBind[i] = glm::inverse(world[i]);
    }
    skin.skeleton = 1;
    skin.inverseBindMatrices =
        packer.accessor(inverseBind, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, 0);
    model.skins.push_back(skin);
}

void addBody(tinygltf::Model& model, GlbPacker& packer, const HumanoidSpec& spec, const HumanoidBody& body) {
    std::vector<glm::vec3> positions = body.positions;
    for (glm::vec3& p : positions) p *= spec.unitsPerMetre;
    SkinnedBodyData data{positions, body.normals, body.texcoords, body.joints, body.weights, {}};
    for (int i = 0; i < kBodyMaterialCount; ++i)
        if (const auto& indices = body.indices[static_cast<size_t>(i)]; !indices.empty())
            data.primitives.emplace_back(i, &indices);
    addSkinnedBody(model, packer, data);
}

}  // namespace

std::vector<uint8_t> HumanoidWriter::glb(const HumanoidSpec& spec) {
    HumanoidSkeleton skeleton(spec.fullFingers, spec.pose, hasRootBone(spec));
    HumanoidBody body(skeleton);
    reshapeBody(spec, skeleton, body);
    reshapeSkeleton(spec, skeleton);

    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "plimsa test humanoids";
    GlbPacker packer(model);
    addSkeleton(model, packer, spec, skeleton);
    addBody(model, packer, spec, body);
    const int bodyNode = static_cast<int>(model.nodes.size()) - 1;
    addFootParts(model, packer, spec, skeleton, 1);
    const int skinTexture = addMaterials(model, packer, spec);
    addVrmExtensions(model, spec, skeleton, 1, skinTexture);

    tinygltf::Scene scene;
    scene.name = "Scene";
    scene.nodes = {0, bodyNode};
    model.scenes.push_back(scene);
    model.defaultScene = 0;

    return spec.format == HumanoidFormat::gltfMissingImage ? gltfBytes(model) : glbBytes(model);
}

bool HumanoidWriter::write(const HumanoidSpec& spec, const std::filesystem::path& folder) {
    const std::vector<uint8_t> bytes = glb(spec);
    return writeGlb(bytes, folder / spec.fileName);
}

}  // namespace plimsa
