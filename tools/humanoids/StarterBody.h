#pragma once

#include "humanoids/HumanoidSkeleton.h"
#include "humanoids/ShapePart.h"

#include <glm/glm.hpp>
#include <glm/gtc/type_precision.hpp>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plimsa {

/// Everything that makes one starter character: its joints in rest pose (T-pose, facing +Z, Y up, metres,
/// feet at y = 0), the solids its body surface is grown from, the small closed parts meshed on their own
/// (eyes, fingers, freckles ...) and the colour of each look. Plain value.
struct StarterDesign {
    std::string name;
    std::vector<HumanoidJoint> joints;
    std::vector<ShapePart> body;
    std::vector<ShapePart> details;
    std::array<glm::vec3, kLookCount> colours{};  // sRGB
};

/// The skinned mesh of a starter character: one closed surface grown from the design's solids (smooth
/// unions, meshed at `kStep`) plus each detail as its own closed mesh. Each vertex has up to four bone
/// influences summing to 1. Deterministic; plain value, any thread.
class StarterBody {
  public:
    static constexpr float kStep = 0.007f;  // metres between grid points of the body surface
    /// The body surface keeps about this share of its triangles where the shape allows ...
    static constexpr double kKeptFraction = 0.2;
    /// ... moving it by at most this share of the figure's size.
    static constexpr float kSimplifyError = 0.0015f;

    explicit StarterBody(const StarterDesign& design);

    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> texcoords;
    std::vector<glm::u16vec4> joints;
    std::vector<glm::vec4> weights;
    std::array<std::vector<uint32_t>, kLookCount> indices;  // triangles per look

    /// The signed distance to the union of `parts` (negative inside).
    static float distance(const std::vector<ShapePart>& parts, const glm::vec3& p);
    /// Where the ray from `inside` along `direction` leaves the union of `parts` (`inside` when it never
    /// does).
    static glm::vec3 surfacePoint(const std::vector<ShapePart>& parts, const glm::vec3& inside,
                                  const glm::vec3& direction);

  private:
    void addSurface(const StarterDesign& design);
    /// For each vertex, the solid across the edge it was moved onto, or -1.
    static std::vector<int> snapToEdges(const std::vector<ShapePart>& parts,
                                        const std::function<float(const glm::vec3&)>& body,
                                        const std::vector<uint32_t>& triangles, const std::vector<int>& owner,
                                        std::vector<glm::vec3>& points, std::vector<glm::vec3>& pointNormals);
    void simplifySurface();
    void dropUnusedVertices();
    void addDetail(const StarterDesign& design, const ShapePart& part);
    void addVertex(const StarterDesign& design, const glm::vec3& p, const glm::vec3& normal,
                   const std::vector<const ShapePart*>& owners, const std::vector<float>& distances);

    std::vector<const ShapePart*> vertexOwners_;  // the solid that gave each vertex its look
};

}  // namespace plimsa
