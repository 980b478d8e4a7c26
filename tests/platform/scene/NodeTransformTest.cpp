#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"

#include "support/Near.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace plimsa {
namespace {

using testing::near;
using testing::sameRotation;

constexpr float kPi = glm::pi<float>();

TEST(NodeTransform, EulerAnglesApplyZThenYThenX) {
    auto node = Node::make();
    node->setEulerAngles({kPi / 2, kPi / 2, 0});
    // Ry first turns +Z to +X, then Rx leaves +X alone (applied x first, +Z would end at -Y).
    EXPECT_TRUE(near(node->convertVector({0, 0, 1}, nullptr), {1, 0, 0}));
    node->setEulerAngles({kPi / 2, 0, kPi / 2});
    // Rz turns +X to +Y, then Rx turns +Y to +Z.
    EXPECT_TRUE(near(node->convertVector({1, 0, 0}, nullptr), {0, 0, 1}));
    const glm::quat expected = glm::angleAxis(0.3f, glm::vec3(1, 0, 0)) *
                               glm::angleAxis(-0.7f, glm::vec3(0, 1, 0)) *
                               glm::angleAxis(1.1f, glm::vec3(0, 0, 1));
    node->setEulerAngles({0.3f, -0.7f, 1.1f});
    EXPECT_TRUE(sameRotation(node->orientation(), expected));
}

TEST(NodeTransform, EulerAnglesReadBackAsSetAndAfterOrientationChanges) {
    auto node = Node::make();
    node->setEulerAngles({-3.0f, 0.2f, 0.1f});
    EXPECT_TRUE(near(node->eulerAngles(), {-3.0f, 0.2f, 0.1f}));
    // Recovered from a quaternion, the angles reproduce the same rotation.
    for (const glm::vec3 angles :
         {glm::vec3(0.3f, -0.7f, 1.1f), glm::vec3(2.5f, 1.2f, -2.9f), glm::vec3(0.4f, kPi / 2, 0.0f)}) {
        auto reference = Node::make();
        reference->setEulerAngles(angles);
        node->setOrientation(reference->orientation());
        auto rebuilt = Node::make();
        rebuilt->setEulerAngles(node->eulerAngles());
        EXPECT_TRUE(sameRotation(rebuilt->orientation(), reference->orientation(), 1e-4f));
    }
    // Keeping Y and Z while changing X, as the pendulum does, works past a half turn.
    node->setEulerAngles({0.0f, 0.4f, 0.0f});
    glm::vec3 e = node->eulerAngles();
    e.x = -3.1f;
    node->setEulerAngles(e);
    EXPECT_TRUE(near(node->eulerAngles(), {-3.1f, 0.4f, 0.0f}));
}

TEST(NodeTransform, PivotMovesGeometryNotTheNodeUnlessItIsSingular) {
    const float s = 0.2f;
    auto parent = Node::make();
    auto leaf = Node::make(Primitives::plane(0.6f * s, s));
    parent->addChildNode(leaf);
    leaf->setPosition({0, 1, 0});
    leaf->setPivot(glm::translate(glm::mat4(1.0f), glm::vec3(0, -s / 2, 0)));
    EXPECT_TRUE(near(leaf->position(), {0, 1, 0}));
    // The plane's lower edge (y = -s/2 in geometry space) sits at the node's position.
    EXPECT_TRUE(near(leaf->convertPosition({0, -s / 2, 0}, nullptr), {0, 1, 0}));
    EXPECT_TRUE(near(leaf->convertPosition({0, 0, 0}, nullptr), {0, 1 + s / 2, 0}));
    // Turning the leaf swings it about the lower edge, which stays put.
    leaf->setEulerAngles({kPi / 2, 0, 0});
    EXPECT_TRUE(near(leaf->convertPosition({0, -s / 2, 0}, nullptr), {0, 1, 0}));
    EXPECT_TRUE(near(leaf->convertPosition({0, s / 2, 0}, nullptr), {0, 1, s}));
    // A singular pivot is ignored.
    leaf->setPivot(glm::scale(glm::mat4(1.0f), glm::vec3(0.0f)));
    EXPECT_EQ(leaf->pivot(), glm::translate(glm::mat4(1.0f), glm::vec3(0, -s / 2, 0)));
}

TEST(NodeTransform, WorldTransformFollowsAncestorsReparentingAndInteriorChangesOfDeepChains) {
    auto a = Node::make("a");
    auto b = Node::make("b");
    auto child = Node::make("child");
    a->setPosition({1, 0, 0});
    b->setPosition({0, 0, 5});
    b->setScale({2, 2, 2});
    a->addChildNode(child);
    child->setPosition({0, 1, 0});
    EXPECT_TRUE(near(child->worldPosition(), {1, 1, 0}));
    a->setEulerAngles({0, 0, kPi / 2});  // an ancestor change reaches the cached child
    EXPECT_TRUE(near(child->worldPosition(), {0, 0, 0}));
    b->addChildNode(child);
    EXPECT_EQ(child->parent(), b.get());
    EXPECT_TRUE(a->childNodes().empty());
    EXPECT_TRUE(near(child->worldPosition(), {0, 2, 5}));
    b->setPosition({0, 0, -5});
    EXPECT_TRUE(near(child->worldPosition(), {0, 2, -5}));
    child->removeFromParentNode();
    EXPECT_TRUE(near(child->worldPosition(), {0, 1, 0}));
    // A deep chain stays consistent after an interior change.
    std::vector<std::shared_ptr<Node>> chain{Node::make()};
    for (int i = 0; i < 100; ++i) {  // deeper than the inline ancestor buffer
        auto next = Node::make();
        next->setPosition({0, 1, 0});
        chain.back()->addChildNode(next);
        chain.push_back(next);
    }
    EXPECT_TRUE(near(chain.back()->worldPosition(), {0, 100, 0}, 1e-3f));
    chain[50]->setEulerAngles({0, 0, -kPi / 2});  // the rest of the chain now runs along +X
    EXPECT_TRUE(near(chain.back()->worldPosition(), {50, 50, 0}, 1e-3f));
    EXPECT_TRUE(near(chain[50]->worldPosition(), {0, 50, 0}, 1e-3f));
}

TEST(NodeTransform, ConversionsBetweenNodesRoundTrip) {
    auto root = Node::make();
    auto a = Node::make();
    auto b = Node::make();
    root->addChildNode(a);
    root->addChildNode(b);
    a->setPosition({1, 2, 3});
    a->setEulerAngles({0.3f, 0.5f, -0.2f});
    a->setScale({2, 0.5f, 1});
    b->setPosition({-4, 0, 1});
    b->setOrientation(glm::angleAxis(1.0f, glm::normalize(glm::vec3(1, 1, 0))));
    const glm::vec3 p(0.3f, -0.7f, 2.0f);
    const glm::vec3 inB = a->convertPosition(p, b.get());
    EXPECT_TRUE(near(b->convertPosition(inB, a.get()), p, 1e-4f));
    EXPECT_TRUE(near(a->convertPositionFrom(inB, b.get()), p, 1e-4f));
    EXPECT_TRUE(near(b->convertPosition(inB, nullptr), a->convertPosition(p, nullptr), 1e-4f));
    // Vectors ignore translation but keep scale and rotation.
    const glm::vec3 v = a->convertVector({1, 0, 0}, nullptr);
    EXPECT_NEAR(glm::length(v), 2.0f, 1e-5f);
    EXPECT_TRUE(near(b->convertVectorFrom(v, nullptr),
                     b->convertPositionFrom(v, nullptr) - b->convertPositionFrom({0, 0, 0}, nullptr), 1e-4f));
    EXPECT_TRUE(near(a->convertVectorFrom(v, nullptr), {1, 0, 0}, 1e-5f));
}

TEST(NodeTransform, WorldSettersInvertTheParentAndSetTransformDecomposesKeepingThePivot) {
    auto parent = Node::make();
    parent->setPosition({3, 0, 0});
    parent->setEulerAngles({0, kPi / 2, 0});
    auto child = Node::make();
    parent->addChildNode(child);
    child->setWorldPosition({3, 1, -2});
    EXPECT_TRUE(near(child->worldPosition(), {3, 1, -2}, 1e-5f));
    const glm::quat target = glm::angleAxis(0.4f, glm::vec3(0, 0, 1));
    child->setWorldOrientation(target);
    EXPECT_TRUE(sameRotation(child->worldOrientation(), target));
    // setTransform decomposes and keeps the pivot.
    auto node = Node::make();
    const glm::mat4 pivot = glm::translate(glm::mat4(1.0f), glm::vec3(0, -0.5f, 0));
    node->setPivot(pivot);
    glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    m = glm::rotate(m, 0.7f, glm::normalize(glm::vec3(1, 2, 0)));
    m = glm::scale(m, glm::vec3(2, 3, 4));
    node->setTransform(m * glm::inverse(pivot));
    EXPECT_TRUE(near(node->position(), {1, 2, 3}, 1e-5f));
    EXPECT_TRUE(near(node->scale(), {2, 3, 4}, 1e-4f));
    const glm::mat4 back = node->transform();
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(near(glm::vec3(back[c]), glm::vec3((m * glm::inverse(pivot))[c]), 1e-4f));
}

TEST(NodeTransform, NonFiniteValuesAreRefusedAndLookAtPointsMinusZAtTheTarget) {
    auto node = Node::make();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    node->setPosition({nan, 0, 0});
    node->setScale({1, nan, 1});
    node->setEulerAngles({nan, 0, 0});
    node->setOrientation(glm::quat(0, 0, 0, 0));
    EXPECT_TRUE(near(node->worldPosition(), {0, 0, 0}));
    EXPECT_TRUE(near(node->scale(), {1, 1, 1}));
    EXPECT_TRUE(sameRotation(node->orientation(), glm::quat(1, 0, 0, 0)));
    // lookAt points -Z at the target.
    auto looker = Node::make();
    looker->setPosition({1, 1, 5});
    looker->lookAt({1, 0, 0});
    const glm::vec3 front = looker->convertVector({0, 0, -1}, nullptr);
    EXPECT_TRUE(near(front, glm::normalize(glm::vec3(0, -1, -5)), 1e-5f));
    EXPECT_NEAR(looker->convertVector({1, 0, 0}, nullptr).y, 0.0f, 1e-5f);  // no roll
    looker->lookAt(looker->worldPosition());                                // degenerate: unchanged
    EXPECT_TRUE(near(looker->convertVector({0, 0, -1}, nullptr), front, 1e-5f));
}

}  // namespace
}  // namespace plimsa
