#pragma once

#include <string>

namespace plimsa {

/// A procedural sky cube texture used only as image-based lighting (ModelIO's MDLSkyCubeTexture): the
/// parameters a renderer needs to compute it. Renderers compute one sky per distinct description and share
/// it between scenes. Defaults are the values every scene of this program uses. Plain value.
struct SkyDescription {
    std::string name = "sky";
    bool halfFloatChannels = true;
    int faceSize = 128;  // texels along each side of a cube face
    float turbidity = 0.6f;
    float sunElevation = 0.7f;  // 0 = horizon, 1 = zenith (ModelIO's convention)
    float upperAtmosphereScattering = 0.2f;
    float groundAlbedo = 0.9f;

    bool operator==(const SkyDescription&) const = default;
};

}  // namespace plimsa
