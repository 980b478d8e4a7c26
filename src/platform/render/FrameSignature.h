#pragma once

#include "platform/render/Antialiasing.h"

#include <cstdint>
#include <vector>

namespace plimsa {

class Node;
class Scene;
struct DrawList;

/// Everything one frame's pixels depend on, recorded exactly: the frame's size and samples, the
/// background, the camera, the lights and sky, and for every draw its geometry, element, material and
/// textures (identity and revision) with its transform or joint palette. Two frames with equal signatures
/// draw the same image, so a view that still shows the first need not draw the second. Pure CPU work, no
/// GL; the scene's thread. A default-made signature matches no frame.
class FrameSignature {
  public:
    FrameSignature() = default;

    /// The signature of `scene` seen from `pointOfView` into a `width` x `height` frame of `samples`.
    static FrameSignature of(const Scene& scene, const Node& pointOfView, int width, int height, int samples);
    static FrameSignature of(const Scene& scene, const Node& pointOfView, int width, int height,
                             Antialiasing antialiasing);
    /// The same from a draw list already gathered for that point of view.
    static FrameSignature of(const DrawList& list, const Scene& scene, const Node& pointOfView, int width,
                             int height, Antialiasing antialiasing);

    bool isEmpty() const { return words_.empty(); }
    /// Makes this signature match no frame (after a window lost its contents, say).
    void clear() { words_.clear(); }

    bool operator==(const FrameSignature&) const = default;

  private:
    std::vector<uint32_t> words_;
};

}  // namespace plimsa
