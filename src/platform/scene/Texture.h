#pragma once

#include "platform/image/Image.h"

#include <cstdint>
#include <memory>
#include <string>

namespace plimsa {

/// An image used by materials (diffuse, normal map, multiply), shared by every material that shows it.
/// Holds a stable `identity` and a `revision` bumped by `setImage`, so renderers upload it once and
/// reuse the GPU copy across frames and materials. Rows top to bottom as in Image; colour images are
/// sRGB, normal maps are linear (the slot decides, not the texture).
/// Not thread-safe: one thread at a time, like the scene that uses it.
class Texture {
  public:
    static std::shared_ptr<Texture> make(Image image, std::string name = {});

    explicit Texture(Image image, std::string name = {});

    const Image& image() const { return image_; }
    void setImage(Image image);

    const std::string& name() const { return name_; }
    int width() const { return image_.width; }
    int height() const { return image_.height; }

    /// True when some pixel has alpha below 255 (computed once per revision).
    bool hasTransparency() const;

    uint64_t identity() const { return identity_; }
    uint64_t revision() const { return revision_; }

  private:
    Image image_;
    std::string name_;
    uint64_t identity_;
    uint64_t revision_ = 1;
    mutable int transparencyKnown_ = -1;  // -1 unknown, 0 opaque, 1 has transparency
};

}  // namespace plimsa
