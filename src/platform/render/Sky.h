#pragma once

#include <glm/vec3.hpp>

#include <array>
#include <vector>

namespace plimsa {

/// The parameters of the procedural daylight sky. Each is in [0, 1]:
/// `turbidity` maps to the Perez model's atmospheric turbidity 2 to 10 (haze; 0.6 is a bright, slightly
/// hazy day); `sunElevation` is the sun's height as a fraction of a right angle (0 horizon, 1 zenith);
/// `upperAtmosphereScattering` strengthens the forward-scattered glow around the sun; `groundAlbedo` is the
/// reflectance of the diffuse ground that fills the lower hemisphere.
struct SkyParameters {
    float turbidity = 0.6f;
    float sunElevation = 0.7f;
    float upperAtmosphereScattering = 0.2f;
    float groundAlbedo = 0.9f;
    int faceSize = 128;  // texels along a side of the sharpest cube level (at least 32)

    bool operator==(const SkyParameters&) const = default;
};

/// A daylight sky (Preetham/Perez model over a diffuse ground) prepared for image-based lighting only:
/// diffuse irradiance as nine spherical-harmonic coefficients and a specular cube map prefiltered for GGX
/// at several roughness levels. Radiance is linear sRGB, scaled so that a white diffuse surface facing up
/// receives a diffuse radiance of about 0.8 (so environment intensity 1 is a bright day, not HDR).
/// World frame: +Y up; the sun stands toward -X, +Z (front left, as the camera sees a scene).
///
/// Immutable after construction; read from any thread. `shared(parameters)` builds one sky per distinct
/// parameter set on first use (thread-safe; a second caller waits for the first) and keeps it to the end.
class Sky {
public:
    static constexpr int kLevelCount = 6;

    explicit Sky(const SkyParameters& parameters = {});
    static const Sky& shared(const SkyParameters& parameters = {});

    /// Sky radiance in the unit direction `direction` (the ground below the horizon).
    glm::vec3 radiance(glm::vec3 direction) const;
    /// Cosine-weighted irradiance over π (the radiance a white Lambertian surface with normal `normal`
    /// reflects), from the spherical-harmonic fit.
    glm::vec3 diffuse(glm::vec3 normal) const;
    /// Nine coefficients c[i] such that diffuse(n) = sum c[i] * Y_i(n) with the real SH basis (band 0..2)
    /// as the renderer's shader evaluates it.
    const std::array<glm::vec3, 9>& diffuseCoefficients() const { return diffuseCoefficients_; }
    glm::vec3 sunDirection() const { return sunDirection_; }
    const SkyParameters& parameters() const { return parameters_; }

    /// Prefiltered cube level `level` (0 sharpest): 6 faces in OpenGL order (+X, -X, +Y, -Y, +Z, -Z), each
    /// faceSize(level)^2 texels of RGB floats, rows in increasing t.
    const std::vector<float>& level(int level) const { return levels_[static_cast<size_t>(level)]; }
    int faceSize(int level) const;
    /// The GGX roughness that level `level` is filtered for (linear from 0 to 1 over the levels).
    static float levelRoughness(int level) { return static_cast<float>(level) / (kLevelCount - 1); }

private:
    void buildBase(int faceSize);
    void fitDiffuse();
    void prefilter();

    SkyParameters parameters_;
    SkyParameters requested_;
    glm::vec3 sunDirection_{0.0f, 1.0f, 0.0f};
    glm::vec3 zenith_{0.0f};                // zenith Y, x, y of the Perez model
    std::array<float, 5> perezY_{}, perezX_{}, perezChromaY_{};
    float scale_ = 1.0f;                    // brings the model's kcd/m^2 to the stated exposure
    glm::vec3 groundRadiance_{0.0f};
    std::array<glm::vec3, 9> diffuseCoefficients_{};
    std::array<std::vector<float>, kLevelCount> levels_;
    int baseSize_ = 0;
};

}  // namespace plimsa
