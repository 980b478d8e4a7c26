#include "swing/SwingParts.h"

#include <cmath>

#include "platform/scene/Texture.h"
#include "platform/scene/TransformMath.h"

namespace plimsa::SwingParts {

namespace {

struct SkinStyle {
    float ropeEnd;     // height of the rope's lower end above the board origin
    float rootOffset;  // height of a seated character's root above the board origin
};

SkinStyle styleOf(SwingSkin skin) {
    if (skin == SwingSkin::forest) return {0.02f, 0.11f};
    return {0.07f, 0.035f};
}

std::shared_ptr<Node> boardFor(SwingSkin skin, double width, const std::vector<double>& chainXs) {
    switch (skin) {
        case SwingSkin::forest:
            return logBoard(width, chainXs);
        case SwingSkin::ice:
            return iceBoard(width, chainXs);
        case SwingSkin::gold:
            return marbleBoard(width, chainXs);
        case SwingSkin::rope:
            return driftwood(width, chainXs);
        case SwingSkin::classic:
            break;
    }
    return board(width, chainXs);
}

std::shared_ptr<Material> makeMetal(float grey, float roughness) {
    return Material::make(glm::vec3(grey), roughness, 1.0f);
}

}  // namespace

SeatBuild buildBoard(SwingSkin skin, double width, const std::vector<double>& characterXs,
                     double ropeLength) {
    if (!std::isfinite(width)) width = 1.0;
    if (!std::isfinite(ropeLength)) ropeLength = 0.0;
    const float h = static_cast<float>(width * 0.5 - 0.08);
    const SkinStyle style = styleOf(skin);
    const float bottom = static_cast<float>(style.ropeEnd - ropeLength);

    SeatBuild build;
    build.node = boardFor(skin, width, {-static_cast<double>(h), static_cast<double>(h)});
    build.ropes = {Rope{{-h, 0.05f, 0.0f}, {-h, bottom, 0.0f}}, Rope{{h, 0.05f, 0.0f}, {h, bottom, 0.0f}}};
    build.width = width;
    build.characterXs = characterXs;
    build.rootOffset = {0.0f, style.rootOffset, 0.0f};
    return build;
}

std::shared_ptr<Node> ropeNode(const Rope& rope, SwingSkin skin) {
    const float length = glm::distance(rope.top, rope.bottom);
    const glm::quat q = transform_math::rotationBetween(glm::vec3(0, -1, 0), rope.bottom - rope.top);
    std::shared_ptr<Node> node;
    switch (skin) {
        case SwingSkin::forest:
            return liana(length, rope.top, q);
        case SwingSkin::rope:
            return bar(rope.top, rope.bottom, 0.03, fabric({0.76f, 0.66f, 0.48f}, 0.95, 0.0));
        case SwingSkin::ice:
            node = chain(length, {0.8f, 0.9f, 1.0f}, 0.15);
            break;
        case SwingSkin::gold:
            node = chain(length, {0.95f, 0.755f, 0.35f}, 0.32);
            break;
        case SwingSkin::classic:
            node = chain(length, glm::vec3(0.62f), 0.32);
            break;
    }
    node->setPosition(rope.top);
    node->setOrientation(q);
    return node;
}

std::shared_ptr<Material> fabric(const glm::vec3& color, double roughness, double metalness) {
    return Material::make(color, static_cast<float>(roughness), static_cast<float>(metalness));
}

const std::shared_ptr<Material>& wood() {
    // Function-local statics are initialised exactly once even when several threads arrive together.
    static const std::shared_ptr<Material> material = [] {
        auto made = Material::make(glm::vec3(1.0f), 0.55f, 0.0f);
        made->setName("wood");
        made->setDiffuseImage(Texture::make(woodImage(1024), "wood"));
        made->setDiffuseWrap(WrapMode::repeat, WrapMode::repeat);
        return made;
    }();
    return material;
}

const std::shared_ptr<Material>& steel() {
    static const std::shared_ptr<Material> material = makeMetal(0.62f, 0.32f);
    return material;
}

const std::shared_ptr<Material>& darkSteel() {
    static const std::shared_ptr<Material> material = makeMetal(0.35f, 0.45f);
    return material;
}

const std::shared_ptr<Material>& leafMaterial() {
    static const std::shared_ptr<Material> material = [] {
        auto made = Material::make(glm::vec3(1.0f), 0.8f, 0.0f);
        made->setName("leaf");
        made->setDiffuseImage(Texture::make(leafImage(), "leaf"));
        made->setTransparencyMode(TransparencyMode::aOne);
        made->setDoubleSided(true);
        made->setWritesToDepthBuffer(true);
        return made;
    }();
    return material;
}

}  // namespace plimsa::SwingParts
