#pragma once

#include "humanoids/HumanoidSkeleton.h"

#include <glm/glm.hpp>
#include <glm/gtc/type_precision.hpp>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace plimsa {

/// The surface parts of a test humanoid, one material (one glTF primitive) each.
enum class BodyMaterial { skin, shirt, trousers, shoes, eyes };
constexpr int kBodyMaterialCount = 5;

/// The skinned body mesh of a test humanoid in the rig frame (Y up, facing +Z, metres): tapered capsules
/// along the limbs, an ellipsoid torso and head, a nose and eyes. Every vertex has at most two influences
/// that blend smoothly across each joint (half and half at the joint itself), so bending a joint bends the
/// surface without tearing. Plain value, any thread.
class HumanoidBody {
public:
    explicit HumanoidBody(const HumanoidSkeleton& skeleton);

    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> texcoords;
    std::vector<glm::u16vec4> joints;  // indices into the skeleton's joint list
    std::vector<glm::vec4> weights;    // sum to 1
    std::array<std::vector<uint32_t>, kBodyMaterialCount> indices;  // triangles per material

private:
    struct Segment {
        glm::vec3 start{0.0f};
        glm::vec3 end{0.0f};
        float startRadius = 0.05f;
        float endRadius = 0.05f;
        float capScale = 1.0f;                    // end caps reach radius * capScale along the segment
        glm::vec3 crossAxis{1.0f, 0.0f, 0.0f};    // first axis of the elliptic cross-section
        glm::vec2 crossScale{1.0f, 1.0f};         // radius factors along crossAxis and the second axis
        std::vector<std::pair<float, int>> anchors;  // (t along the segment, joint): weights blend between
        BodyMaterial material = BodyMaterial::skin;
    };

    void addSegment(const Segment& segment);
    static void addTriangles(uint32_t base, size_t ringCount, std::vector<uint32_t>& out);
    void addLimbs(const HumanoidSkeleton& skeleton, const char* side);
    void addHand(const HumanoidSkeleton& skeleton, const char* side);
    void addHead(const HumanoidSkeleton& skeleton);
    static glm::vec4 blend(const std::vector<std::pair<float, int>>& anchors, float t, glm::u16vec4& joints);
};

}  // namespace plimsa
