#include "platform/render/Sky.h"

#include "platform/render/CubeMap.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

namespace plimsa {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kUpDiffuse = 0.8f;  // target diffuse radiance of a white surface facing up
constexpr int kPrefilterSamples = 32;

std::array<float, 5> perezCoefficients(float t, const float (&slope)[5], const float (&offset)[5]) {
    std::array<float, 5> result{};
    for (size_t i = 0; i < 5; ++i) result[i] = slope[i] * t + offset[i];
    return result;
}

float perez(const std::array<float, 5>& c, float cosTheta, float gamma) {
    const float cosGamma = std::cos(gamma);
    return (1.0f + c[0] * std::exp(c[1] / std::max(cosTheta, 0.01f))) *
           (1.0f + c[2] * std::exp(c[3] * gamma) + c[4] * cosGamma * cosGamma);
}

float zenithChroma(float t, float theta, const float (&a)[4], const float (&b)[4], const float (&c)[4]) {
    const float t3 = theta * theta * theta, t2 = theta * theta;
    return t * t * (a[0] * t3 + a[1] * t2 + a[2] * theta + a[3]) + t * (b[0] * t3 + b[1] * t2 + b[2] * theta + b[3]) +
           (c[0] * t3 + c[1] * t2 + c[2] * theta + c[3]);
}

glm::vec3 xyYToLinearSrgb(float x, float y, float luminance) {
    const float bigX = x / y * luminance;
    const float bigZ = (1.0f - x - y) / y * luminance;
    return {3.2406f * bigX - 1.5372f * luminance - 0.4986f * bigZ,
            -0.9689f * bigX + 1.8758f * luminance + 0.0415f * bigZ,
            0.0557f * bigX - 0.2040f * luminance + 1.0570f * bigZ};
}

std::array<float, 9> shBasis(glm::vec3 d) {
    return {0.282095f,
            0.488603f * d.y,
            0.488603f * d.z,
            0.488603f * d.x,
            1.092548f * d.x * d.y,
            1.092548f * d.y * d.z,
            0.315392f * (3.0f * d.z * d.z - 1.0f),
            1.092548f * d.x * d.z,
            0.546274f * (d.x * d.x - d.y * d.y)};
}

float radicalInverse(uint32_t bits) {
    bits = (bits << 16u) | (bits >> 16u);
    bits = ((bits & 0x55555555u) << 1u) | ((bits & 0xAAAAAAAAu) >> 1u);
    bits = ((bits & 0x33333333u) << 2u) | ((bits & 0xCCCCCCCCu) >> 2u);
    bits = ((bits & 0x0F0F0F0Fu) << 4u) | ((bits & 0xF0F0F0F0u) >> 4u);
    bits = ((bits & 0x00FF00FFu) << 8u) | ((bits & 0xFF00FF00u) >> 8u);
    return static_cast<float>(bits) * 2.3283064365386963e-10f;
}

}  // namespace

Sky::Sky(const SkyParameters& requested) : parameters_(requested), requested_(requested) {
    auto unit = [](float value, float fallback) { return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : fallback; };
    const SkyParameters defaults;
    parameters_.turbidity = unit(requested.turbidity, defaults.turbidity);
    parameters_.sunElevation = unit(requested.sunElevation, defaults.sunElevation);
    parameters_.upperAtmosphereScattering = unit(requested.upperAtmosphereScattering, defaults.upperAtmosphereScattering);
    parameters_.groundAlbedo = unit(requested.groundAlbedo, defaults.groundAlbedo);
    const SkyParameters& parameters = parameters_;
    const float elevation = parameters.sunElevation * kPi / 2.0f;
    const glm::vec3 azimuth = glm::normalize(glm::vec3(-0.45f, 0.0f, 0.9f));
    sunDirection_ = glm::normalize(azimuth * std::cos(elevation) + glm::vec3(0, std::sin(elevation), 0));

    const float t = 2.0f + 8.0f * parameters.turbidity;
    perezY_ = perezCoefficients(t, {0.1787f, -0.3554f, -0.0227f, 0.1206f, -0.0670f},
                                {-1.4630f, 0.4275f, 5.3251f, -2.5771f, 0.3703f});
    perezX_ = perezCoefficients(t, {-0.0193f, -0.0665f, -0.0004f, -0.0641f, -0.0033f},
                                {-0.2592f, 0.0008f, 0.2125f, -0.8989f, 0.0452f});
    perezChromaY_ = perezCoefficients(t, {-0.0167f, -0.0950f, -0.0079f, -0.0441f, -0.0109f},
                                      {-0.2608f, 0.0092f, 0.2102f, -1.6537f, 0.0529f});
    const float thetaSun = kPi / 2.0f - elevation;
    const float chi = (4.0f / 9.0f - t / 120.0f) * (kPi - 2.0f * thetaSun);
    zenith_.x = (4.0453f * t - 4.9710f) * std::tan(chi) - 0.2155f * t + 2.4192f;
    zenith_.y = zenithChroma(t, thetaSun, {0.00166f, -0.00375f, 0.00209f, 0.0f},
                             {-0.02903f, 0.06377f, -0.03202f, 0.00394f}, {0.11693f, -0.21196f, 0.06052f, 0.25886f});
    zenith_.z = zenithChroma(t, thetaSun, {0.00275f, -0.00610f, 0.00317f, 0.0f},
                             {-0.04214f, 0.08970f, -0.04153f, 0.00516f}, {0.15346f, -0.26756f, 0.06670f, 0.26688f});

    int size = 32;  // a power of two, so that every prefiltered level halves exactly
    while (size < parameters.faceSize && size < 512) size *= 2;
    parameters_.faceSize = size;
    buildBase(size);
    fitDiffuse();
    prefilter();
}

const Sky& Sky::shared(const SkyParameters& parameters) {
    static std::mutex mutex;
    static std::vector<std::unique_ptr<Sky>> skies;
    std::lock_guard<std::mutex> lock(mutex);
    for (const std::unique_ptr<Sky>& sky : skies)
        if (sky->requested_ == parameters) return *sky;
    skies.push_back(std::make_unique<Sky>(parameters));
    return *skies.back();
}

glm::vec3 Sky::radiance(glm::vec3 direction) const {
    direction = glm::normalize(direction);
    auto skyAt = [&](glm::vec3 d) {
        const float cosTheta = std::max(d.y, 0.0f);
        const float gamma = std::acos(std::clamp(glm::dot(d, sunDirection_), -1.0f, 1.0f));
        const float thetaSun = std::acos(sunDirection_.y);
        const float luminance = zenith_.x * perez(perezY_, cosTheta, gamma) / perez(perezY_, 1.0f, thetaSun);
        const float x = zenith_.y * perez(perezX_, cosTheta, gamma) / perez(perezX_, 1.0f, thetaSun);
        const float y = zenith_.z * perez(perezChromaY_, cosTheta, gamma) / perez(perezChromaY_, 1.0f, thetaSun);
        // Forward scattering high in the atmosphere: a soft glow around the sun.
        const float glow = 1.0f + 4.0f * parameters_.upperAtmosphereScattering * std::exp(-gamma / 0.12f);
        return glm::max(xyYToLinearSrgb(x, y, luminance * glow), glm::vec3(0.0f)) * scale_;
    };
    constexpr float kBlend = 0.03f;  // soften the horizon over a couple of degrees
    if (direction.y >= 0.0f) return skyAt(direction);
    const float s = std::min(-direction.y / kBlend, 1.0f);
    const glm::vec3 horizon = skyAt(glm::normalize(glm::vec3(direction.x, 0.0f, direction.z) + glm::vec3(0, 1e-4f, 0)));
    return horizon * (1.0f - s) + groundRadiance_ * s;
}

void Sky::buildBase(int faceSize) {
    // Exposure: integrate the unscaled sky over the upper hemisphere, cosine weighted.
    scale_ = 1.0f;
    glm::vec3 upIrradiance(0.0f);
    constexpr int kSteps = 48;
    for (int i = 0; i < kSteps; ++i) {
        for (int j = 0; j < kSteps * 4; ++j) {
            const float theta = (i + 0.5f) / kSteps * kPi / 2.0f;
            const float phi = (j + 0.5f) / (kSteps * 4) * 2.0f * kPi;
            const glm::vec3 d(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
            const float solidAngle = std::sin(theta) * (kPi / 2.0f / kSteps) * (2.0f * kPi / (kSteps * 4));
            upIrradiance += radiance(d) * d.y * solidAngle;
        }
    }
    const float upDiffuse = (upIrradiance.r * 0.2126f + upIrradiance.g * 0.7152f + upIrradiance.b * 0.0722f) / kPi;
    scale_ = upDiffuse > 0.0f ? kUpDiffuse / upDiffuse : 1.0f;
    groundRadiance_ = upIrradiance * scale_ / kPi * parameters_.groundAlbedo;

    baseSize_ = faceSize;
    std::vector<float>& base = levels_[0];
    base.resize(static_cast<size_t>(6) * faceSize * faceSize * 3);
    for (int face = 0; face < 6; ++face)
        for (int row = 0; row < faceSize; ++row)
            for (int column = 0; column < faceSize; ++column) {
                const glm::vec3 value = radiance(CubeMap::texelDirection(face, column, row, faceSize));
                float* out = &base[CubeMap::texelIndex(face, column, row, faceSize) * 3];
                out[0] = value.r, out[1] = value.g, out[2] = value.b;
            }
}

void Sky::fitDiffuse() {
    std::array<glm::vec3, 9> projection{};
    const std::vector<float>& base = levels_[0];
    for (int face = 0; face < 6; ++face)
        for (int row = 0; row < baseSize_; ++row)
            for (int column = 0; column < baseSize_; ++column) {
                const glm::vec3 d = CubeMap::texelDirection(face, column, row, baseSize_);
                const float weight = CubeMap::texelSolidAngle(column, row, baseSize_);
                const float* value = &base[CubeMap::texelIndex(face, column, row, baseSize_) * 3];
                const std::array<float, 9> y = shBasis(d);
                for (size_t i = 0; i < 9; ++i) projection[i] += glm::vec3(value[0], value[1], value[2]) * y[i] * weight;
            }
    // Convolution with the clamped cosine (Ramamoorthi & Hanrahan), divided by π for a Lambertian surface.
    const float band[3] = {1.0f, 2.0f / 3.0f, 0.25f};
    for (size_t i = 0; i < 9; ++i) diffuseCoefficients_[i] = projection[i] * band[i == 0 ? 0 : (i < 4 ? 1 : 2)];
}

glm::vec3 Sky::diffuse(glm::vec3 normal) const {
    const std::array<float, 9> y = shBasis(glm::normalize(normal));
    glm::vec3 sum(0.0f);
    for (size_t i = 0; i < 9; ++i) sum += diffuseCoefficients_[i] * y[i];
    return glm::max(sum, glm::vec3(0.0f));
}

int Sky::faceSize(int level) const { return std::max(baseSize_ >> level, 1); }

namespace {

struct LobeSample {
    glm::vec3 direction;  // light direction in the frame (tangent, bitangent, normal)
    float weight;         // n·l
    float lod;            // source level whose texels match the sample's solid angle
};

// GGX importance samples with the view along the normal (the split-sum assumption), the same for every
// texel of a level; each texel only rotates them into its own frame.
std::vector<LobeSample> lobeSamples(float alpha, float texelSolidAngle) {
    std::vector<LobeSample> samples;
    for (int i = 0; i < kPrefilterSamples; ++i) {
        const float u = (i + 0.5f) / kPrefilterSamples, v = radicalInverse(static_cast<uint32_t>(i));
        const float phi = 2.0f * kPi * v;
        const float cosH = std::sqrt((1.0f - u) / (1.0f + (alpha * alpha - 1.0f) * u));
        const float sinH = std::sqrt(1.0f - cosH * cosH);
        const glm::vec3 h(sinH * std::cos(phi), sinH * std::sin(phi), cosH);
        const glm::vec3 l = 2.0f * h.z * h - glm::vec3(0.0f, 0.0f, 1.0f);
        if (l.z <= 0.0f) continue;
        const float denominator = cosH * cosH * (alpha * alpha - 1.0f) + 1.0f;
        const float pdf = alpha * alpha / (kPi * denominator * denominator) / 4.0f;
        const float sampleSolidAngle = 1.0f / (kPrefilterSamples * pdf + 1e-6f);
        // Whole levels: one bilinear lookup per sample; the lod bias of +1 already blurs enough.
        const float lod = std::round(std::max(0.5f * std::log2(sampleSolidAngle / texelSolidAngle) + 1.0f, 0.0f));
        samples.push_back({l, l.z, lod});
    }
    return samples;
}

}  // namespace

void Sky::prefilter() {
    const CubeMap source(levels_[0], baseSize_);
    const float texelSolidAngle = 4.0f * kPi / (6.0f * baseSize_ * baseSize_);
    for (int level = 1; level < kLevelCount; ++level) {
        const float alpha = levelRoughness(level) * levelRoughness(level);
        const std::vector<LobeSample> samples = lobeSamples(alpha, texelSolidAngle);
        const int size = faceSize(level);
        std::vector<float>& out = levels_[static_cast<size_t>(level)];
        out.assign(static_cast<size_t>(6) * size * size * 3, 0.0f);
        for (int face = 0; face < 6; ++face)
            for (int row = 0; row < size; ++row)
                for (int column = 0; column < size; ++column) {
                    const glm::vec3 n = CubeMap::texelDirection(face, column, row, size);
                    const glm::vec3 up = std::abs(n.y) < 0.999f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
                    const glm::vec3 tangent = glm::normalize(glm::cross(up, n));
                    const glm::vec3 bitangent = glm::cross(n, tangent);
                    glm::vec3 sum(0.0f);
                    float weight = 0.0f;
                    for (const LobeSample& sample : samples) {
                        const glm::vec3 l = tangent * sample.direction.x + bitangent * sample.direction.y + n * sample.direction.z;
                        sum += source.sample(l, sample.lod) * sample.weight;
                        weight += sample.weight;
                    }
                    const glm::vec3 value = weight > 0.0f ? sum / weight : glm::vec3(0.0f);
                    float* texel = &out[CubeMap::texelIndex(face, column, row, size) * 3];
                    texel[0] = value.r, texel[1] = value.g, texel[2] = value.b;
                }
    }
}

}  // namespace plimsa
