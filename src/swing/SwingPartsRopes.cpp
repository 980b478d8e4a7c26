#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

#include "platform/scene/Geometry.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/TransformMath.h"
#include "swing/Lcg32.h"
#include "swing/SwingParts.h"

namespace plimsa::SwingParts {

namespace {

constexpr double kLinkPitch = 0.05;
constexpr float kHelixRadius = 0.022f;
constexpr float kHelixTwist = 11.0f;  // radians per unit of length
constexpr double kStrandStep = 0.05;
constexpr float kStrandRadius = 0.017f;
// A strand is a few points wide on screen: 12 sides look round and cost a quarter of the default 48.
constexpr int kStrandSides = 12;

/// Lengths beyond the repeat limit (or NaN) would only exhaust memory; nothing that long fits a screen.
double boundedLength(double length) {
    return std::isnan(length) ? 0.0 : std::min(length, kMaxRepeatExtent);
}

std::shared_ptr<Node> barWithSides(const glm::vec3& from, const glm::vec3& to, float radius,
                                   std::shared_ptr<Material> material, int sides) {
    auto shape = Primitives::cylinder(radius, glm::distance(from, to), sides);
    shape->setFirstMaterial(std::move(material));
    auto node = Node::make(std::move(shape));
    node->setPosition((from + to) * 0.5f);
    node->setOrientation(transform_math::rotationBetween(glm::vec3(0, 1, 0), to - from));
    return node;
}

void addStrands(Node& vine, double length, const std::shared_ptr<Material>& material) {
    if (!(length >= 0.05)) return;
    glm::vec3 a(kHelixRadius, 0.0f, 0.0f);
    glm::vec3 b(-kHelixRadius, 0.0f, 0.0f);
    for (int step = 1; -kStrandStep * step >= -length; ++step) {
        const float y = static_cast<float>(-kStrandStep * step);
        const float angle = kHelixTwist * y;
        const glm::vec3 nextA(kHelixRadius * std::cos(angle), y, kHelixRadius * std::sin(angle));
        const glm::vec3 nextB(-kHelixRadius * std::cos(angle), y, -kHelixRadius * std::sin(angle));
        vine.addChildNode(barWithSides(a, nextA, kStrandRadius, material, kStrandSides));
        vine.addChildNode(barWithSides(b, nextB, kStrandRadius, material, kStrandSides));
        a = nextA;
        b = nextB;
    }
}

void addLeaves(Node& vine, double length) {
    if (!(length > 0.25)) return;
    Lcg32 random(7);
    const float lowest = static_cast<float>(0.1 - length);
    float y = -0.15f;
    do {
        const float size = random.next() * 0.08f + 0.11f;
        auto shape = Primitives::plane(0.6f * size, size);
        shape->setFirstMaterial(leafMaterial());
        auto leaf = Node::make(std::move(shape));
        // Pivot at the middle of the lower edge, so the leaf grows out of the vine.
        leaf->setPivot(glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, -size / 2, 0.0f)));
        leaf->setPosition({0.0f, y, 0.0f});
        const float yaw = random.next() * 6.28f;
        const float tilt = random.next() * 0.5f - 0.6f;
        leaf->setOrientation(glm::angleAxis(yaw, glm::vec3(0, 1, 0)) *
                             glm::angleAxis(tilt, glm::vec3(1, 0, 0)));
        vine.addChildNode(std::move(leaf));
        y -= random.next() * 0.12f + 0.13f;
    } while (y > lowest);
}

}  // namespace

std::shared_ptr<Node> chain(double length, const glm::vec3& tint, double roughness) {
    auto links = Node::make("chain");
    length = boundedLength(length);
    if (length > 0) {
        auto link = Primitives::torus(0.026f, 0.007f, 24, 10);
        link->setFirstMaterial(Material::make(tint, static_cast<float>(roughness), 1.0f));
        for (int i = 0;; ++i) {
            auto node = Node::make(link);
            node->setPosition({0.0f, static_cast<float>(-kLinkPitch * i), 0.0f});
            node->setScale({0.7f, 1.0f, 1.3f});
            node->setEulerAngles({glm::half_pi<float>(), i % 2 == 1 ? glm::half_pi<float>() : 0.0f, 0.0f});
            links->addChildNode(std::move(node));
            if (!(-kLinkPitch * (i + 1) > -length)) break;
        }
    }
    return links->flattenedClone();
}

std::shared_ptr<Node> bar(const glm::vec3& from, const glm::vec3& to, double radius,
                          std::shared_ptr<Material> material) {
    return barWithSides(from, to, static_cast<float>(radius), std::move(material), 48);
}

std::shared_ptr<Node> liana(double length, const glm::vec3& at, const glm::quat& orientation) {
    length = boundedLength(length);
    auto vine = Node::make();
    addStrands(*vine, length, fabric({0.36f, 0.28f, 0.16f}, 0.95, 0.0));
    addLeaves(*vine, length);
    auto flat = vine->flattenedClone();
    flat->setPosition(at);
    flat->setOrientation(orientation);
    return flat;
}

}  // namespace plimsa::SwingParts
