#include "character/ArmSolver.h"

#include "support/Near.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace plimsa {
namespace {

using testing::near;

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Directions spread over the sphere, plus the axes and the exact opposite of the hand's rest fingers.
const std::vector<glm::vec3>& sampleDirections() {
    static const std::vector<glm::vec3> directions = [] {
        std::vector<glm::vec3> list{{1, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
        for (int i = 0; i < 24; ++i) {
            const float a = 0.7f * static_cast<float>(i);
            const float b = 1.3f * static_cast<float>(i) + 0.2f;
            list.push_back(
                glm::normalize(glm::vec3(std::cos(a) * std::sin(b), std::cos(b), std::sin(a) * std::sin(b))));
        }
        return list;
    }();
    return directions;
}

struct Limb {
    glm::vec3 shoulder{0.2f, 1.0f, 0.0f};
    float upper = 0.3f;
    float fore = 0.25f;
};

glm::vec3 solve(const Limb& limb, const glm::vec3& target, const glm::vec3& hint) {
    return ArmSolver::elbowTarget(limb.shoulder, target, limb.upper, limb.fore, hint, glm::vec3(1, 0, 0),
                                  glm::vec3(1, 0, 0));
}

TEST(ArmSolverElbow, ReachableTargetIsMetExactlyOutOfReachStretchesAndTooCloseFoldsTight) {
    const Limb limb;
    const glm::vec3 target = limb.shoulder + glm::vec3(0.1f, -0.35f, 0.2f);
    const glm::vec3 hint(0, 0, -1);
    const glm::vec3 elbow = solve(limb, target, hint);
    EXPECT_NEAR(glm::distance(elbow, limb.shoulder), limb.upper, 1e-5f);
    EXPECT_NEAR(glm::distance(elbow, target), limb.fore, 1e-5f);
    // The elbow leaves the shoulder-target line on the hint's side.
    const glm::vec3 dir = glm::normalize(target - limb.shoulder);
    const glm::vec3 offset = elbow - limb.shoulder - glm::dot(elbow - limb.shoulder, dir) * dir;
    EXPECT_GT(glm::dot(offset, hint), 0.0f);
    const glm::vec3 far = limb.shoulder + glm::vec3(0, -5, 0);

    const glm::vec3 stretched = solve(limb, far, glm::vec3(0, 0, -1));
    EXPECT_NEAR(stretched.x, limb.shoulder.x, 2e-3f);
    EXPECT_NEAR(stretched.y, limb.shoulder.y - limb.upper, 1e-3f);

    const glm::vec3 close = limb.shoulder + glm::vec3(0, -0.01f, 0);
    const glm::vec3 folded = solve(limb, close, glm::vec3(0, 0, -1));
    EXPECT_NEAR(glm::distance(folded, limb.shoulder), limb.upper, 1e-5f);
    EXPECT_LT(folded.z, limb.shoulder.z) << "bent toward the hint";
    // The reach is clamped to |upper - fore| + 0.001: the forearm folds back to 0.051 from the shoulder.
    const glm::vec3 wrist = limb.shoulder + 0.051f * glm::normalize(close - limb.shoulder);
    EXPECT_NEAR(glm::distance(folded, wrist), limb.fore, 1e-5f);
}

TEST(ArmSolverElbow, DegenerateLimbsStayFiniteAndAHintAlongTheReachUsesTheFallbackAxis) {
    const glm::vec3 s(0.0f);
    const glm::vec3 down(0, -1, 0);
    // The target on the shoulder itself: the elbow goes the way it already points.
    const glm::vec3 onShoulder = ArmSolver::elbowTarget(s, s, 0.3f, 0.25f, {0, 0, -1}, {1, 0, 0}, down);
    EXPECT_TRUE(isFinite(onShoulder));
    EXPECT_NEAR(glm::length(onShoulder), 0.3f, 1e-5f);
    // Bones shorter than the reach clamp's millimetre, and bones of no length at all.
    for (const auto& [upper, fore] : {std::pair{0.0004f, 0.0002f}, std::pair{0.0f, 0.25f},
                                      std::pair{0.3f, 0.0f}, std::pair{0.0f, 0.0f}}) {
        const glm::vec3 elbow =
            ArmSolver::elbowTarget(s, down, upper, fore, glm::vec3(0.0f), {1, 0, 0}, down);
        EXPECT_TRUE(isFinite(elbow)) << upper << " and " << fore;
        EXPECT_LE(glm::length(elbow), upper + 1e-5f) << "the elbow stays on the upper arm's sphere";
    }
    // A hint along the reach uses the fallback axis.
    const Limb limb;
    const glm::vec3 target = limb.shoulder + glm::vec3(0, -0.4f, 0);
    const glm::vec3 fallback =
        ArmSolver::elbowTarget(limb.shoulder, target, limb.upper, limb.fore, glm::vec3(0, -1, 0),
                               glm::vec3(0, 0, 1), glm::vec3(1, 0, 0));
    EXPECT_GT(fallback.z - limb.shoulder.z, 0.05f);
    EXPECT_NEAR(glm::distance(fallback, target), limb.fore, 1e-5f);
}

TEST(ArmSolverHand, FingersLandOnTheTargetAndThePalmFacesAsCloseAsTheFingersAllow) {
    const glm::vec3 currentFingers(1, 0, 0);
    const glm::vec3 currentPalm(0, -1, 0);
    const glm::vec3 palm = glm::normalize(glm::vec3(0.3f, 0.2f, 1.0f));
    for (const glm::vec3& fingers : sampleDirections()) {
        const glm::quat turn = ArmSolver::handTurn(currentFingers, currentPalm, fingers, palm);
        EXPECT_NEAR(glm::length(turn), 1.0f, 1e-5f);
        EXPECT_TRUE(near(turn * currentFingers, fingers, 2e-3f));
        const glm::vec3 across = palm - glm::dot(palm, fingers) * fingers;
        ASSERT_GT(glm::length(across), 0.01f) << "no sample lies along the palm";
        EXPECT_GT(glm::dot(turn * currentPalm, glm::normalize(across)), 0.999f);
    }
    // An opposite palm twists about the fingers; one along them only bends.
    const glm::vec3 fingers(0, -1, 0);
    const glm::quat turn = ArmSolver::handTurn(fingers, glm::vec3(1, 0, 0), fingers, glm::vec3(-1, 0, 0));
    EXPECT_TRUE(near(turn * fingers, fingers));
    EXPECT_TRUE(near(turn * glm::vec3(1, 0, 0), glm::vec3(-1, 0, 0)));
    // A palm along the fingers leaves only the shortest bend.
    const glm::quat bend = ArmSolver::handTurn(glm::vec3(1, 0, 0), glm::vec3(0, -1, 0), glm::vec3(0, -1, 0),
                                               glm::vec3(0, -1, 0));
    EXPECT_TRUE(near(bend * glm::vec3(1, 0, 0), glm::vec3(0, -1, 0)));
    EXPECT_TRUE(near(bend * glm::vec3(0, 0, 1), glm::vec3(0, 0, 1))) << "no twist about the bend's axis";
}

}  // namespace
}  // namespace plimsa
