#pragma once

#include "platform/render/ScreenRect.h"

#include <vector>

namespace plimsa {

/// The parts of a view that a frame's draws can touch, kept on a grid of square tiles: each added
/// rectangle marks the tiles it overlaps. A frame that draws a few thin things (chains, a figure) into a
/// large view then converts and filters only those tiles, not the box around all of them. Plain value.
class ScreenCover {
  public:
    static constexpr int kTile = 16;

    ScreenCover(int viewWidth, int viewHeight);

    void add(const ScreenRect& rect);
    /// The marked tiles as few rectangles, clipped to the view: runs of tiles along each row, with
    /// identical runs of consecutive rows joined. Empty when nothing was added.
    std::vector<ScreenRect> rects() const;

  private:
    int width_;
    int height_;
    int columns_;
    int rows_;
    std::vector<unsigned char> marked_;
};

}  // namespace plimsa
