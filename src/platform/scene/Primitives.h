#pragma once

#include <memory>

namespace plimsa {

class Geometry;

/// SceneKit's primitive shapes, centred on their origin, each with one triangle element, smooth normals,
/// SceneKit-style texture coordinates (u across, v downward) and one new default material.
/// Negative or non-finite sizes are treated as 0, segment counts are clamped to sensible minimums.
struct Primitives {
    /// Width along X, height along Y, length along Z; edges and corners rounded with `chamferRadius`
    /// (clamped to half the smallest side); each rounded edge gets `chamferSegments` segments, rounded up
    /// to an even count (half of every quarter circle belongs to each of the two faces it joins).
    /// Each face maps the whole texture, u to the right and v downward as seen from outside.
    static std::shared_ptr<Geometry> box(float width, float height, float length, float chamferRadius,
                                         int chamferSegments = 5);
    /// Axis along Y from -height/2 to +height/2, with caps.
    static std::shared_ptr<Geometry> cylinder(float radius, float height, int radialSegments = 48,
                                              int heightSegments = 1);
    /// Along Y: `topRadius` at +height/2, `bottomRadius` at -height/2; a cap where a radius is above 0.
    static std::shared_ptr<Geometry> cone(float topRadius, float bottomRadius, float height,
                                          int radialSegments = 48, int heightSegments = 1);
    /// UV sphere: `segments` around Y, segments/2 from pole to pole.
    static std::shared_ptr<Geometry> sphere(float radius, int segments = 48);
    /// A ring of `ringRadius` around the Y axis (in the X-Z plane) with a round pipe of `pipeRadius`.
    static std::shared_ptr<Geometry> torus(float ringRadius, float pipeRadius, int ringSegments = 48,
                                           int pipeSegments = 24);
    /// In the X-Y plane facing +Z: width along X, height along Y.
    static std::shared_ptr<Geometry> plane(float width, float height, int widthSegments = 1,
                                           int heightSegments = 1);
};

}  // namespace plimsa
