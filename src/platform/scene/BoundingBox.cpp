#include "platform/scene/BoundingBox.h"

namespace plimsa {

BoundingBox BoundingBox::transformed(const glm::mat4& transform) const {
    BoundingBox result;
    if (isEmpty()) {
        return result;
    }
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p((corner & 1) ? max.x : min.x, (corner & 2) ? max.y : min.y,
                          (corner & 4) ? max.z : min.z);
        result.add(glm::vec3(transform * glm::vec4(p, 1.0f)));
    }
    return result;
}

}  // namespace plimsa
