#include <memory>
#include <string>

#include "character/CharacterRig.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"

namespace plimsa {

namespace {

struct Palette {
    std::shared_ptr<Material> body = grey(0.16f, 0.85f);
    std::shared_ptr<Material> dark = grey(0.1f, 0.6f);
    std::shared_ptr<Material> eye = grey(0.3f, 0.5f);
    std::shared_ptr<Material> pupil = grey(0.08f, 0.5f);

    static std::shared_ptr<Material> grey(float white, float roughness) {
        return Material::make(glm::vec3(white), roughness, 0.0f);
    }
};

struct BoxSpec {
    glm::vec3 size;
    float chamfer;
    glm::vec3 position;
};

// One rounded box on an unnamed node inside `part`.
void addBox(Node& part, const BoxSpec& box, const std::shared_ptr<Material>& material) {
    auto geometry = Primitives::box(box.size.x, box.size.y, box.size.z, box.chamfer);
    geometry->setMaterials({material});
    auto holder = Node::make(std::move(geometry));
    holder->setPosition(box.position);
    part.addChildNode(std::move(holder));
}

std::shared_ptr<Node> addPart(Node& parent, std::string name, const glm::vec3& position) {
    auto part = Node::make(std::move(name));
    part->setPosition(position);
    parent.addChildNode(part);
    return part;
}

void buildHead(CharacterRig::Parts& parts, const Palette& palette) {
    parts.head = addPart(*parts.torso, "Head", {0, 0.58f, 0});
    addBox(*parts.head, {{0.5f, 0.46f, 0.46f}, 0.14f, {0, 0.26f, 0}}, palette.body);
    addBox(*parts.head, {{0.52f, 0.16f, 0.48f}, 0.07f, {0, 0.46f, -0.01f}}, palette.body);
    for (const auto& [name, x] : {std::pair{"EyeL", -0.11f}, std::pair{"EyeR", 0.11f}}) {
        auto eye = addPart(*parts.head, name, {x, 0.24f, 0.23f});
        addBox(*eye, {{0.1f, 0.12f, 0.04f}, 0.02f, {0, 0, 0}}, palette.eye);
        addBox(*eye, {{0.05f, 0.06f, 0.02f}, 0.01f, {0, -0.01f, 0.02f}}, palette.pupil);
        parts.eyes.push_back(std::move(eye));
    }
}

void buildLegs(CharacterRig::Parts& parts, const Palette& palette) {
    for (const auto& [side, x] : {std::pair{"L", -0.14f}, std::pair{"R", 0.14f}}) {
        auto thigh = addPart(*parts.root, std::string("Thigh") + side, {x, 0.08f, 0.02f});
        addBox(*thigh, {{0.2f, 0.18f, 0.4f}, 0.06f, {0, 0, 0.2f}}, palette.body);
        auto shin = addPart(*thigh, std::string("Shin") + side, {0, -0.04f, 0.38f});
        addBox(*shin, {{0.17f, 0.42f, 0.18f}, 0.05f, {0, -0.2f, 0}}, palette.body);
        addBox(*shin, {{0.19f, 0.12f, 0.28f}, 0.05f, {0, -0.44f, 0.05f}}, palette.dark);
        parts.thighs.push_back(std::move(thigh));
        parts.shins.push_back(std::move(shin));
    }
}

void buildArms(CharacterRig::Parts& parts, const Palette& palette) {
    for (const auto& [name, x] : {std::pair{"ArmL", -0.29f}, std::pair{"ArmR", 0.29f}}) {
        auto arm = addPart(*parts.torso, name, {x, 0.45f, 0});
        addBox(*arm, {{0.13f, 0.52f, 0.13f}, 0.05f, {0, 0.26f, 0}}, palette.body);
        addBox(*arm, {{0.14f, 0.14f, 0.14f}, 0.05f, {0, 0.55f, 0}}, palette.dark);
        parts.arms.push_back(std::move(arm));
    }
}

}  // namespace

std::unique_ptr<CharacterRig> CharacterRig::placeholder() {
    const Palette palette;
    Parts parts;
    parts.root = Node::make("Root");
    parts.torso = addPart(*parts.root, "Torso", {0, 0, 0});
    addBox(*parts.torso, {{0.52f, 0.55f, 0.32f}, 0.1f, {0, 0.3f, 0}}, palette.body);
    buildHead(parts, palette);
    buildLegs(parts, palette);
    buildArms(parts, palette);
    parts.armLength = 0.55;
    markGrabbable(*parts.root);
    return std::make_unique<CharacterRig>(std::move(parts));
}

}  // namespace plimsa
