#pragma once

#include <string_view>

namespace plimsa {

/// GLSL 3.30 sources of the renderer's programs (without the version line; ShaderProgram adds it).
struct ShaderSources {
    /// Mesh vertex stage; define SKINNED for the joint-palette variant.
    static std::string_view meshVertex();
    /// Metallic-roughness PBR with directional, ambient and image-based light; writes linear
    /// premultiplied colour.
    static std::string_view meshFragment();
    /// A full-screen triangle without vertex buffers.
    static std::string_view fullScreenVertex();
    /// Rectangles of the target given as triangles with corners in pixels (aPixel, location 0).
    static std::string_view regionVertex();
    /// Converts the resolved linear premultiplied frame into premultiplied sRGB, optionally flipping rows;
    /// define SMOOTH_EDGES to blend across the edges it finds on the way.
    static std::string_view presentFragment();
};

}  // namespace plimsa
