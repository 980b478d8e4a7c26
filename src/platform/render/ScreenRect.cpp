#include "platform/render/ScreenRect.h"

#include "platform/scene/BoundingBox.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plimsa {

ScreenRect ScreenRect::clipped(const ScreenRect& rect, int viewWidth, int viewHeight) {
    const int x0 = std::max(rect.x, 0), y0 = std::max(rect.y, 0);
    const int x1 = std::min(rect.x + rect.width, viewWidth), y1 = std::min(rect.y + rect.height, viewHeight);
    if (x1 <= x0 || y1 <= y0) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

ScreenRect ScreenRect::covering(const BoundingBox& box, const glm::mat4& viewProjection, int viewWidth,
                                int viewHeight, int margin) {
    const ScreenRect whole{0, 0, viewWidth, viewHeight};
    if (box.isEmpty()) return {};
    glm::vec2 low(std::numeric_limits<float>::max()), high(std::numeric_limits<float>::lowest());
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p((corner & 1) ? box.max.x : box.min.x, (corner & 2) ? box.max.y : box.min.y,
                          (corner & 4) ? box.max.z : box.min.z);
        const glm::vec4 clip = viewProjection * glm::vec4(p, 1.0f);
        // A corner at or behind the eye projects nowhere sensible: fall back to the whole view.
        if (!(clip.w > 1e-6f) || !std::isfinite(clip.x + clip.y + clip.w)) return whole;
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        low = glm::min(low, ndc);
        high = glm::max(high, ndc);
    }
    const float left = (low.x * 0.5f + 0.5f) * viewWidth - margin,
                right = (high.x * 0.5f + 0.5f) * viewWidth + margin;
    const float bottom = (low.y * 0.5f + 0.5f) * viewHeight - margin,
                top = (high.y * 0.5f + 0.5f) * viewHeight + margin;
    if (!std::isfinite(left + right + bottom + top)) return whole;
    const int x0 = static_cast<int>(std::clamp(std::floor(left), 0.0f, static_cast<float>(viewWidth)));
    const int x1 = static_cast<int>(std::clamp(std::ceil(right), 0.0f, static_cast<float>(viewWidth)));
    const int y0 = static_cast<int>(std::clamp(std::floor(bottom), 0.0f, static_cast<float>(viewHeight)));
    const int y1 = static_cast<int>(std::clamp(std::ceil(top), 0.0f, static_cast<float>(viewHeight)));
    if (x1 <= x0 || y1 <= y0) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace plimsa
