#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

#include "platform/scene/Geometry.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Texture.h"
#include "swing/Rand48.h"
#include "swing/SwingParts.h"

namespace plimsa::SwingParts {

namespace {

constexpr float kHalfPi = glm::half_pi<float>();

std::shared_ptr<Node> addPart(Node& parent, std::shared_ptr<Geometry> shape,
                              std::shared_ptr<Material> material, const glm::vec3& position) {
    shape->setFirstMaterial(std::move(material));
    auto node = Node::make(std::move(shape));
    node->setPosition(position);
    parent.addChildNode(node);
    return node;
}

void addBody(Node& parent, std::shared_ptr<Geometry> shape, std::shared_ptr<Material> material) {
    addPart(parent, std::move(shape), std::move(material), glm::vec3(0.0f))->setName("grab");
}

void addBracket(Node& parent, float x, float y, std::shared_ptr<Material> material) {
    addPart(parent, Primitives::box(0.07f, 0.012f, 0.13f, 0.004f), std::move(material), {x, y, 0.0f});
}

/// The ring the chain hangs from, standing upright and facing the camera.
void addRing(Node& parent, float x, float y, std::shared_ptr<Material> material) {
    auto ring = addPart(parent, Primitives::torus(0.032f, 0.008f), std::move(material), {x, y, 0.0f});
    ring->setEulerAngles({kHalfPi, 0.0f, 0.0f});
}

/// A diffuse image scaled to the board, so one texture tile spans one scene unit along the board.
void scaleTextureToBoard(Material& material, double width) {
    material.setDiffuseContentsTransform(
        glm::scale(glm::mat4(1.0f), glm::vec3(static_cast<float>(width), 0.36f, 1.0f)));
    material.setDiffuseWrap(WrapMode::repeat, WrapMode::repeat);
}

constexpr double kShortestIcicleGap = 0.07;
// Counted rather than measured: on a board of some 5e15 units the gap no longer changes x, so the
// distance covered would never reach the cap.
constexpr int kMaxIcicles = static_cast<int>(kMaxRepeatExtent / kShortestIcicleGap) + 1;

void addIcicles(Node& parent, double width, const std::shared_ptr<Material>& ice) {
    Rand48 random(11);
    const double start = 0.08 - width / 2;
    const double end = width / 2 - 0.05;
    double x = start;
    for (int icicle = 0; icicle < kMaxIcicles && x < end && x - start < kMaxRepeatExtent; ++icicle) {
        const double height = random.next() * 0.16 + 0.06;
        const double z = random.next() * 0.24 - 0.12;
        // Wide end up against the underside, point down.
        addPart(parent, Primitives::cone(0.018f, 0.0f, static_cast<float>(height)), ice,
                {static_cast<float>(x), static_cast<float>(-height / 2 - 0.04), static_cast<float>(z)});
        x += random.next() * 0.08 + kShortestIcicleGap;
    }
}

void addBarkStrips(Node& log, double width, const std::shared_ptr<Material>& bark, Rand48& random) {
    for (int strip = 0; strip < 40; ++strip) {
        const float length = static_cast<float>(random.next() * 0.1 + 0.05);
        const float angle = static_cast<float>(random.next() * 6.28);
        const float x = static_cast<float>(width * (random.next() - 0.5));
        auto node = addPart(log, Primitives::box(length, 0.012f, 0.03f, 0.005f), bark,
                            {x, 0.11f * std::cos(angle), 0.11f * std::sin(angle)});
        node->setEulerAngles({angle, 0.0f, 0.0f});
    }
}

void addMoss(Node& log, double width, Rand48& random) {
    const auto moss = fabric({0.36f, 0.55f, 0.22f}, 1.0, 0.0);
    for (int blob = 0; blob < 12; ++blob) {
        const float radius = static_cast<float>(random.next() * 0.06 + 0.05);
        const float x = static_cast<float>(width * (random.next() - 0.5) * 0.95);
        const float z = static_cast<float>(random.next() * 0.12 - 0.06);
        auto node = addPart(log, Primitives::sphere(radius), moss, {x, 0.1f, z});
        node->setScale({1.4f, 0.35f, 1.0f});
    }
}

void addMushrooms(Node& log, double width) {
    const auto cap = fabric({0.8f, 0.25f, 0.18f}, 0.7, 0.0);
    const auto stem = fabric({0.92f, 0.88f, 0.8f}, 0.9, 0.0);
    const double x0 = -width / 2 + 0.12;
    for (int k = 0; k < 3; ++k) {
        const float x = static_cast<float>(x0 + 0.06 * k);
        addPart(log, Primitives::cylinder(0.012f, 0.05f), stem, {x, 0.13f, 0.08f});
        addPart(log, Primitives::sphere(0.03f), cap, {x, 0.16f, 0.08f})->setScale({1.0f, 0.6f, 1.0f});
    }
}

}  // namespace

std::shared_ptr<Node> board(double width, const std::vector<double>& chainXs) {
    auto node = Node::make();
    const float w = static_cast<float>(width);
    auto plank = wood()->copy();
    scaleTextureToBoard(*plank, width);
    addBody(*node, Primitives::box(w, 0.06f, 0.36f, 0.022f), std::move(plank));
    for (double chainX : chainXs) {
        const float x = static_cast<float>(chainX);
        addBracket(*node, x, 0.036f, darkSteel());
        addRing(*node, x, 0.07f, steel());
        addPart(*node, Primitives::cylinder(0.007f, 0.006f), steel(), {x, 0.045f, -0.045f});
        addPart(*node, Primitives::cylinder(0.007f, 0.006f), steel(), {x, 0.045f, 0.045f});
    }
    return node;
}

std::shared_ptr<Node> marbleBoard(double width, const std::vector<double>& chainXs) {
    auto node = Node::make();
    auto marble = Material::make(glm::vec3(1.0f), 0.18f, 0.0f);
    marble->setDiffuseImage(Texture::make(marbleImage(1024), "marble"));
    addBody(*node, Primitives::box(static_cast<float>(width), 0.06f, 0.36f, 0.012f), std::move(marble));
    const auto gold = fabric({0.95f, 0.78f, 0.35f}, 0.3, 1.0);
    for (double chainX : chainXs) {
        addBracket(*node, static_cast<float>(chainX), 0.036f, gold);
        addRing(*node, static_cast<float>(chainX), 0.07f, gold);
    }
    return node;
}

std::shared_ptr<Node> iceBoard(double width, const std::vector<double>& chainXs) {
    auto node = Node::make();
    auto ice = Material::make(glm::vec3(0.78f, 0.9f, 1.0f), 0.12f, 0.0f);
    ice->setTransparency(0.82f);
    addBody(*node, Primitives::box(static_cast<float>(width), 0.08f, 0.38f, 0.03f), ice);
    addIcicles(*node, width, ice);
    const auto frost = fabric({0.85f, 0.93f, 1.0f}, 0.2, 0.6);
    for (double chainX : chainXs) {
        addBracket(*node, static_cast<float>(chainX), 0.046f, frost);
        addRing(*node, static_cast<float>(chainX), 0.08f, frost);
    }
    return node;
}

std::shared_ptr<Node> driftwood(double width, const std::vector<double>& chainXs) {
    auto node = Node::make();
    auto weathered = Material::make(glm::vec3(1.0f), 0.95f, 0.0f);
    weathered->setDiffuseImage(Texture::make(woodImage(1024), "driftwood"));
    scaleTextureToBoard(*weathered, width);
    weathered->setMultiplyColor({0.75f, 0.72f, 0.66f, 1.0f});
    addBody(*node, Primitives::box(static_cast<float>(width), 0.07f, 0.34f, 0.03f), std::move(weathered));
    const auto knot = fabric({0.76f, 0.66f, 0.48f}, 0.95, 0.0);
    for (double chainX : chainXs)
        addPart(*node, Primitives::sphere(0.045f), knot, {static_cast<float>(chainX), -0.05f, 0.0f});
    return node;
}

std::shared_ptr<Node> logBoard(double width, const std::vector<double>&) {
    auto node = Node::make();
    const auto bark = fabric({0.4f, 0.3f, 0.19f}, 1.0, 0.0);
    auto log =
        addPart(*node, Primitives::cylinder(0.11f, static_cast<float>(width + 0.1)), bark, glm::vec3(0.0f));
    log->setName("grab");
    log->setEulerAngles({0.0f, 0.0f, kHalfPi});
    Rand48 random(5);
    addBarkStrips(*node, width, bark, random);
    addMoss(*node, width, random);
    addMushrooms(*node, width);
    return node;
}

}  // namespace plimsa::SwingParts
