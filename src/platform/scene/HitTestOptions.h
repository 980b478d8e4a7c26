#pragma once

namespace plimsa {

/// How ViewProjector::hitTest decides that a node is under a point.
struct HitTestOptions {
    /// True: the view ray only has to cross the node's bounding box (cheap, generous; SceneKit's
    /// boundingBoxOnly). False: the bounding box first, then the triangles themselves (skinned meshes in
    /// their current pose), either side of a face; empty space around a posed character is not a hit.
    bool boundingBoxOnly = true;
};

}  // namespace plimsa
