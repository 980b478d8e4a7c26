#include "platform/render/Sky.h"

#include <gtest/gtest.h>

#include <glm/geometric.hpp>

#include <cmath>
#include <limits>
#include <thread>

namespace plimsa {
namespace {

constexpr float kPi = 3.14159265f;

float luminance(glm::vec3 c) {
    return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b;
}

SkyParameters small() {
    SkyParameters parameters;
    parameters.faceSize = 32;
    return parameters;
}

glm::vec3 directionAt(float elevation, float azimuth) {
    return {std::cos(elevation) * std::cos(azimuth), std::sin(elevation),
            std::cos(elevation) * std::sin(azimuth)};
}

TEST(Sky, RadianceIsFiniteNonNegativeBluerOverheadAndSaneForAbsurdParameters) {
    const Sky sky(small());
    for (int i = 0; i < 24; ++i)
        for (int j = 0; j < 12; ++j) {
            const glm::vec3 value =
                sky.radiance(directionAt(-kPi / 2 + kPi * (j + 0.5f) / 12, 2 * kPi * i / 24));
            ASSERT_TRUE(std::isfinite(value.r + value.g + value.b));
            ASSERT_GE(std::min({value.r, value.g, value.b}), 0.0f);
        }
    const glm::vec3 zenith = sky.radiance({0, 1, 0});
    const glm::vec3 horizon = sky.radiance(directionAt(0.02f, 0.0f));
    EXPECT_GT(zenith.b / zenith.r, horizon.b / horizon.r);
    EXPECT_GT(zenith.b, zenith.r);
    // Out of range or non-finite parameters fall back to sane values.
    SkyParameters odd = small();
    odd.turbidity = std::numeric_limits<float>::quiet_NaN();
    odd.sunElevation = 7.0f;
    odd.groundAlbedo = -std::numeric_limits<float>::infinity();
    odd.faceSize = -5;
    const Sky oddSky(odd);
    EXPECT_EQ(oddSky.faceSize(0), 32);
    EXPECT_NEAR(oddSky.sunDirection().y, 1.0f, 1e-4f);
    for (glm::vec3 d : {glm::vec3(0, 1, 0), glm::vec3(1, 0, 0), glm::vec3(0, -1, 0)}) {
        const glm::vec3 value = oddSky.radiance(d);
        EXPECT_TRUE(std::isfinite(value.r + value.g + value.b));
    }
}

TEST(Sky, SunSideIsBrighterAtItsElevationAndTheDiffuseMatchesIntegrationBrightNotOverexposed) {
    const Sky sky(small());
    const glm::vec3 sun = sky.sunDirection();
    EXPECT_NEAR(std::asin(sun.y), 0.7f * kPi / 2, 1e-4f);
    const glm::vec3 opposite = glm::normalize(glm::vec3(-sun.x, sun.y, -sun.z));
    EXPECT_GT(luminance(sky.radiance(sun)), 2.0f * luminance(sky.radiance(opposite)));
    // Exposed so that a white surface facing up is bright but not overexposed.
    EXPECT_NEAR(luminance(sky.diffuse({0, 1, 0})), 0.8f, 0.08f);
    const glm::vec3 ground = sky.radiance({0, -1, 0});
    EXPECT_NEAR(luminance(ground), 0.9f * 0.8f, 0.05f) << "the ground reflects the sky with albedo 0.9";
    // The spherical-harmonic diffuse matches a direct integration.
    for (glm::vec3 normal :
         {glm::vec3(0, 1, 0), glm::vec3(1, 0, 0), glm::vec3(0, 0, -1), glm::vec3(0, -1, 0)}) {
        glm::vec3 sum(0.0f);
        constexpr int kSteps = 64;
        for (int i = 0; i < kSteps; ++i)
            for (int j = 0; j < 2 * kSteps; ++j) {
                const float theta = (i + 0.5f) / kSteps * kPi, phi = (j + 0.5f) / (2 * kSteps) * 2 * kPi;
                const glm::vec3 d(std::sin(theta) * std::cos(phi), std::cos(theta),
                                  std::sin(theta) * std::sin(phi));
                const float cosine = glm::dot(d, normal);
                if (cosine <= 0.0f) continue;
                sum += sky.radiance(d) * cosine * std::sin(theta) * (kPi / kSteps) * (kPi / kSteps);
            }
        const glm::vec3 expected = sum / kPi;
        EXPECT_NEAR(luminance(sky.diffuse(normal)), luminance(expected), 0.06f * luminance(expected))
            << normal.x << " " << normal.y << " " << normal.z;
    }
}

TEST(Sky, RougherLevelsAreSmallerAndSmootherAndASharedSkyIsBuiltOncePerParameterSet) {
    const Sky sky(small());
    auto stats = [&](int level, float& mean, float& spread) {
        const std::vector<float>& data = sky.level(level);
        const size_t count = data.size() / 3;
        float sum = 0.0f, low = std::numeric_limits<float>::max(), high = 0.0f;
        for (size_t i = 0; i < count; ++i) {
            const float value = luminance({data[i * 3], data[i * 3 + 1], data[i * 3 + 2]});
            sum += value;
            low = std::min(low, value);
            high = std::max(high, value);
        }
        mean = sum / static_cast<float>(count);
        spread = high - low;
    };
    float mean0 = 0, spread0 = 0, meanLast = 0, spreadLast = 0;
    stats(0, mean0, spread0);
    stats(Sky::kLevelCount - 1, meanLast, spreadLast);
    EXPECT_EQ(sky.faceSize(0), 32);
    EXPECT_EQ(sky.faceSize(1), 16);
    EXPECT_EQ(sky.level(1).size(), 6u * 16 * 16 * 3);
    EXPECT_LT(spreadLast, 0.6f * spread0);
    EXPECT_NEAR(meanLast, mean0, 0.15f * mean0);
    // A shared sky is built once per parameter set, even when threads race.
    const Sky* seen[4] = {};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) threads.emplace_back([&seen, i] { seen[i] = &Sky::shared(small()); });
    for (std::thread& thread : threads) thread.join();
    for (const Sky* sky : seen) EXPECT_EQ(sky, seen[0]);
    SkyParameters other = small();
    other.turbidity = 0.2f;
    EXPECT_NE(&Sky::shared(other), seen[0]);
}

}  // namespace
}  // namespace plimsa
