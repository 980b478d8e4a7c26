#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "SwingPartsTestSupport.h"
#include "platform/scene/Texture.h"
#include "swing/SwingParts.h"

namespace plimsa {
namespace {

using testing::boxInParent;
using testing::nodesNamed;
using testing::partsOf;

const SwingSkin kAllSkins[] = {SwingSkin::classic, SwingSkin::forest, SwingSkin::ice, SwingSkin::gold,
                               SwingSkin::rope};

bool containsInXY(const BoundingBox& box, const glm::vec3& point) {
    return point.x >= box.min.x && point.x <= box.max.x && point.y >= box.min.y && point.y <= box.max.y;
}

TEST(BuildBoard, RopesHangStraightIntoTheHardwareAndTheSeatIsOnTheBoard) {
    for (SwingSkin skin : kAllSkins)
        for (const double width : {1.0, 2.0}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(skin)) + " width " + std::to_string(width));
            const std::vector<double> xs = width > 1.5 ? std::vector<double>{-0.5, 0.5} : std::vector{0.0};
            const SeatBuild build = SwingParts::buildBoard(skin, width, xs, 2.2);
            EXPECT_EQ(build.width, width);
            EXPECT_EQ(build.characterXs, xs);
            ASSERT_EQ(build.ropes.size(), 2u);
            const float h = static_cast<float>(width / 2 - 0.08);
            for (size_t side = 0; side < 2; ++side) {
                const Rope& rope = build.ropes[side];
                EXPECT_EQ(rope.top.x, side == 0 ? -h : h);
                EXPECT_EQ(rope.bottom.x, rope.top.x) << "hangs straight";
                EXPECT_NEAR(rope.top.y - rope.bottom.y, 2.2, 0.06) << "about the rope length";
                // The board hangs rope-length below the bar; its lower end lands in a board part.
                const glm::vec3 end{rope.bottom.x, rope.bottom.y + 2.2f, 0.0f};
                bool landed = false;
                for (const auto& part : partsOf(*build.node))
                    landed |= (skin == SwingSkin::forest || part->name() != "grab") &&
                              containsInXY(boxInParent(*part), end);
                EXPECT_TRUE(landed || skin == SwingSkin::rope) << "rope end at x " << end.x;
            }
            const BoundingBox body = boxInParent(*nodesNamed(*build.node, "grab").at(0));
            EXPECT_NEAR(build.rootOffset.y, body.max.y, 0.01) << "seated on the top face";
        }
    // The fibre rope is tied in knots under the board, one below each rope.
    const SeatBuild driftwood = SwingParts::buildBoard(SwingSkin::rope, 1.6, {-0.3, 0.3}, 2.0);
    const auto parts = partsOf(*driftwood.node);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1]->position().x, driftwood.ropes[0].bottom.x);
    EXPECT_EQ(parts[2]->position().x, driftwood.ropes[1].bottom.x);
    EXPECT_LT(parts[1]->position().y, 0.0f);
}

TEST(Boards, EveryBoardIsOneGrabBodySpanningTheWidthWithItsPartsAlongIt) {
    for (SwingSkin skin : kAllSkins) {
        for (double width : {0.4, 2.0, 3.35}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(skin)) + " width " + std::to_string(width));
            const SeatBuild build = SwingParts::buildBoard(skin, width, {0.0}, 2.0);
            const auto grabs = nodesNamed(*build.node, "grab");
            ASSERT_EQ(grabs.size(), 1u);
            ASSERT_TRUE(grabs[0]->geometry());
            const BoundingBox body = boxInParent(*grabs[0]);
            const double expected = skin == SwingSkin::forest ? width + 0.1 : width;  // log ends stick out
            EXPECT_NEAR(body.max.x - body.min.x, expected, 1e-4);
            EXPECT_NEAR(body.center().x, 0.0, 1e-5);
            for (const auto& part : partsOf(*build.node)) {  // moss may overhang the end of a short log
                const BoundingBox box = boxInParent(*part);
                EXPECT_GE(box.min.x, body.min.x - 0.1) << part->name();
                EXPECT_LE(box.max.x, body.max.x + 0.1) << part->name();
            }
        }
    }
}

TEST(Boards, PlanksScaleTheirTextureToTheirOwnWidthAndIciclesHangUnderTheSlabWithinTheBoard) {
    struct Case {
        std::shared_ptr<Node> (*build)(double, const std::vector<double>&);
        bool sharesWoodImage;  // the same image object, not only the same bytes
    };
    for (const Case& c : {Case{SwingParts::board, true}, Case{SwingParts::driftwood, false}}) {
        const auto narrow = c.build(1.0, {});
        const auto wide = c.build(2.0, {});  // built later: must not stretch the earlier grain
        const auto& narrowWood = partsOf(*narrow)[0]->geometry()->firstMaterial();
        const auto& wideWood = partsOf(*wide)[0]->geometry()->firstMaterial();
        EXPECT_FLOAT_EQ(narrowWood->diffuse().contentsTransform[0][0], 1.0f);
        EXPECT_FLOAT_EQ(wideWood->diffuse().contentsTransform[0][0], 2.0f);
        EXPECT_EQ(wideWood->diffuse().wrapS, WrapMode::repeat);
        EXPECT_EQ(wideWood->diffuse().image == SwingParts::wood()->diffuse().image, c.sharesWoodImage);
        EXPECT_TRUE(wideWood->diffuse().image->image() == SwingParts::wood()->diffuse().image->image());
    }
    // The icicle row hangs under the slab, within the board.
    for (double width : {0.0, 0.13, 0.3, 1.0, 2.45}) {
        SCOPED_TRACE(width);
        auto node = SwingParts::iceBoard(width, {});
        const auto parts = partsOf(*node);
        ASSERT_FALSE(parts.empty());
        const auto& ice = parts[0]->geometry()->firstMaterial();
        EXPECT_TRUE(ice->needsBlending());
        double lastX = -INFINITY;
        for (size_t i = 1; i < parts.size(); ++i) {
            const Node& icicle = *parts[i];
            const BoundingBox box = boxInParent(icicle);
            EXPECT_LT(icicle.position().x, width / 2 - 0.05);
            EXPECT_GE(icicle.position().x, 0.08 - width / 2 - 1e-6);
            EXPECT_GT(icicle.position().x, lastX);
            lastX = icicle.position().x;
            EXPECT_NEAR(box.max.y, -0.04f, 1e-5f) << "wide end touches the underside";
            EXPECT_GE(box.max.y - box.min.y, 0.06f - 1e-5f);
            EXPECT_LE(box.max.y - box.min.y, 0.22f + 1e-5f);
            EXPECT_EQ(icicle.geometry()->firstMaterial(), ice);
        }
        // Steps of 0.07 to 0.15 over the row's length; none on a board too short for a row.
        const double row = std::max(width - 0.13, 0.0);
        EXPECT_GE(parts.size() - 1, static_cast<size_t>(row / 0.15));
        EXPECT_LE(parts.size() - 1, static_cast<size_t>(row / 0.07) + 1);
    }
}

TEST(Boards, AbsurdWidthsEndWithABoundedRowAndNonFiniteOnesGiveTheDefaultBoard) {
    // Past about 4.6e15 a step of 0.07 no longer moves x at all.
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    for (const double width : {1e12, 4.7e15, 1e16, 1e300, kInfinity, -kInfinity, std::nan("")}) {
        const auto node = SwingParts::iceBoard(width, {0.0});
        EXPECT_LE(partsOf(*node).size(), 3u + SwingParts::kMaxRepeatExtent / 0.07 + 1) << width;
    }
    // A non-finite width or rope length builds a sane default board.
    const SeatBuild build = SwingParts::buildBoard(SwingSkin::ice, std::nan(""), {0.0}, INFINITY);
    EXPECT_EQ(build.width, 1.0);
    EXPECT_EQ(build.ropes[0].top.x, -0.42f);
    EXPECT_TRUE(std::isfinite(build.ropes[0].bottom.y));
    EXPECT_EQ(nodesNamed(*build.node, "grab").size(), 1u);
}

TEST(Boards, SameSkinAndWidthGiveIdenticalBoardsAndSharedMaterialsAreMadeOnceUnderRaces) {
    for (SwingSkin skin : kAllSkins) {
        SCOPED_TRACE(static_cast<int>(skin));
        const SeatBuild first = SwingParts::buildBoard(skin, 1.35, {-0.35, 0.35}, 2.2);
        const SeatBuild second = SwingParts::buildBoard(skin, 1.35, {-0.35, 0.35}, 2.2);
        // Flattened, every random draw shows in the baked vertex positions.
        EXPECT_TRUE(first.node->flattenedClone()->geometry()->mesh() ==
                    second.node->flattenedClone()->geometry()->mesh());
        EXPECT_EQ(first.ropes, second.ropes);
    }
    // Shared materials are created once even when threads race for them.
    std::vector<std::thread> threads;
    std::vector<const Material*> seen(8);
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back(
            [&seen, i] { seen[i] = i % 2 ? SwingParts::leafMaterial().get() : SwingParts::wood().get(); });
    for (auto& thread : threads) thread.join();
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], i % 2 ? SwingParts::leafMaterial().get() : SwingParts::wood().get());
    EXPECT_NE(SwingParts::fabric(glm::vec3(0.5f), 0.4, 0.5), SwingParts::fabric(glm::vec3(0.5f), 0.4, 0.5))
        << "fabric is never shared";
}

}  // namespace
}  // namespace plimsa
