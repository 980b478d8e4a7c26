#include "humanoids/StarterWriter.h"

#include "humanoids/GlbPacking.h"

#include <stb/stb_image_write.h>
#include <tiny_gltf.h>
#include <glm/gtc/quaternion.hpp>

#include <cmath>

namespace plimsa {
namespace {

// Indexed by Look.
constexpr const char* kLookNames[kLookCount] = {"Skin",  "Hair", "Iris", "Shine",   "Mouth",   "Freckle",
                                                "Blush", "Top",  "Coat", "Button",  "Legwear", "Boots",
                                                "Soles", "Hat",  "Peak", "Stripes", "Sleeves"};
constexpr int kStripeTexels = 32;  // texels per stripe repeat: half white, half the stripe colour

// Horizontal stripes: the top half of the repeat white, the bottom half the stripe colour.
int addStripeTexture(tinygltf::Model& model, GlbPacker& packer, const glm::vec3& srgb) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < kStripeTexels; ++y)
        for (int x = 0; x < 4; ++x) {
            const glm::vec3 c = y < kStripeTexels / 2 ? glm::vec3(0.96f, 0.96f, 0.93f) : srgb;
            for (int k = 0; k < 3; ++k)
                pixels.push_back(static_cast<unsigned char>(std::lround(c[k] * 255.0f)));
        }
    std::vector<unsigned char> encoded;
    if (!stbi_write_png_to_func(appendBytes, &encoded, 4, kStripeTexels, 3, pixels.data(), 12) ||
        encoded.empty())
        return -1;
    tinygltf::Sampler sampler;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
    sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    model.samplers.push_back(sampler);
    tinygltf::Image image;
    image.name = "Stripes";
    image.mimeType = "image/png";
    image.bufferView = packer.view(encoded.data(), encoded.size(), 0);
    model.images.push_back(image);
    tinygltf::Texture texture;
    texture.source = 0;
    texture.sampler = 0;
    model.textures.push_back(texture);
    return 0;
}

// Materials for the looks in use, in Look order; returns each look's material index (-1 when unused).
std::vector<int> addMaterials(tinygltf::Model& model, GlbPacker& packer, const StarterDesign& design,
                              const StarterBody& body) {
    std::vector<int> materialOf(kLookCount, -1);
    for (int i = 0; i < kLookCount; ++i) {
        if (body.indices[static_cast<size_t>(i)].empty()) continue;
        const auto look = static_cast<Look>(i);
        const glm::vec3 srgb = design.colours[static_cast<size_t>(i)];
        tinygltf::Material material;
        material.name = kLookNames[i];
        auto& pbr = material.pbrMetallicRoughness;
        pbr.metallicFactor = 0.0;
        pbr.roughnessFactor = look == Look::coat || look == Look::boots || look == Look::iris ? 0.35 : 0.8;
        if (look == Look::stripes || look == Look::sleeves) {
            if (model.textures.empty()) addStripeTexture(model, packer, srgb);
            pbr.baseColorTexture.index = model.textures.empty() ? -1 : 0;
            pbr.baseColorFactor = {1.0, 1.0, 1.0, 1.0};
        } else {
            pbr.baseColorFactor = {linearFromSrgb(srgb.r), linearFromSrgb(srgb.g), linearFromSrgb(srgb.b),
                                   1.0};
        }
        // The eyes' highlight glows a little so it reads in shade.
        if (look == Look::shine) material.emissiveFactor = {0.6, 0.6, 0.6};
        model.materials.push_back(material);
        materialOf[static_cast<size_t>(i)] = static_cast<int>(model.materials.size()) - 1;
    }
    return materialOf;
}

tinygltf::Node nodeFrom(const std::string& name, const glm::mat4& local) {
    tinygltf::Node node;
    node.name = name;
    const glm::quat q = glm::normalize(glm::quat_cast(glm::mat3(local)));
    const glm::vec3 t{local[3]};
    if (glm::length(t) > 1e-7f) node.translation = {t.x, t.y, t.z};
    if (std::abs(q.w) < 1.0f - 1e-7f) node.rotation = {q.x, q.y, q.z, q.w};
    return node;
}

void addSkeleton(tinygltf::Model& model, GlbPacker& packer, const StarterDesign& design) {
    model.nodes.push_back(nodeFrom("Armature", glm::mat4(1.0f)));
    std::vector<glm::mat4> world(design.joints.size());
    std::vector<glm::mat4> inverseBind(design.joints.size());
    tinygltf::Skin skin;
    skin.name = "Skeleton";
    for (size_t i = 0; i < design.joints.size(); ++i) {
        const HumanoidJoint& joint = design.joints[i];
        world[i] = glm::translate(glm::mat4(1.0f), joint.position) * glm::mat4_cast(joint.orientation);
        const glm::mat4 parentWorld =
            joint.parent < 0 ? glm::mat4(1.0f) : world[static_cast<size_t>(joint.parent)];
        model.nodes.push_back(
            nodeFrom(HumanoidSkeleton::boneName(joint.canonical, BoneNaming::mixamoColon, 0),
                     glm::inverse(parentWorld) * world[i]));
        const int nodeIndex = static_cast<int>(model.nodes.size()) - 1;
        skin.joints.push_back(nodeIndex);
        model.nodes[joint.parent < 0 ? 0 : static_cast<size_t>(joint.parent) + 1].children.push_back(
            nodeIndex);
        inverseBind[i] = glm::inverse(world[i]);
    }
    skin.skeleton = 1;
    skin.inverseBindMatrices =
        packer.accessor(inverseBind, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, 0);
    model.skins.push_back(skin);
}

void addBody(tinygltf::Model& model, GlbPacker& packer, const StarterBody& body,
             const std::vector<int>& materialOf) {
    SkinnedBodyData data{body.positions, body.normals, body.texcoords, body.joints, body.weights, {}};
    for (size_t i = 0; i < body.indices.size(); ++i)
        if (materialOf[i] >= 0) data.primitives.emplace_back(materialOf[i], &body.indices[i]);
    addSkinnedBody(model, packer, data);
}

}  // namespace

std::vector<uint8_t> StarterWriter::glb(const StarterDesign& design) {
    return glb(design, StarterBody(design));
}

std::vector<uint8_t> StarterWriter::glb(const StarterDesign& design, const StarterBody& body) {
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "plimsa starter characters";
    GlbPacker packer(model);
    addSkeleton(model, packer, design);
    const std::vector<int> materialOf = addMaterials(model, packer, design, body);
    addBody(model, packer, body, materialOf);

    tinygltf::Scene scene;
    scene.name = design.name;
    scene.nodes = {0, static_cast<int>(model.nodes.size()) - 1};
    model.scenes.push_back(scene);
    model.defaultScene = 0;

    return glbBytes(model);
}

bool StarterWriter::write(const StarterDesign& design, const std::filesystem::path& folder) {
    const std::vector<uint8_t> bytes = glb(design);
    return writeGlb(bytes, folder / (design.name + ".glb"));
}

}  // namespace plimsa
