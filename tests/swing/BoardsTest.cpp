#include <gtest/gtest.h>

#include <glm/gtc/constants.hpp>

#include <cmath>
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

float ropeEndOf(SwingSkin skin) {
    return skin == SwingSkin::forest ? 0.02f : 0.07f;
}

TEST(BuildBoard, OneSeatBoardHangsFromChainsAtPlusMinus042) {
    for (SwingSkin skin : kAllSkins) {
        const SeatBuild build = SwingParts::buildBoard(skin, 1.0, {0.0}, 2.2);
        SCOPED_TRACE(static_cast<int>(skin));
        ASSERT_EQ(build.ropes.size(), 2u);
        const float bottom = static_cast<float>(ropeEndOf(skin) - 2.2);
        EXPECT_EQ(build.ropes[0], (Rope{{-0.42f, 0.05f, 0.0f}, {-0.42f, bottom, 0.0f}}));
        EXPECT_EQ(build.ropes[1], (Rope{{0.42f, 0.05f, 0.0f}, {0.42f, bottom, 0.0f}}));
        EXPECT_EQ(build.width, 1.0);
        EXPECT_EQ(build.characterXs, std::vector<double>{0.0});
        EXPECT_EQ(build.rootOffset, glm::vec3(0.0f, skin == SwingSkin::forest ? 0.11f : 0.035f, 0.0f));
        ASSERT_TRUE(build.node);
    }
}

TEST(BuildBoard, TwoSeatBoardPassesCharacterXsThroughAndWidensTheChains) {
    const SeatBuild build = SwingParts::buildBoard(SwingSkin::gold, 2.0, {-0.5, 0.5}, 3.0);
    EXPECT_EQ(build.ropes[0].top.x, -0.92f);
    EXPECT_EQ(build.ropes[1].bottom.x, 0.92f);
    EXPECT_EQ(build.ropes[1].bottom.y, static_cast<float>(0.07 - 3.0));
    EXPECT_EQ(build.characterXs, (std::vector<double>{-0.5, 0.5}));
    EXPECT_EQ(build.width, 2.0);
}

TEST(BuildBoard, NonFiniteWidthOrRopeLengthBuildsASaneDefaultBoard) {
    const SeatBuild build = SwingParts::buildBoard(SwingSkin::ice, std::nan(""), {0.0}, INFINITY);
    EXPECT_EQ(build.width, 1.0);
    EXPECT_EQ(build.ropes[0].top.x, -0.42f);
    EXPECT_EQ(build.ropes[0].bottom.y, 0.07f);
    EXPECT_EQ(nodesNamed(*build.node, "grab").size(), 1u);
}

TEST(Boards, EveryBoardBodyIsNamedGrabAndSpansTheWidth) {
    for (SwingSkin skin : kAllSkins) {
        for (double width : {0.4, 2.0, 3.35}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(skin)) + " width " + std::to_string(width));
            const SeatBuild build = SwingParts::buildBoard(skin, width, {0.0}, 2.0);
            const auto grabs = nodesNamed(*build.node, "grab");
            ASSERT_EQ(grabs.size(), 1u);
            ASSERT_TRUE(grabs[0]->geometry());
            const BoundingBox box = boxInParent(*grabs[0]);
            const double expected = skin == SwingSkin::forest ? width + 0.1 : width;
            EXPECT_NEAR(box.max.x - box.min.x, expected, 1e-4);
            EXPECT_NEAR(box.center().x, 0.0, 1e-5);
        }
    }
}

TEST(Boards, ChainsEndInsideTheirRingsAndKnotsSitUnderTheRopes) {
    // Chain skins: the rope's lower end lands inside the hardware centred on its x.
    for (SwingSkin skin : {SwingSkin::classic, SwingSkin::ice, SwingSkin::gold}) {
        const SeatBuild build = SwingParts::buildBoard(skin, 1.6, {-0.3, 0.3}, 2.0);
        for (const Rope& rope : build.ropes) {
            const glm::vec3 end{rope.bottom.x, rope.bottom.y + 2.0f, 0.0f};  // in board space
            bool reached = false;
            for (const auto& part : partsOf(*build.node)) {
                if (part->name() == "grab") continue;
                const BoundingBox box = boxInParent(*part);
                reached |=
                    end.x >= box.min.x && end.x <= box.max.x && end.y >= box.min.y && end.y <= box.max.y;
            }
            EXPECT_TRUE(reached) << "skin " << static_cast<int>(skin) << " rope at x " << rope.bottom.x;
        }
    }
    const SeatBuild driftwood = SwingParts::buildBoard(SwingSkin::rope, 1.6, {-0.3, 0.3}, 2.0);
    const auto parts = partsOf(*driftwood.node);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1]->position().x, driftwood.ropes[0].bottom.x);
    EXPECT_EQ(parts[2]->position().x, driftwood.ropes[1].bottom.x);
}

TEST(Boards, ClassicBoardHasSteelBracketsRingsAndBoltsAtEachChain) {
    auto node = SwingParts::board(1.0, {-0.42, 0.42});
    const auto parts = partsOf(*node);
    ASSERT_EQ(parts.size(), 1u + 2u * 4u);
    for (size_t chain = 0; chain < 2; ++chain) {
        const float x = chain == 0 ? -0.42f : 0.42f;
        const auto& bracket = parts[1 + chain * 4];
        const auto& ring = parts[2 + chain * 4];
        EXPECT_EQ(bracket->position(), glm::vec3(x, 0.036f, 0.0f));
        EXPECT_EQ(bracket->geometry()->firstMaterial(), SwingParts::darkSteel());
        EXPECT_EQ(ring->position(), glm::vec3(x, 0.07f, 0.0f));
        EXPECT_EQ(ring->geometry()->firstMaterial(), SwingParts::steel());
        // Upright, facing the camera: the ring's axis (its local Y) now points along Z.
        const glm::vec3 axis = ring->orientation() * glm::vec3(0, 1, 0);
        EXPECT_NEAR(std::abs(axis.z), 1.0f, 1e-5f);
        EXPECT_EQ(parts[3 + chain * 4]->position(), glm::vec3(x, 0.045f, -0.045f));
        EXPECT_EQ(parts[4 + chain * 4]->position(), glm::vec3(x, 0.045f, 0.045f));
    }
}

TEST(Boards, ClassicPlankScalesTheSharedWoodTextureToItsOwnWidth) {
    auto narrow = SwingParts::board(1.0, {});
    auto wide = SwingParts::board(2.0, {});
    const auto& narrowWood = partsOf(*narrow)[0]->geometry()->firstMaterial();
    const auto& wideWood = partsOf(*wide)[0]->geometry()->firstMaterial();
    // The later, wider board must not stretch the grain of the earlier one.
    EXPECT_FLOAT_EQ(narrowWood->diffuse().contentsTransform[0][0], 1.0f);
    EXPECT_FLOAT_EQ(wideWood->diffuse().contentsTransform[0][0], 2.0f);
    EXPECT_FLOAT_EQ(wideWood->diffuse().contentsTransform[1][1], 0.36f);
    EXPECT_EQ(wideWood->diffuse().wrapS, WrapMode::repeat);
    EXPECT_EQ(wideWood->diffuse().wrapT, WrapMode::repeat);
    EXPECT_FLOAT_EQ(wideWood->roughness(), 0.55f);
    // One painted texture for every classic board.
    EXPECT_EQ(narrowWood->diffuse().image, SwingParts::wood()->diffuse().image);
    EXPECT_EQ(wideWood->diffuse().image, SwingParts::wood()->diffuse().image);
}

TEST(Boards, MarbleBoardIsVeinedMarbleWithGoldHardwareAndNoBolts) {
    auto node = SwingParts::marbleBoard(1.0, {-0.42, 0.42});
    const auto parts = partsOf(*node);
    ASSERT_EQ(parts.size(), 5u);
    const auto& marble = parts[0]->geometry()->firstMaterial();
    EXPECT_FLOAT_EQ(marble->roughness(), 0.18f);
    ASSERT_TRUE(marble->diffuse().hasImage());
    EXPECT_TRUE(marble->diffuse().image->image() == SwingParts::marbleImage(1024));
    const auto& gold = parts[1]->geometry()->firstMaterial();
    EXPECT_EQ(gold, parts[2]->geometry()->firstMaterial());
    EXPECT_EQ(gold->diffuse().color, glm::vec4(0.95f, 0.78f, 0.35f, 1.0f));
    EXPECT_FLOAT_EQ(gold->metalness(), 1.0f);
    EXPECT_FLOAT_EQ(gold->roughness(), 0.3f);
}

TEST(Boards, IceIsTranslucentAndItsIciclesHangUnderTheSlabWithinTheBoard) {
    for (double width : {0.3, 0.8, 1.0, 2.0, 2.45}) {
        auto node = SwingParts::iceBoard(width, {});
        const auto parts = partsOf(*node);
        const auto& ice = parts[0]->geometry()->firstMaterial();
        EXPECT_FLOAT_EQ(ice->transparency(), 0.82f);
        EXPECT_TRUE(ice->needsBlending());
        size_t icicles = 0;
        double lastX = -INFINITY;
        for (size_t i = 1; i < parts.size(); ++i) {
            const Node& icicle = *parts[i];
            const BoundingBox box = boxInParent(icicle);
            ++icicles;
            EXPECT_LT(icicle.position().x, width / 2 - 0.05);
            EXPECT_GE(icicle.position().x, 0.08 - width / 2 - 1e-6);
            EXPECT_GT(icicle.position().x, lastX);
            lastX = icicle.position().x;
            EXPECT_NEAR(box.max.y, -0.04f, 1e-5f) << "wide end touches the underside";
            EXPECT_GE(box.max.y - box.min.y, 0.06f - 1e-5f);
            EXPECT_LE(box.max.y - box.min.y, 0.22f + 1e-5f);
            EXPECT_LE(std::abs(icicle.position().z), 0.12f);
            EXPECT_EQ(icicle.geometry()->firstMaterial(), ice);
        }
        // Steps of 0.07 to 0.15 over the row's length.
        const double row = width - 0.13;
        EXPECT_GE(icicles, static_cast<size_t>(row / 0.15));
        EXPECT_LE(icicles, static_cast<size_t>(row / 0.07) + 1);
    }
}

TEST(Boards, NarrowIceBoardHasNoIcicles) {
    for (double width : {0.0, 0.1, 0.13})
        EXPECT_EQ(partsOf(*SwingParts::iceBoard(width, {})).size(), 1u) << width;
}

TEST(Boards, HugeIceBoardStaysBounded) {
    auto node = SwingParts::iceBoard(1e12, {});
    EXPECT_LT(partsOf(*node).size(), SwingParts::kMaxRepeatExtent / 0.07 + 2);
}

TEST(Boards, IceHardwareIsFrostedMetal) {
    auto parts = partsOf(*SwingParts::iceBoard(0.2, {-0.02, 0.02}));
    ASSERT_GE(parts.size(), 5u);
    const auto& ring = parts[parts.size() - 1];
    EXPECT_EQ(ring->position(), glm::vec3(0.02f, 0.08f, 0.0f));
    EXPECT_EQ(parts[parts.size() - 2]->position(), glm::vec3(0.02f, 0.046f, 0.0f));
    EXPECT_FLOAT_EQ(ring->geometry()->firstMaterial()->metalness(), 0.6f);
}

TEST(Boards, DriftwoodRepaintsItsOwnGreyedWoodAndTiesKnotsUnderTheChains) {
    auto node = SwingParts::driftwood(1.4, {-0.62, 0.62});
    const auto parts = partsOf(*node);
    ASSERT_EQ(parts.size(), 3u);
    const auto& weathered = parts[0]->geometry()->firstMaterial();
    EXPECT_NE(weathered->diffuse().image, SwingParts::wood()->diffuse().image);
    EXPECT_TRUE(weathered->diffuse().image->image() == SwingParts::wood()->diffuse().image->image());
    EXPECT_EQ(weathered->multiply().color, glm::vec4(0.75f, 0.72f, 0.66f, 1.0f));
    EXPECT_FLOAT_EQ(weathered->roughness(), 0.95f);
    EXPECT_FLOAT_EQ(weathered->diffuse().contentsTransform[0][0], 1.4f);
    EXPECT_EQ(weathered->diffuse().wrapS, WrapMode::repeat);
    EXPECT_EQ(parts[1]->position(), glm::vec3(-0.62f, -0.05f, 0.0f));
    EXPECT_EQ(parts[2]->position(), glm::vec3(0.62f, -0.05f, 0.0f));
    EXPECT_NEAR(boxInParent(*parts[2]).size().x, 0.09f, 1e-4f);
}

TEST(Boards, LogLiesAlongXWithBarkMossAndThreeMushroomsOnTop) {
    const double width = 1.0;
    auto node = SwingParts::logBoard(width, {-0.42, 0.42});
    const auto parts = partsOf(*node);
    ASSERT_EQ(parts.size(), 1u + 40u + 12u + 6u);
    const BoundingBox log = boxInParent(*parts[0]);
    EXPECT_NEAR(log.size().y, 0.22f, 1e-4f);
    EXPECT_NEAR(log.size().z, 0.22f, 1e-4f);
    for (size_t i = 1; i <= 40; ++i) {  // bark strips lie on the surface
        const glm::vec3 p = parts[i]->position();
        EXPECT_NEAR(std::hypot(p.y, p.z), 0.11f, 1e-5f);
        EXPECT_LE(std::abs(p.x), width / 2);
        EXPECT_EQ(parts[i]->geometry()->firstMaterial(), parts[0]->geometry()->firstMaterial());
    }
    for (size_t i = 41; i < 53; ++i) {  // moss on top, flattened
        EXPECT_FLOAT_EQ(parts[i]->position().y, 0.1f);
        EXPECT_EQ(parts[i]->scale(), glm::vec3(1.4f, 0.35f, 1.0f));
    }
    const float x0 = static_cast<float>(-width / 2 + 0.12);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(parts[53 + 2 * k]->position().x, x0 + 0.06f * k, 1e-6f);
        EXPECT_FLOAT_EQ(parts[53 + 2 * k]->position().y, 0.13f);
        EXPECT_FLOAT_EQ(parts[54 + 2 * k]->position().y, 0.16f);
        EXPECT_EQ(parts[54 + 2 * k]->geometry()->firstMaterial()->diffuse().color,
                  glm::vec4(0.8f, 0.25f, 0.18f, 1.0f));
    }
}

TEST(Boards, SameSkinAndWidthAlwaysGiveIdenticalBoards) {
    for (SwingSkin skin : kAllSkins) {
        SCOPED_TRACE(static_cast<int>(skin));
        const SeatBuild first = SwingParts::buildBoard(skin, 1.35, {-0.35, 0.35}, 2.2);
        const SeatBuild second = SwingParts::buildBoard(skin, 1.35, {-0.35, 0.35}, 2.2);
        testing::expectSameTree(*first.node, *second.node);
        EXPECT_EQ(first.ropes, second.ropes);
    }
}

TEST(SharedMaterials, AreCreatedOnceEvenWhenThreadsRaceForThem) {
    std::vector<std::thread> threads;
    std::vector<const Material*> seen(8);
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back(
            [&seen, i] { seen[i] = i % 2 ? SwingParts::leafMaterial().get() : SwingParts::wood().get(); });
    for (auto& thread : threads) thread.join();
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], i % 2 ? SwingParts::leafMaterial().get() : SwingParts::wood().get());
}

TEST(SharedMaterials, HaveTheirDocumentedLooks) {
    EXPECT_EQ(SwingParts::steel()->diffuse().color, glm::vec4(0.62f, 0.62f, 0.62f, 1.0f));
    EXPECT_FLOAT_EQ(SwingParts::steel()->roughness(), 0.32f);
    EXPECT_FLOAT_EQ(SwingParts::steel()->metalness(), 1.0f);
    EXPECT_EQ(SwingParts::darkSteel()->diffuse().color, glm::vec4(0.35f, 0.35f, 0.35f, 1.0f));
    EXPECT_FLOAT_EQ(SwingParts::darkSteel()->roughness(), 0.45f);
    const auto& leaf = SwingParts::leafMaterial();
    EXPECT_TRUE(leaf->isDoubleSided());
    EXPECT_TRUE(leaf->writesToDepthBuffer());
    EXPECT_EQ(leaf->transparencyMode(), TransparencyMode::aOne);
    EXPECT_TRUE(leaf->diffuse().image->hasTransparency());
    EXPECT_FLOAT_EQ(leaf->roughness(), 0.8f);
    EXPECT_TRUE(SwingParts::wood()->diffuse().image->image() == SwingParts::woodImage(1024));
    const auto made = SwingParts::fabric({0.1f, 0.2f, 0.3f}, 0.4, 0.5);
    EXPECT_NE(made, SwingParts::fabric({0.1f, 0.2f, 0.3f}, 0.4, 0.5));
    EXPECT_EQ(made->diffuse().color, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_FLOAT_EQ(made->metalness(), 0.5f);
}

}  // namespace
}  // namespace plimsa
