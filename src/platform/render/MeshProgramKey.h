#pragma once

#include <cstdint>
#include <string>

namespace plimsa {

/// Which variant of the mesh program a draw needs: the features compiled into it and the number of
/// directional lights. Plain value; usable as a map key through `bits()`.
struct MeshProgramKey {
    enum Feature : uint32_t {
        kSkinned = 1u << 0,
        kDiffuseMap = 1u << 1,
        kNormalMap = 1u << 2,
        kMultiplyMap = 1u << 3,
        kEmissionMap = 1u << 4,
        kAlphaCutoff = 1u << 5,
        kUnlit = 1u << 6,
        kEnvironment = 1u << 7,
    };

    uint32_t features = 0;
    uint32_t lightCount = 0;  // at most DrawList::kMaxDirectionalLights

    uint32_t bits() const { return features | (lightCount << 16); }

    /// The preprocessor lines that select this variant in the mesh shaders.
    std::string defines() const {
        static constexpr struct {
            Feature feature;
            const char* name;
        } kNames[] = {{kSkinned, "SKINNED"},        {kDiffuseMap, "DIFFUSE_MAP"}, {kNormalMap, "NORMAL_MAP"},
                      {kMultiplyMap, "MULTIPLY_MAP"}, {kEmissionMap, "EMISSION_MAP"}, {kAlphaCutoff, "ALPHA_CUTOFF"},
                      {kUnlit, "UNLIT"},            {kEnvironment, "ENVIRONMENT"}};
        std::string text;
        for (const auto& entry : kNames)
            if (features & entry.feature) text += std::string("#define ") + entry.name + " 1\n";
        return text + "#define LIGHT_COUNT " + std::to_string(lightCount) + "\n";
    }
};

}  // namespace plimsa
