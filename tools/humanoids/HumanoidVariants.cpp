#include "humanoids/HumanoidVariants.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <utility>
#include <vector>

namespace plimsa {
namespace {

// Chibi proportions, applied to the standard 1.8 m layout: arms past the shoulder joint 25 % longer, the
// head 3.8 times its size about the head joint, everything below the hips at half height. The head then
// takes about 40 % of the 1.8 m height.
constexpr float kArmStart = 0.18f;
constexpr float kArmStretch = 1.25f;
constexpr float kHeadScale = 3.8f;
constexpr float kLegScale = 0.5f;

// Moves one point (and its normal) of the standard layout to where the variant has it.
class Shape {
  public:
    Shape(const HumanoidSpec& spec, const HumanoidSkeleton& standard)
        : chibi_(spec.proportions == Proportions::chibi),
          turned_(spec.format == HumanoidFormat::vrm0),
          head_(standard.position("Head")),
          hipsY_(standard.position("Hips").y) {}

    bool changes() const { return chibi_ || turned_; }

    void apply(glm::vec3& p, glm::vec3& n, float headWeight) const {
        if (chibi_) {
            if (std::abs(p.x) > kArmStart) {
                p.x = std::copysign(kArmStart + (std::abs(p.x) - kArmStart) * kArmStretch, p.x);
                n.x /= kArmStretch;
            }
            p = head_ + (1.0f + (kHeadScale - 1.0f) * headWeight) * (p - head_);
            if (p.y < hipsY_) {
                p.y *= kLegScale;
                n.y /= kLegScale;
            } else {
                p.y -= hipsY_ * (1.0f - kLegScale);
            }
            if (glm::length(n) > 0.0f) n = glm::normalize(n);
        }
        if (turned_) {
            p = {-p.x, p.y, -p.z};
            n = {-n.x, n.y, -n.z};
        }
    }

  private:
    bool chibi_;
    bool turned_;
    glm::vec3 head_;
    float hipsY_;
};

tinygltf::Value number(double value) {
    return tinygltf::Value(value);
}

tinygltf::Value numbers(std::initializer_list<double> values) {
    tinygltf::Value::Array array;
    for (double value : values) array.emplace_back(value);
    return tinygltf::Value(std::move(array));
}

tinygltf::Value object(std::vector<std::pair<std::string, tinygltf::Value>> members) {
    tinygltf::Value::Object result;
    for (auto& [key, value] : members) result[key] = std::move(value);
    return tinygltf::Value(std::move(result));
}

tinygltf::Value text(const char* value) {
    return tinygltf::Value(std::string(value));
}

float srgbFromLinear(double linear) {
    return static_cast<float>(linear <= 0.0031308 ? 12.92 * linear
                                                  : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055);
}

tinygltf::Value vrm1Extension(const tinygltf::Value& humanBones) {
    return object(
        {{"specVersion", text("1.0")},
         {"meta", object({{"name", text("Test humanoid")},
                          {"version", text("1")},
                          {"authors", tinygltf::Value(tinygltf::Value::Array{text("plimsa test humanoids")})},
                          {"licenseUrl", text("https://vrm.dev/licenses/1.0/")},
                          {"avatarPermission", text("everyone")},
                          {"commercialUsage", text("personalNonProfit")},
                          {"allowRedistribution", tinygltf::Value(false)},
                          {"modification", text("prohibited")}})},
         {"humanoid", object({{"humanBones", humanBones}})}});
}

tinygltf::Value mtoon1(const tinygltf::Material& material) {
    const auto& base = material.pbrMetallicRoughness.baseColorFactor;
    return object({{"specVersion", text("1.0")},
                   {"shadeColorFactor", numbers({base[0] * 0.6, base[1] * 0.6, base[2] * 0.7})},
                   {"shadingShiftFactor", number(-0.1)},
                   {"shadingToonyFactor", number(0.9)},
                   {"giEqualizationFactor", number(0.9)},
                   {"outlineWidthMode", text("none")},
                   {"rimLightingMixFactor", number(1.0)}});
}

tinygltf::Value mtoon0(const tinygltf::Material& material, int mainTexture) {
    const auto& base = material.pbrMetallicRoughness.baseColorFactor;
    // Unity's material colours, as MToon stores them: sRGB.
    const double r = srgbFromLinear(base[0]), g = srgbFromLinear(base[1]), b = srgbFromLinear(base[2]);
    tinygltf::Value::Object textures;
    if (mainTexture >= 0) textures["_MainTex"] = tinygltf::Value(mainTexture);
    return object({{"name", tinygltf::Value(material.name)},
                   {"shader", text("VRM/MToon")},
                   {"renderQueue", tinygltf::Value(2000)},
                   {"floatProperties", object({{"_Cutoff", number(0.5)},
                                               {"_ShadeToony", number(0.9)},
                                               {"_ShadeShift", number(-0.1)},
                                               {"_BlendMode", number(0)}})},
                   {"vectorProperties", object({{"_Color", numbers({r, g, b, 1.0})},
                                                {"_ShadeColor", numbers({r * 0.7, g * 0.7, b * 0.75, 1.0})},
                                                {"_MainTex", numbers({0, 0, 1, 1})}})},
                   {"textureProperties", tinygltf::Value(std::move(textures))},
                   {"keywordMap", tinygltf::Value(tinygltf::Value::Object{})},
                   {"tagMap", object({{"RenderType", text("Opaque")}})}});
}

tinygltf::Value vrm0Extension(tinygltf::Value humanBones, tinygltf::Value materials) {
    return object({{"exporterVersion", text("plimsa test humanoids")},
                   {"specVersion", text("0.0")},
                   {"meta", object({{"title", text("Test humanoid")},
                                    {"version", text("1")},
                                    {"author", text("plimsa test humanoids")},
                                    {"allowedUserName", text("Everyone")},
                                    {"licenseName", text("CC0")}})},
                   {"humanoid", object({{"humanBones", std::move(humanBones)},
                                        {"armStretch", number(0.05)},
                                        {"legStretch", number(0.05)},
                                        {"hasTranslationDoF", tinygltf::Value(false)}})},
                   {"materialProperties", std::move(materials)}});
}

}  // namespace

bool hasRootBone(const HumanoidSpec& spec) {
    return spec.naming == BoneNaming::unreal || spec.ikRig;
}

void reshapeSkeleton(const HumanoidSpec& spec, HumanoidSkeleton& skeleton) {
    const Shape shape(spec, skeleton);
    auto& joints = skeleton.joints();
    if (spec.ikRig) {
        const int root = skeleton.find("Root");
        for (const char* name : {"LeftFoot", "RightFoot", "LeftHand", "RightHand"})
            joints[static_cast<size_t>(skeleton.find(name))].parent = root;
    }
    if (!shape.changes()) return;
    const int head = skeleton.find("Head");
    const glm::quat halfTurn = glm::angleAxis(glm::pi<float>(), glm::vec3(0, 1, 0));
    for (size_t i = 0; i < joints.size(); ++i) {
        bool inHead = false;
        for (int j = static_cast<int>(i); j >= 0 && !inHead; j = joints[static_cast<size_t>(j)].parent)
            inHead = j == head;
        glm::vec3 normal{0.0f};
        shape.apply(joints[i].position, normal, inHead ? 1.0f : 0.0f);
        if (spec.format == HumanoidFormat::vrm0)
            joints[i].orientation = halfTurn * joints[i].orientation * glm::inverse(halfTurn);
    }
}

void reshapeBody(const HumanoidSpec& spec, const HumanoidSkeleton& standard, HumanoidBody& body) {
    const Shape shape(spec, standard);
    if (!shape.changes()) return;
    const int head = standard.find("Head");
    for (size_t v = 0; v < body.positions.size(); ++v) {
        float headWeight = 0.0f;
        for (int k = 0; k < 4; ++k)
            if (body.joints[v][k] == head) headWeight += body.weights[v][k];
        shape.apply(body.positions[v], body.normals[v], headWeight);
    }
}

void addFootParts(tinygltf::Model& model, GlbPacker& packer, const HumanoidSpec& spec,
                  const HumanoidSkeleton& skeleton, int firstJointNode) {
    if (!spec.ikRig) return;
    // A box 7 x 2 x 4 cm, flat-shaded: four vertices per face.
    const glm::vec3 half{0.035f, 0.01f, 0.02f};
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<uint16_t> indices;
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {-1.0f, 1.0f}) {
            glm::vec3 normal{0.0f};
            normal[axis] = sign;
            const glm::vec3 u = axis == 0 ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
            const glm::vec3 v = glm::cross(normal, u);
            const auto base = static_cast<uint16_t>(positions.size());
            for (const glm::vec2 corner :
                 {glm::vec2(-1, -1), glm::vec2(1, -1), glm::vec2(1, 1), glm::vec2(-1, 1)}) {
                positions.push_back((normal + corner.x * u + corner.y * v) * half);
                normals.push_back(normal);
            }
            indices.insert(indices.end(),
                           {base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2), base,
                            static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3)});
        }
    }
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = static_cast<int>(BodyMaterial::eyes);
    primitive.attributes["POSITION"] = packer.accessor(positions, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                       TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER);
    packer.last().minValues = {-half.x, -half.y, -half.z};
    packer.last().maxValues = {half.x, half.y, half.z};
    primitive.attributes["NORMAL"] = packer.accessor(normals, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                     TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.indices = packer.accessor(indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR,
                                        TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    tinygltf::Mesh mesh;
    mesh.name = "Buckle";
    mesh.primitives.push_back(primitive);
    model.meshes.push_back(mesh);
    for (const char* side : {"Left", "Right"}) {
        const int foot = skeleton.find(std::string(side) + "Foot");
        const glm::vec3 at = glm::vec3(skeleton.position(std::string(side) + "Foot").x, 0.075f, 0.07f);
        tinygltf::Node node;
        node.name = std::string("buckle.") + (side[0] == 'L' ? "l" : "r");
        node.mesh = static_cast<int>(model.meshes.size()) - 1;
        const glm::vec3 local =
            at - skeleton.position(std::string(side) + "Foot");  // the foot bone is unrotated
        node.translation = {local.x, local.y, local.z};
        model.nodes.push_back(node);
        model.nodes[static_cast<size_t>(firstJointNode + foot)].children.push_back(
            static_cast<int>(model.nodes.size()) - 1);
    }
}

std::string vrmBoneName(const std::string& canonical, HumanoidFormat format) {
    static const std::vector<std::pair<std::string, std::string>> bones = {
        {"Hips", "hips"},        {"Spine", "spine"}, {"Spine1", "chest"},      {"Spine2", "upperChest"},
        {"Neck", "neck"},        {"Head", "head"},   {"Shoulder", "Shoulder"}, {"Arm", "UpperArm"},
        {"ForeArm", "LowerArm"}, {"Hand", "Hand"},   {"UpLeg", "UpperLeg"},    {"Leg", "LowerLeg"},
        {"Foot", "Foot"},        {"ToeBase", "Toes"}};
    const bool left = canonical.rfind("Left", 0) == 0;
    const bool right = canonical.rfind("Right", 0) == 0;
    const std::string side = left ? "left" : right ? "right" : "";
    const std::string part = canonical.substr(left ? 4 : right ? 5 : 0);
    for (const auto& [from, to] : bones)
        if (from == part) return side + to;
    // Fingers: "HandIndex1".."HandIndex3"; the fourth joint is the tip's end and has no VRM bone.
    if (side.empty() || part.rfind("Hand", 0) != 0 || part.size() < 6) return "";
    const int number = part.back() - '0';
    std::string finger = part.substr(4, part.size() - 5);
    if (number < 1 || number > 3) return "";
    if (finger == "Pinky") finger = "Little";
    static const char* kJoints[] = {"Proximal", "Intermediate", "Distal"};
    static const char* kThumb1[] = {"Metacarpal", "Proximal", "Distal"};
    const bool thumb1 = finger == "Thumb" && format == HumanoidFormat::vrm1;
    return side + finger + (thumb1 ? kThumb1 : kJoints)[number - 1];
}

void addVrmExtensions(tinygltf::Model& model, const HumanoidSpec& spec, const HumanoidSkeleton& skeleton,
                      int firstJointNode, int skinTexture) {
    if (spec.format != HumanoidFormat::vrm0 && spec.format != HumanoidFormat::vrm1) return;
    tinygltf::Value::Object boneObject;
    tinygltf::Value::Array boneArray;
    const auto& joints = skeleton.joints();
    for (size_t i = 0; i < joints.size(); ++i) {
        const std::string bone = vrmBoneName(joints[i].canonical, spec.format);
        if (bone.empty()) continue;
        const int node = firstJointNode + static_cast<int>(i);
        boneObject[bone] = object({{"node", tinygltf::Value(node)}});
        boneArray.push_back(object({{"bone", tinygltf::Value(bone)},
                                    {"node", tinygltf::Value(node)},
                                    {"useDefaultValues", tinygltf::Value(true)}}));
    }
    if (spec.format == HumanoidFormat::vrm1) {
        for (tinygltf::Material& material : model.materials)
            material.extensions["VRMC_materials_mtoon"] = mtoon1(material);
        model.extensions["VRMC_vrm"] = vrm1Extension(tinygltf::Value(std::move(boneObject)));
        model.extensionsUsed.insert(model.extensionsUsed.end(), {"VRMC_vrm", "VRMC_materials_mtoon"});
        return;
    }
    tinygltf::Value::Array materials;
    for (tinygltf::Material& material : model.materials) {
        const bool shirt = material.name == "Shirt";
        const int mainTexture = shirt ? skinTexture : material.pbrMetallicRoughness.baseColorTexture.index;
        materials.push_back(mtoon0(material, mainTexture));
        if (shirt) material.pbrMetallicRoughness.baseColorFactor = {1.0, 1.0, 1.0, 1.0};
    }
    model.extensions["VRM"] =
        vrm0Extension(tinygltf::Value(std::move(boneArray)), tinygltf::Value(std::move(materials)));
    model.extensionsUsed.push_back("VRM");
}

}  // namespace plimsa
