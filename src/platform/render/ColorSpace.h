#pragma once

#include <glm/glm.hpp>

#include <cmath>

namespace plimsa {

/// sRGB transfer function (IEC 61966-2-1), per channel; values in [0, 1].
inline float srgbToLinear(float c) {
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}
inline float linearToSrgb(float c) {
    return c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
}
inline glm::vec3 srgbToLinear(const glm::vec3& c) { return {srgbToLinear(c.r), srgbToLinear(c.g), srgbToLinear(c.b)}; }

}  // namespace plimsa
