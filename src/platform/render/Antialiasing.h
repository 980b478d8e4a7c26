#pragma once

#include <string_view>

namespace plimsa {

/// How a frame's edges are smoothed: `samples` per pixel (multisampling, 1 = none), or with `smoothEdges`
/// a pass over the single-sampled frame that blends across the edges it finds (no extra samples are
/// shaded, so it is cheap where shading runs on the CPU).
struct Antialiasing {
    int samples = 1;
    bool smoothEdges = false;

    /// The overlays' choice for an OpenGL renderer (its GL_RENDERER string): 2x multisampling on GPUs;
    /// the edge pass on software rasterisers, where every extra sample costs as much as shading a pixel.
    static Antialiasing forRenderer(std::string_view glRenderer);

    bool operator==(const Antialiasing&) const = default;
};

}  // namespace plimsa
