#include "character/ArmSolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace plimsa {
namespace {

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

const std::vector<glm::vec3>& sampleDirections() {
    static const std::vector<glm::vec3> directions = [] {
        std::vector<glm::vec3> list;
        for (int i = 0; i < 24; ++i) {
            const float a = 0.7f * static_cast<float>(i);
            const float b = 1.3f * static_cast<float>(i) + 0.2f;
            list.push_back(glm::normalize(glm::vec3(std::cos(a) * std::sin(b), std::cos(b), std::sin(a) * std::sin(b))));
        }
        list.push_back({1, 0, 0});
        list.push_back({0, -1, 0});
        list.push_back({0, 0, 1});
        return list;
    }();
    return directions;
}

TEST(ArmSolverRotation, TurnsEveryDirectionOntoEveryOther) {
    for (const glm::vec3& from : sampleDirections()) {
        for (const glm::vec3& to : sampleDirections()) {
            const glm::quat q = ArmSolver::rotation(from, to);
            EXPECT_NEAR(glm::length(q), 1.0f, 1e-5f);
            expectNear(q * from, to, 2e-3f);
        }
    }
}

TEST(ArmSolverRotation, OppositeVectorsTakeAHalfTurnAboutAPerpendicularAxis) {
    for (const glm::vec3& from : {glm::vec3(0, 1, 0), glm::vec3(1, 0, 0), glm::vec3(0.6f, 0.8f, 0)}) {
        const glm::quat q = ArmSolver::rotation(from, -from);
        EXPECT_NEAR(q.w, 0.0f, 1e-6f) << "a half turn";
        EXPECT_NEAR(glm::dot(glm::vec3(q.x, q.y, q.z), from), 0.0f, 1e-6f);
        expectNear(q * from, -from);
    }
    // cross((1, 0, 0), x) vanishes, so x turns about the axis of cross((0, 1, 0), x) = -z.
    const glm::quat aboutZ = ArmSolver::rotation({1, 0, 0}, {-1, 0, 0});
    EXPECT_NEAR(std::fabs(aboutZ.z), 1.0f, 1e-6f);
}

TEST(ArmSolverRotation, DegenerateInputGivesIdentityNotNaN) {
    const glm::quat zero = ArmSolver::rotation(glm::vec3(0.0f), glm::vec3(0, 1, 0));
    EXPECT_FLOAT_EQ(zero.w, 1.0f);
    const glm::quat nan = ArmSolver::rotation(glm::vec3(NAN), glm::vec3(0, 1, 0));
    EXPECT_FLOAT_EQ(nan.w, 1.0f);
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

TEST(ArmSolverElbow, ReachableTargetIsMetExactlyWithTheElbowTowardTheHint) {
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
}

TEST(ArmSolverElbow, OutOfReachStretchesAlongTheLineAndTooCloseFoldsTight) {
    const Limb limb;
    const glm::vec3 far = limb.shoulder + glm::vec3(0, -5, 0);
    const glm::vec3 stretched = solve(limb, far, glm::vec3(0, 0, -1));
    EXPECT_NEAR(stretched.x, limb.shoulder.x, 2e-3f);
    EXPECT_NEAR(stretched.y, limb.shoulder.y - limb.upper, 1e-3f);

    const glm::vec3 near = limb.shoulder + glm::vec3(0, -0.01f, 0);
    const glm::vec3 folded = solve(limb, near, glm::vec3(0, 0, -1));
    EXPECT_NEAR(glm::distance(folded, limb.shoulder), limb.upper, 1e-5f);
    EXPECT_LT(folded.z, limb.shoulder.z) << "bent toward the hint";
    // The reach is clamped to |upper - fore| + 0.001: the forearm folds back to 0.051 from the shoulder.
    const glm::vec3 wrist = limb.shoulder + 0.051f * glm::normalize(near - limb.shoulder);
    EXPECT_NEAR(glm::distance(folded, wrist), limb.fore, 1e-5f);
}

TEST(ArmSolverElbow, HintAlongTheReachUsesTheFallbackAxis) {
    const Limb limb;
    const glm::vec3 target = limb.shoulder + glm::vec3(0, -0.4f, 0);
    const glm::vec3 elbow = ArmSolver::elbowTarget(limb.shoulder, target, limb.upper, limb.fore,
                                                   glm::vec3(0, -1, 0), glm::vec3(0, 0, 1), glm::vec3(1, 0, 0));
    EXPECT_GT(elbow.z - limb.shoulder.z, 0.05f);
    EXPECT_NEAR(glm::distance(elbow, target), limb.fore, 1e-5f);
}

TEST(ArmSolverElbow, DegenerateLimbsStayFinite) {
    const glm::vec3 s(0.0f);
    const glm::vec3 onShoulder = ArmSolver::elbowTarget(s, s, 0.3f, 0.25f, glm::vec3(0, 0, -1),
                                                        glm::vec3(1, 0, 0), glm::vec3(0, -1, 0));
    EXPECT_TRUE(std::isfinite(onShoulder.x) && std::isfinite(onShoulder.y) && std::isfinite(onShoulder.z));
    EXPECT_NEAR(glm::length(onShoulder), 0.3f, 1e-5f);
    const glm::vec3 tiny = ArmSolver::elbowTarget(s, glm::vec3(0, -1, 0), 0.0004f, 0.0002f, glm::vec3(0.0f),
                                                  glm::vec3(1, 0, 0), glm::vec3(0, -1, 0));
    EXPECT_TRUE(std::isfinite(tiny.x) && std::isfinite(tiny.y) && std::isfinite(tiny.z));
}

TEST(ArmSolverHand, FingersLandOnTheTargetAndThePalmFacesAsCloseAsTheFingersAllow) {
    for (const glm::vec3& fingers : sampleDirections()) {
        const glm::vec3 currentFingers(1, 0, 0);
        const glm::vec3 currentPalm(0, -1, 0);
        const glm::vec3 palm = glm::normalize(glm::vec3(0.3f, 0.2f, 1.0f));
        const glm::quat turn = ArmSolver::handTurn(currentFingers, currentPalm, fingers, palm);
        expectNear(turn * currentFingers, fingers, 2e-3f);
        const glm::vec3 turnedPalm = turn * currentPalm;
        const glm::vec3 wanted = palm - glm::dot(palm, fingers) * fingers;
        if (glm::length(wanted) > 0.01f) {
            EXPECT_GT(glm::dot(turnedPalm, glm::normalize(wanted)), 0.999f);
        }
    }
}

TEST(ArmSolverHand, OppositePalmTwistsAboutTheFingersInsteadOfFoldingThem) {
    const glm::vec3 fingers(0, -1, 0);
    const glm::quat turn = ArmSolver::handTurn(fingers, glm::vec3(1, 0, 0), fingers, glm::vec3(-1, 0, 0));
    expectNear(turn * fingers, fingers);
    expectNear(turn * glm::vec3(1, 0, 0), glm::vec3(-1, 0, 0));
}

TEST(ArmSolverHand, PalmAlongTheFingersLeavesOnlyTheBend) {
    const glm::quat turn = ArmSolver::handTurn(glm::vec3(1, 0, 0), glm::vec3(0, -1, 0), glm::vec3(0, -1, 0),
                                               glm::vec3(0, -1, 0));
    const glm::quat bend = ArmSolver::rotation(glm::vec3(1, 0, 0), glm::vec3(0, -1, 0));
    EXPECT_NEAR(std::fabs(glm::dot(turn, bend)), 1.0f, 1e-6f);
}

}  // namespace
}  // namespace plimsa
