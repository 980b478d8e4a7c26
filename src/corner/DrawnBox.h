#pragma once

#include "platform/scene/BoundingBox.h"

namespace plimsa {

class Node;

/// The box around everything drawn under a node tree, as it is drawn now: a skinned mesh's vertices
/// placed by their bones (its own node's transform does not apply, as in the renderer), any other mesh's
/// vertices through its node's world transform. Hidden subtrees are left out.
///
/// Costs one pass over the vertices, so it is for occasional measures (a fit at load), not every frame.
/// Same thread as the scene. Never fails: empty when nothing is drawn; non-finite vertices are skipped.
class DrawnBox {
  public:
    /// The drawn box of `tree` (itself included) in `frame`'s coordinates.
    static BoundingBox of(const Node& tree, const Node& frame);
};

}  // namespace plimsa
