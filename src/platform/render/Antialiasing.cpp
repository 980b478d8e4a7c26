#include "platform/render/Antialiasing.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace plimsa {

Antialiasing Antialiasing::forRenderer(std::string_view glRenderer) {
    std::string name(glRenderer);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    // Mesa's CPU rasterisers and the common software ones; anything else is taken for a GPU.
    static constexpr std::array kSoftware{
        "llvmpipe",          "softpipe",           "swrast", "swiftshader", "software rasterizer",
        "software renderer", "basic render driver"};
    for (const char* software : kSoftware)
        if (name.find(software) != std::string::npos) return {1, true};
    return {2, false};
}

}  // namespace plimsa
