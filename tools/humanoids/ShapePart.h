#pragma once

#include <glm/glm.hpp>

#include <string>
#include <utility>
#include <vector>

namespace plimsa {

/// The surface slots a starter character can colour; each used slot becomes one material.
enum class Look {
    skin,
    hair,
    iris,
    shine,
    mouth,
    freckle,
    blush,
    top,
    coat,
    button,
    legwear,
    boots,
    soles,
    hat,
    peak,
    stripes,
    sleeves,
    count
};
constexpr int kLookCount = static_cast<int>(Look::count);

/// One solid of a starter character's body, in the rig frame (Y up, facing +Z, metres). Solids are joined
/// with a smooth union; the solid nearest a surface point gives it its look and its bone weights.
/// Plain value.
struct ShapePart {
    enum class Kind { cone, ellipsoid };
    Kind kind = Kind::cone;
    /// Cone: the centres of its two rounded ends. Ellipsoid: `a` is the centre and `radii` its semi-axes;
    /// `b` only orients the bone weights.
    glm::vec3 a{0.0f};
    glm::vec3 b{0.0f, 1.0f, 0.0f};
    float radiusA = 0.05f;
    float radiusB = 0.05f;
    glm::vec3 radii{0.05f};
    /// Cones only: the cross-section stretched by these factors along the rig's axes, about `a`.
    glm::vec3 squash{1.0f};
    /// Half-spaces the solid is cut to, (n, w): kept where dot(n, p) + w <= 0.
    std::vector<glm::vec4> cuts;
    /// How far (metres) the union blends this solid into those before it.
    float blend = 0.02f;
    Look look = Look::skin;
    /// (t along a -> b, joint name): weights blend smoothly between neighbouring anchors.
    std::vector<std::pair<float, std::string>> anchors;
    /// For striped looks: the direction the stripes follow across.
    glm::vec3 stripeAxis{0.0f, 1.0f, 0.0f};

    /// Signed distance (an estimate, exact near the surface for unsquashed solids): negative inside.
    float distance(const glm::vec3& p) const;
    /// t of the point along a -> b (0 when a == b).
    float along(const glm::vec3& p) const;
    /// The box outside of which the solid never reaches, grown by its blend.
    std::pair<glm::vec3, glm::vec3> bounds() const;

    /// The half-space keeping the points below (`keepBelow`) or above a plane through `point` with normal
    /// `up`.
    static glm::vec4 cut(const glm::vec3& point, const glm::vec3& up, bool keepBelow);
};

}  // namespace plimsa
