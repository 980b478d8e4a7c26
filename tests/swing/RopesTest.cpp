#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "SwingPartsTestSupport.h"
#include "platform/scene/Primitives.h"
#include "swing/SwingParts.h"

namespace plimsa {
namespace {

using testing::boxInParent;

size_t linkVertexCount() {
    return Primitives::torus(0.026f, 0.007f, 24, 10)->vertexCount();
}

/// The bounding box of link `index` of a flattened chain (links are baked one after another).
BoundingBox linkBox(const Node& chain, size_t index) {
    const auto& positions = chain.geometry()->mesh().positions;
    const size_t n = linkVertexCount();
    BoundingBox box;
    for (size_t i = index * n; i < (index + 1) * n && i < positions.size(); ++i) box.add(positions[i]);
    return box;
}

size_t linkCount(const Node& chain) {
    return chain.geometry() ? chain.geometry()->vertexCount() / linkVertexCount() : 0;
}

TEST(Chain, EmptyForZeroOrNegativeLengthButStillNamedChain) {
    for (double length : {0.0, -1.0, std::nan("")}) {
        auto node = SwingParts::chain(length, glm::vec3(0.62f), 0.32);
        EXPECT_EQ(node->name(), "chain");
        EXPECT_FALSE(node->geometry() && node->geometry()->vertexCount() > 0) << length;
        EXPECT_TRUE(node->childNodes().empty());
    }
}

TEST(Chain, LinksEveryFiveHundredthsWhileTheNextStaysAboveTheEnd) {
    struct Case {
        double length;
        size_t links;
    };
    for (Case c :
         {Case{0.01, 1}, Case{0.05, 1}, Case{0.051, 2}, Case{0.1, 2}, Case{0.12, 3}, Case{2.13, 43}}) {
        auto node = SwingParts::chain(c.length, glm::vec3(0.62f), 0.32);
        ASSERT_TRUE(node->geometry()) << c.length;
        EXPECT_TRUE(node->childNodes().empty()) << "flattened";
        EXPECT_EQ(node->geometry()->vertexCount() % linkVertexCount(), 0u);
        EXPECT_EQ(linkCount(*node), c.links) << "length " << c.length;
        for (size_t i = 0; i < linkCount(*node); ++i)
            EXPECT_NEAR(linkBox(*node, i).center().y, -0.05 * i, 1e-5) << "link " << i;
    }
}

TEST(Chain, NeighbouringLinksStandAtRightAnglesAndFaceTheCamera) {
    auto node = SwingParts::chain(0.12, glm::vec3(0.62f), 0.32);
    ASSERT_EQ(linkCount(*node), 3u);
    const float outer = 0.026f + 0.007f;
    for (size_t i = 0; i < 3; ++i) {
        const glm::vec3 size = linkBox(*node, i).size();
        EXPECT_NEAR(size.z, 2 * 0.007f, 1e-3f) << "flat toward the camera";
        const float longSide = 2 * outer * 1.3f, shortSide = 2 * outer * 0.7f;
        if (i % 2 == 0) {
            EXPECT_NEAR(size.y, longSide, 1e-4f);
            EXPECT_NEAR(size.x, shortSide, 1e-4f);
        } else {
            EXPECT_NEAR(size.x, longSide, 1e-4f);
            EXPECT_NEAR(size.y, shortSide, 1e-4f);
        }
    }
}

TEST(Chain, OneMetallicMaterialInTheTint) {
    auto node = SwingParts::chain(0.5, {0.95f, 0.755f, 0.35f}, 0.32);
    ASSERT_EQ(node->geometry()->materials().size(), 1u);
    const auto& metal = node->geometry()->firstMaterial();
    EXPECT_EQ(metal->diffuse().color, glm::vec4(0.95f, 0.755f, 0.35f, 1.0f));
    EXPECT_FLOAT_EQ(metal->roughness(), 0.32f);
    EXPECT_FLOAT_EQ(metal->metalness(), 1.0f);
    EXPECT_EQ(node->geometry()->elements().size(), 1u);
}

TEST(Chain, AbsurdLengthIsBounded) {
    auto node = SwingParts::chain(INFINITY, glm::vec3(0.5f), 0.3);
    EXPECT_EQ(linkCount(*node), static_cast<size_t>(SwingParts::kMaxRepeatExtent / 0.05));
}

TEST(RopeNode, ChainSkinsHangAChainFromTheTopWithTheirTint) {
    struct Case {
        SwingSkin skin;
        glm::vec3 tint;
        float roughness;
    };
    const Rope rope{{-0.42f, 0.05f, 0.0f}, {-0.42f, -2.13f, 0.0f}};
    for (Case c :
         {Case{SwingSkin::classic, glm::vec3(0.62f), 0.32f}, Case{SwingSkin::ice, {0.8f, 0.9f, 1.0f}, 0.15f},
          Case{SwingSkin::gold, {0.95f, 0.755f, 0.35f}, 0.32f}}) {
        auto node = SwingParts::ropeNode(rope, c.skin);
        EXPECT_EQ(node->name(), "chain");
        EXPECT_EQ(node->position(), rope.top);
        const auto& metal = node->geometry()->firstMaterial();
        EXPECT_EQ(metal->diffuse().color, glm::vec4(c.tint, 1.0f));
        EXPECT_FLOAT_EQ(metal->roughness(), c.roughness);
        const BoundingBox box = boxInParent(*node);
        EXPECT_NEAR(box.center().x, -0.42f, 1e-4f);
        EXPECT_GT(box.min.y, rope.bottom.y - 0.05f);
        EXPECT_LT(box.min.y, rope.bottom.y + 0.06f);
    }
}

TEST(RopeNode, SlantedRopeTurnsTheChainOntoItsDirection) {
    const Rope rope{{0.3f, 0.05f, 0.1f}, {0.9f, -1.5f, -0.2f}};
    auto node = SwingParts::ropeNode(rope, SwingSkin::classic);
    const glm::vec3 down = node->orientation() * glm::vec3(0, -1, 0);
    const glm::vec3 direction = glm::normalize(rope.bottom - rope.top);
    EXPECT_NEAR(glm::dot(down, direction), 1.0f, 1e-5f);
}

TEST(RopeNode, RopeSkinIsAFibreBarFromTopToBottom) {
    const Rope rope{{0.42f, 0.05f, 0.0f}, {0.42f, -1.93f, 0.0f}};
    auto node = SwingParts::ropeNode(rope, SwingSkin::rope);
    const BoundingBox box = boxInParent(*node);
    EXPECT_NEAR(box.max.y, 0.05f, 1e-5f);
    EXPECT_NEAR(box.min.y, -1.93f, 1e-5f);
    EXPECT_NEAR(box.size().x, 0.06f, 1e-4f);
    const auto& fibre = node->geometry()->firstMaterial();
    EXPECT_EQ(fibre->diffuse().color, glm::vec4(0.76f, 0.66f, 0.48f, 1.0f));
    EXPECT_FLOAT_EQ(fibre->roughness(), 0.95f);
    EXPECT_FLOAT_EQ(fibre->metalness(), 0.0f);
}

TEST(RopeNode, ForestHangsALeafyLianaFromTheTop) {
    const Rope rope{{-0.42f, 0.05f, 0.0f}, {-0.42f, -2.18f, 0.0f}};
    auto node = SwingParts::ropeNode(rope, SwingSkin::forest);
    EXPECT_EQ(node->position(), rope.top);
    EXPECT_TRUE(node->childNodes().empty());
    ASSERT_TRUE(node->geometry());
    EXPECT_EQ(node->geometry()->materials().size(), 2u);
    const BoundingBox box = boxInParent(*node);
    EXPECT_NEAR(box.min.y, rope.bottom.y, 0.03f);
}

TEST(RopeNode, DegenerateRopeGivesAnEmptyPieceNotNaNs) {
    const Rope point{{0.1f, 0.2f, 0.0f}, {0.1f, 0.2f, 0.0f}};
    for (SwingSkin skin : {SwingSkin::classic, SwingSkin::forest, SwingSkin::rope}) {
        auto node = SwingParts::ropeNode(point, skin);
        const glm::quat q = node->orientation();
        EXPECT_TRUE(std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z));
    }
}

TEST(Liana, StrandsFromFiveHundredthsLeavesOnlyBeyondAQuarter) {
    auto tooShort = SwingParts::liana(0.049, glm::vec3(0.0f), glm::quat(1, 0, 0, 0));
    EXPECT_FALSE(tooShort->geometry() && tooShort->geometry()->vertexCount() > 0);

    auto strands = SwingParts::liana(0.05, glm::vec3(0.0f), glm::quat(1, 0, 0, 0));
    ASSERT_TRUE(strands->geometry());
    EXPECT_EQ(strands->geometry()->materials().size(), 1u);
    const BoundingBox box = strands->geometry()->boundingBox();
    EXPECT_NEAR(box.min.y, -0.05f, 0.01f);

    for (double length : {0.1, 0.25}) {
        auto noLeaves = SwingParts::liana(length, glm::vec3(0.0f), glm::quat(1, 0, 0, 0));
        ASSERT_EQ(noLeaves->geometry()->materials().size(), 1u) << length;
        EXPECT_NE(noLeaves->geometry()->firstMaterial(), SwingParts::leafMaterial());
    }
    auto leafy = SwingParts::liana(0.26, glm::vec3(0.0f), glm::quat(1, 0, 0, 0));
    const auto& materials = leafy->geometry()->materials();
    EXPECT_NE(std::find(materials.begin(), materials.end(), SwingParts::leafMaterial()), materials.end());
}

TEST(Liana, HelixStaysThinAndLeavesStayNearTheVine) {
    auto vine = SwingParts::liana(2.0, glm::vec3(0.0f), glm::quat(1, 0, 0, 0));
    const BoundingBox box = vine->geometry()->boundingBox();
    EXPECT_LT(box.max.x, 0.3f);
    EXPECT_GT(box.min.x, -0.3f);
    EXPECT_NEAR(box.min.y, -2.0f, 0.05f);
    EXPECT_LT(box.max.y, 0.05f);
}

TEST(Liana, IsPlacedAndOrientedAsAsked) {
    const glm::quat turn = glm::angleAxis(0.3f, glm::normalize(glm::vec3(1, 0, 1)));
    auto vine = SwingParts::liana(1.0, {0.5f, 0.05f, 0.0f}, turn);
    EXPECT_EQ(vine->position(), glm::vec3(0.5f, 0.05f, 0.0f));
    EXPECT_NEAR(std::abs(glm::dot(vine->orientation(), turn)), 1.0f, 1e-6f);
}

TEST(Liana, AbsurdLengthIsBounded) {
    auto vine = SwingParts::liana(1e30, glm::vec3(0.0f), glm::quat(1, 0, 0, 0));
    EXPECT_GT(vine->geometry()->boundingBox().min.y, -SwingParts::kMaxRepeatExtent - 0.1f);
}

TEST(Bar, CylinderFromOnePointToAnother) {
    const glm::vec3 a(0.2f, 1.0f, -0.3f), b(-0.5f, -0.4f, 0.6f);
    auto node = SwingParts::bar(a, b, 0.02, SwingParts::steel());
    EXPECT_EQ(node->position(), (a + b) * 0.5f);
    const glm::vec3 axis = node->orientation() * glm::vec3(0, 1, 0);
    EXPECT_NEAR(glm::dot(axis, glm::normalize(b - a)), 1.0f, 1e-5f);
    EXPECT_NEAR(node->geometry()->boundingBox().size().y, glm::distance(a, b), 1e-5f);
    EXPECT_EQ(node->geometry()->firstMaterial(), SwingParts::steel());
}

TEST(RotationBetween, TurnsOneDirectionOntoAnotherIncludingOpposites) {
    std::mt19937 random(42);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    auto direction = [&] {
        return glm::normalize(glm::vec3(coordinate(random), coordinate(random), coordinate(random)));
    };
    for (int i = 0; i < 200; ++i) {
        const glm::vec3 u = direction(), v = direction();
        const glm::quat q = SwingParts::rotationBetween(u, v);
        EXPECT_NEAR(glm::length(q), 1.0f, 1e-5f);
        EXPECT_NEAR(glm::dot(q * u, v), 1.0f, 1e-4f);
    }
    for (glm::vec3 u : {glm::vec3(0, -1, 0), glm::vec3(1, 0, 0), glm::vec3(0, 0, 1)}) {
        const glm::quat q = SwingParts::rotationBetween(u, -u);
        EXPECT_NEAR(glm::dot(q * u, -u), 1.0f, 1e-5f);
        EXPECT_NEAR(std::abs(q.w), 0.0f, 1e-6f) << "a half turn";
    }
    EXPECT_EQ(SwingParts::rotationBetween({0, 1, 0}, {0, 1, 0}), glm::quat(1, 0, 0, 0));
    EXPECT_EQ(SwingParts::rotationBetween({0, 0, 0}, {0, 1, 0}), glm::quat(1, 0, 0, 0));
    EXPECT_EQ(SwingParts::rotationBetween({NAN, 0, 0}, {0, 1, 0}), glm::quat(1, 0, 0, 0));
}

}  // namespace
}  // namespace plimsa
