#include "platform/render/ScreenCover.h"

#include <algorithm>
#include <tuple>

namespace plimsa {

ScreenCover::ScreenCover(int viewWidth, int viewHeight)
    : width_(std::max(viewWidth, 0)),
      height_(std::max(viewHeight, 0)),
      columns_((width_ + kTile - 1) / kTile),
      rows_((height_ + kTile - 1) / kTile),
      marked_(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), 0) {}

void ScreenCover::add(const ScreenRect& rect) {
    const ScreenRect inside = ScreenRect::clipped(rect, width_, height_);
    if (inside.isEmpty()) return;
    const int x0 = inside.x, y0 = inside.y, x1 = inside.x + inside.width, y1 = inside.y + inside.height;
    for (int row = y0 / kTile; row <= (y1 - 1) / kTile; ++row)
        std::fill_n(marked_.begin() + row * columns_ + x0 / kTile, (x1 - 1) / kTile - x0 / kTile + 1, 1);
}

std::vector<ScreenRect> ScreenCover::rects() const {
    std::vector<ScreenRect> result;
    std::vector<ScreenRect> previousRow;  // the runs of the row below, still open for joining
    for (int row = 0; row < rows_; ++row) {
        std::vector<ScreenRect> runs;
        for (int column = 0; column < columns_;) {
            if (!marked_[row * columns_ + column]) {
                ++column;
                continue;
            }
            const int first = column;
            while (column < columns_ && marked_[row * columns_ + column]) ++column;
            const int y = row * kTile;
            runs.push_back({first * kTile, y, std::min(column * kTile, width_) - first * kTile,
                            std::min(y + kTile, height_) - y});
        }
        // Rows with the same runs as the row below extend those rectangles upward.
        const bool same =
            runs.size() == previousRow.size() &&
            std::equal(runs.begin(), runs.end(), previousRow.begin(), [](const auto& a, const auto& b) {
                return std::tie(a.x, a.width) == std::tie(b.x, b.width);
            });
        if (same) {
            for (ScreenRect& open : previousRow) open.height += runs.front().height;
        } else {
            result.insert(result.end(), previousRow.begin(), previousRow.end());
            previousRow = std::move(runs);
        }
    }
    result.insert(result.end(), previousRow.begin(), previousRow.end());
    return result;
}

}  // namespace plimsa
