#include <gtest/gtest.h>

#include <cmath>

#include "SwingPartsTestSupport.h"
#include "platform/scene/Primitives.h"
#include "support/Near.h"
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

TEST(Chain, EmptyForZeroOrNegativeLengthButStillNamedChainAndBoundedLikeLianasForAbsurdOnes) {
    for (double length : {0.0, -1.0, std::nan("")}) {
        auto node = SwingParts::chain(length, glm::vec3(0.62f), 0.32);
        EXPECT_EQ(node->name(), "chain");
        EXPECT_FALSE(node->geometry() && node->geometry()->vertexCount() > 0) << length;
        EXPECT_TRUE(node->childNodes().empty());
    }
    // Absurd lengths are bounded.
    EXPECT_EQ(linkCount(*SwingParts::chain(INFINITY, glm::vec3(0.5f), 0.3)),
              static_cast<size_t>(SwingParts::kMaxRepeatExtent / 0.05));
    auto vine = SwingParts::liana(1e30, glm::vec3(0.0f), glm::quat(1, 0, 0, 0));
    EXPECT_GT(vine->geometry()->boundingBox().min.y, -SwingParts::kMaxRepeatExtent - 0.1f);
}

TEST(Chain, LinksEveryFiveHundredthsAtRightAnglesWhileTheNextStaysAboveTheEndInOneMetalGeometry) {
    struct Case {
        double length;
        size_t links;
    };
    for (Case c :
         {Case{0.01, 1}, Case{0.05, 1}, Case{0.051, 2}, Case{0.1, 2}, Case{0.12, 3}, Case{2.13, 43}}) {
        auto node = SwingParts::chain(c.length, {0.95f, 0.755f, 0.35f}, 0.32);
        ASSERT_TRUE(node->geometry()) << c.length;
        EXPECT_TRUE(node->childNodes().empty()) << "flattened";
        EXPECT_EQ(node->geometry()->elements().size(), 1u);
        EXPECT_EQ(node->geometry()->firstMaterial()->diffuse().color, glm::vec4(0.95f, 0.755f, 0.35f, 1.0f));
        EXPECT_EQ(node->geometry()->vertexCount() % linkVertexCount(), 0u);
        EXPECT_EQ(linkCount(*node), c.links) << "length " << c.length;
        for (size_t i = 0; i < linkCount(*node); ++i) {
            const BoundingBox box = linkBox(*node, i);
            EXPECT_NEAR(box.center().y, -0.05 * i, 1e-5) << "link " << i;
            // Neighbouring links stand at right angles, each flat toward the camera.
            EXPECT_LT(box.size().z, 0.5f * std::min(box.size().x, box.size().y)) << "link " << i;
            EXPECT_EQ(box.size().y > box.size().x, i % 2 == 0) << "link " << i;
        }
    }
}

TEST(RopeNode, EverySkinHangsItsPieceFromTheTopToTheBottom) {
    const Rope rope{{-0.42f, 0.05f, 0.0f}, {-0.42f, -2.13f, 0.0f}};
    for (SwingSkin skin :
         {SwingSkin::classic, SwingSkin::ice, SwingSkin::gold, SwingSkin::rope, SwingSkin::forest}) {
        auto node = SwingParts::ropeNode(rope, skin);
        ASSERT_TRUE(node->geometry());
        EXPECT_TRUE(node->childNodes().empty()) << "one flattened piece";
        const BoundingBox box = boxInParent(*node);
        EXPECT_NEAR(box.center().x, -0.42f, 0.05f);
        EXPECT_LT(box.size().x, 0.6f) << "stays thin, leaves included";
        EXPECT_NEAR(box.max.y, rope.top.y, 0.06f);
        EXPECT_NEAR(box.min.y, rope.bottom.y, 0.06f);
    }
    EXPECT_EQ(SwingParts::ropeNode(rope, SwingSkin::classic)->name(), "chain");
    EXPECT_EQ(SwingParts::ropeNode(rope, SwingSkin::forest)->geometry()->materials().size(), 2u) << "leaves";
}

TEST(RopeNode, SlantedRopeTurnsTheChainOntoItsDirectionAPointGivesNoNaNsAndABarSpansItsEnds) {
    const Rope rope{{0.3f, 0.05f, 0.1f}, {0.9f, -1.5f, -0.2f}};
    auto node = SwingParts::ropeNode(rope, SwingSkin::classic);
    const glm::vec3 down = node->orientation() * glm::vec3(0, -1, 0);
    const glm::vec3 direction = glm::normalize(rope.bottom - rope.top);
    EXPECT_NEAR(glm::dot(down, direction), 1.0f, 1e-5f);
    // A degenerate rope gives an empty piece, not NaNs.
    const Rope point{{0.1f, 0.2f, 0.0f}, {0.1f, 0.2f, 0.0f}};
    for (SwingSkin skin : {SwingSkin::classic, SwingSkin::forest, SwingSkin::rope}) {
        auto node = SwingParts::ropeNode(point, skin);
        const glm::quat q = node->orientation();
        EXPECT_TRUE(std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z));
    }
    // A bar is a cylinder from one point to another.
    const glm::vec3 a(0.2f, 1.0f, -0.3f), b(-0.5f, -0.4f, 0.6f);
    auto bar = SwingParts::bar(a, b, 0.02, SwingParts::steel());
    EXPECT_EQ(bar->position(), (a + b) * 0.5f);
    const glm::vec3 axis = bar->orientation() * glm::vec3(0, 1, 0);
    EXPECT_NEAR(glm::dot(axis, glm::normalize(b - a)), 1.0f, 1e-5f);
    EXPECT_NEAR(bar->geometry()->boundingBox().size().y, glm::distance(a, b), 1e-5f);
    EXPECT_EQ(bar->geometry()->firstMaterial(), SwingParts::steel());
}

TEST(Liana, StrandsFromFiveHundredthsLeavesOnlyBeyondAQuarterPlacedAndTurnedAsAsked) {
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
    const glm::quat turn = glm::angleAxis(0.3f, glm::normalize(glm::vec3(1, 0, 1)));
    auto vine = SwingParts::liana(1.0, {0.5f, 0.05f, 0.0f}, turn);
    EXPECT_EQ(vine->position(), glm::vec3(0.5f, 0.05f, 0.0f));
    EXPECT_TRUE(testing::sameRotation(vine->orientation(), turn));
}

}  // namespace
}  // namespace plimsa
