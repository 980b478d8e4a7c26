#include "platform/render/Antialiasing.h"
#include "platform/render/ScreenCover.h"
#include "platform/render/ScreenRect.h"

#include "platform/scene/BoundingBox.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <limits>

namespace plimsa {
namespace {

BoundingBox boxAround(glm::vec3 centre, float half) {
    BoundingBox box;
    box.add(centre - glm::vec3(half));
    box.add(centre + glm::vec3(half));
    return box;
}

// Orthographic: x and y in [-1, 1] fill a 100 x 50 view.
const glm::mat4 kOrtho = glm::ortho(-1.0f, 1.0f, -1.0f, 1.0f, 0.1f, 10.0f) *
                         glm::lookAt(glm::vec3(0, 0, 5), glm::vec3(0), glm::vec3(0, 1, 0));

TEST(ScreenRect, CoversTheProjectedBoxWithAMarginClippedToTheViewNothingOutsideAndAllWhenUnsure) {
    const ScreenRect rect = ScreenRect::covering(boxAround({0.5f, 0.5f, 0}, 0.1f), kOrtho, 100, 50, 2);
    EXPECT_EQ(rect, (ScreenRect{68, 33, 14, 9}));
    const ScreenRect edge = ScreenRect::covering(boxAround({1.0f, -1.0f, 0}, 0.2f), kOrtho, 100, 50, 0);
    EXPECT_EQ(edge, (ScreenRect{90, 0, 10, 5}));
    EXPECT_TRUE(ScreenRect::covering(BoundingBox{}, kOrtho, 100, 50).isEmpty());
    EXPECT_TRUE(ScreenRect::covering(boxAround({5, 0, 0}, 0.5f), kOrtho, 100, 50).isEmpty());
    // A box reaching behind the perspective eye, or not finite, covers everything.
    const glm::mat4 perspective = glm::perspective(0.8f, 2.0f, 0.1f, 50.0f) *
                                  glm::lookAt(glm::vec3(0, 0, 5), glm::vec3(0), glm::vec3(0, 1, 0));
    const ScreenRect whole{0, 0, 100, 50};
    EXPECT_EQ(ScreenRect::covering(boxAround({0, 0, 5}, 1.0f), perspective, 100, 50), whole);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    BoundingBox broken;
    broken.min = glm::vec3(-1, nan, -1);
    broken.max = glm::vec3(1, 1, 1);
    EXPECT_EQ(ScreenRect::covering(broken, perspective, 100, 50), whole);
    EXPECT_FALSE(ScreenRect::covering(boxAround({0, 0, 0}, 0.2f), perspective, 100, 50) == whole);
}

TEST(ScreenCover, MarksTheTilesRectanglesTouchAndJoinsThemIntoFewRectanglesClippedToTheView) {
    constexpr int t = ScreenCover::kTile;
    ScreenCover cover(5 * t + 3, 4 * t);  // a partial last column
    EXPECT_TRUE(cover.rects().empty());
    cover.add({-10, -10, 5, 5});          // outside: nothing
    cover.add({t + 2, 2, 3, 2 * t});      // column 1, rows 0 to 2
    cover.add({4 * t + 1, 1, 50, 1});     // the last two columns, row 0, clipped at the right
    cover.add({3, 3 * t + 5, 2 * t, 2});  // columns 0 to 2, row 3
    const std::vector<ScreenRect> expected{
        {t, 0, t, t}, {4 * t, 0, t + 3, t}, {t, t, t, 2 * t}, {0, 3 * t, 3 * t, t}};
    EXPECT_EQ(cover.rects(), expected);
}

TEST(Antialiasing, SoftwareRasterisersSmoothEdgesAndEveryGpuKeepsTwoSamples) {
    const struct {
        const char* renderer;
        bool software;
    } rows[] = {{"llvmpipe (LLVM 15.0.6, 256 bits)", true},
                {"softpipe", true},
                {"Mesa X11 swrast", true},
                {"SwiftShader Device (Subzero)", true},
                {"D3D12 (Microsoft Basic Render Driver)", true},
                {"Apple Software Renderer", true},
                {"AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", false},
                {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
                {"NVIDIA GeForce GTX 1080/PCIe/SSE2", false},
                {"SVGA3D; build: RELEASE;  LLVM;", false},
                {"", false}};
    for (const auto& row : rows) {
        const Antialiasing chosen = Antialiasing::forRenderer(row.renderer);
        EXPECT_EQ(chosen, row.software ? (Antialiasing{1, true}) : (Antialiasing{2, false})) << row.renderer;
    }
}

}  // namespace
}  // namespace plimsa
