#include "platform/scene/MaterialProperty.h"

namespace plimsa {

glm::mat3 MaterialProperty::uvTransform() const {
    const glm::mat4& m = contentsTransform;
    // Keep the x/y linear part and the translation: (u, v, 1) -> (u', v', 1).
    return glm::mat3(glm::vec3(m[0].x, m[0].y, 0.0f), glm::vec3(m[1].x, m[1].y, 0.0f),
                     glm::vec3(m[3].x, m[3].y, 1.0f));
}

}  // namespace plimsa
