#pragma once

#include "platform/scene/Texture.h"

#include <glm/glm.hpp>

#include <memory>

namespace plimsa {

/// How texture coordinates outside [0, 1] are treated.
enum class WrapMode { clamp, repeat, mirror };

/// One visual property of a material (diffuse, normal, multiply, emission), SceneKit's
/// SCNMaterialProperty: either a colour or an image. When `image` is set it replaces `color`.
/// `color` is RGBA in sRGB with straight (not premultiplied) alpha.
/// `contentsTransform` maps the geometry's texture coordinates (u, v, 0, 1) before sampling: a scale of
/// (W, 0.36, 1) with `wrapS`/`wrapT` repeat tiles the image W times along u. Plain value.
struct MaterialProperty {
    glm::vec4 color{1.0f};
    std::shared_ptr<Texture> image;
    glm::mat4 contentsTransform{1.0f};
    WrapMode wrapS = WrapMode::clamp;
    WrapMode wrapT = WrapMode::clamp;

    bool hasImage() const { return image != nullptr && !image->image().isEmpty(); }
    /// The 3x3 matrix a shader applies to (u, v, 1): contentsTransform's x, y and translation parts.
    glm::mat3 uvTransform() const;

    bool operator==(const MaterialProperty&) const = default;
};

}  // namespace plimsa
