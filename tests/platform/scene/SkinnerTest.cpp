#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Skinner.h"

#include "support/Near.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <random>

namespace plimsa {
namespace {

using testing::near;

// Two bones up the Y axis (hip at y = 0, knee at y = 1) and a strip of vertices along them.
struct Leg {
    std::shared_ptr<Node> root = Node::make("root");
    std::shared_ptr<Node> thigh = Node::make("thigh");
    std::shared_ptr<Node> shin = Node::make("shin");
    std::shared_ptr<Node> mesh;
    std::shared_ptr<Skinner> skinner;

    Leg() {
        root->addChildNode(thigh);
        thigh->addChildNode(shin);
        shin->setPosition({0, 1, 0});
        MeshData data;
        for (int i = 0; i <= 8; ++i) {
            const float y = 0.25f * static_cast<float>(i);
            data.positions.push_back({0.1f, y, 0});
            data.positions.push_back({-0.1f, y, 0});
            const float toShin = glm::clamp(y - 0.5f, 0.0f, 1.0f);  // blends from y = 0.5 to y = 1.5
            for (int k = 0; k < 2; ++k) {
                data.joints.push_back({0, 1, 0, 0});
                data.weights.push_back({1 - toShin, toShin, 0, 0});
            }
        }
        for (uint32_t i = 0; i + 3 < data.positions.size(); i += 2) {
            data.elements.push_back(GeometryElement{{i, i + 1, i + 2, i + 1, i + 3, i + 2}});
        }
        mesh = Node::make(Geometry::make(data));
        root->addChildNode(mesh);
        const glm::mat4 thighBind = glm::inverse(thigh->worldTransform());
        const glm::mat4 shinBind = glm::inverse(shin->worldTransform());
        skinner = Skinner::make({thigh, shin}, {thighBind, shinBind}, thigh);
        mesh->setSkinner(skinner);
    }
};

TEST(Skinner, RestPoseLeavesVerticesInPlaceAndEachMovesWithItsJoints) {
    Leg leg;
    const Geometry& geometry = *leg.mesh->geometry();
    for (size_t i = 0; i < geometry.vertexCount(); ++i)
        ASSERT_TRUE(near(leg.skinner->skinnedPosition(geometry, i), geometry.mesh().positions[i], 1e-6f));
    EXPECT_EQ(leg.skinner->skeleton(), leg.thigh);
    EXPECT_EQ(leg.skinner->bones(), (std::vector<std::shared_ptr<Node>>{leg.thigh, leg.shin}));
    leg.shin->setEulerAngles({glm::half_pi<float>(), 0, 0});  // bend the knee: the shin points toward +Z
    // The foot vertex (y = 2) is wholly on the shin: it swings to z = 1 at knee height.
    EXPECT_TRUE(near(leg.skinner->skinnedPosition(geometry, 16), {0.1f, 1, 1}, 1e-5f));
    // The hip vertex is wholly on the thigh and stays.
    EXPECT_TRUE(near(leg.skinner->skinnedPosition(geometry, 0), {0.1f, 0, 0}, 1e-6f));
    // The knee vertex is half on each: the average of both bones' results.
    EXPECT_TRUE(near(leg.skinner->skinnedPosition(geometry, 8), {0.1f, 1, 0}, 1e-6f));
    const glm::vec3 blended = leg.skinner->skinnedPosition(geometry, 10);  // y = 1.25, 3/4 on the shin
    EXPECT_TRUE(near(blended, 0.25f * glm::vec3(0.1f, 1.25f, 0) + 0.75f * glm::vec3(0.1f, 1, 0.25f), 1e-5f));
    // Moving the whole skeleton moves every vertex with it.
    leg.root->setPosition({0, 0, 3});
    EXPECT_TRUE(near(leg.skinner->skinnedPosition(geometry, 16), {0.1f, 1, 4}, 1e-5f));
}

TEST(Skinner, WorldBoundingBoxContainsEveryPoseAndMissingBonesOrBadIndicesFallBackToRest) {
    Leg leg;
    const Geometry& geometry = *leg.mesh->geometry();
    std::mt19937 random(5);
    std::uniform_real_distribution<float> angle(-3.0f, 3.0f);
    for (int pose = 0; pose < 50; ++pose) {
        leg.thigh->setEulerAngles({angle(random), angle(random), angle(random)});
        leg.shin->setEulerAngles({angle(random), 0, angle(random)});
        leg.root->setPosition({angle(random), angle(random), angle(random)});
        const BoundingBox box = leg.skinner->worldBoundingBox(geometry);
        for (size_t i = 0; i < geometry.vertexCount(); ++i) {
            const glm::vec3 p = leg.skinner->skinnedPosition(geometry, i);
            ASSERT_TRUE(glm::all(glm::greaterThanEqual(p, box.min - 1e-5f)) &&
                        glm::all(glm::lessThanEqual(p, box.max + 1e-5f)))
                << "pose " << pose << " vertex " << i;
        }
        EXPECT_LT(glm::length(box.size()), 6.0f);  // and stays tight: the leg is 2.02 long
    }
    // Missing bones and bad indices fall back to the rest position.
    leg.root->setPosition({0, 0, 0});
    leg.thigh->setEulerAngles({0, 0, 0});
    std::vector<glm::mat4> joints;
    leg.skinner->jointMatrices(joints);
    joints.resize(1);  // joint 1 now out of range: its share stays at the bind position
    leg.shin->setEulerAngles({glm::half_pi<float>(), 0, 0});
    EXPECT_TRUE(near(leg.skinner->skinnedPosition(geometry, 16, joints), {0.1f, 2, 0}, 1e-6f));
    EXPECT_TRUE(near(leg.skinner->skinnedPosition(geometry, 9999), {0, 0, 0}));
    leg.shin->removeFromParentNode();
    leg.shin.reset();
    EXPECT_EQ(leg.skinner->bones()[1], nullptr);
    EXPECT_TRUE(near(leg.skinner->skinnedPosition(geometry, 16), {0.1f, 2, 0}, 1e-6f));
}

}  // namespace
}  // namespace plimsa
