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

}  // namespace
}  // namespace plimsa
