#pragma once

#include <vector>

#include "platform/image/Image.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace plimsa {

/// A square or rectangular 2D drawing surface (Cairo ARGB32 underneath) for procedural textures:
/// paths, fills, strokes and gradients, turned into an `Image` at the end.
///
/// Coordinates are pixels. With `Origin::bottomLeft` y grows upward from the lower edge, the convention
/// the texture painters are written in; the flip happens here, once, so `toImage()` always returns rows
/// top to bottom. Paths use the current point like Cairo: `moveTo` starts a subpath, `fillPath` and
/// `strokePath` consume the path.
///
/// Failure: when no surface can be created (size below 1 or above `kMaxSide`, or out of memory) the
/// canvas is invalid, every drawing call does nothing, and `toImage()` returns a blank transparent image
/// of the requested size (clamped to [0, kMaxSide]).
/// Thread: a canvas belongs to one thread at a time; separate canvases may draw concurrently.
class Canvas {
  public:
    static constexpr int kMaxSide = 8192;

    enum class Origin { topLeft, bottomLeft };
    enum class FillRule { nonZero, evenOdd };

    /// Straight (not premultiplied) sRGB colour, components in [0, 1].
    struct Color {
        double r = 0, g = 0, b = 0, a = 1;
    };

    struct GradientStop {
        double offset = 0;  // 0 at the gradient's start, 1 at its end
        Color color;
    };

    /// A transparent canvas.
    Canvas(int width, int height, Origin origin = Origin::topLeft);
    ~Canvas();
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool isValid() const { return context_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }

    /// Covers the whole canvas with `color`, replacing what was there (alpha included).
    void fill(Color color);
    void fillRect(double x, double y, double w, double h, Color color);

    void moveTo(double x, double y);
    void lineTo(double x, double y);
    /// Quadratic Bezier from the current point through control (cx, cy) to (x, y).
    void quadTo(double cx, double cy, double x, double y);
    void curveTo(double c1x, double c1y, double c2x, double c2y, double x, double y);
    void closePath();

    void fillPath(Color color, FillRule rule = FillRule::nonZero);
    /// Strokes with butt caps and mitred joins (miter limit 10); widths in pixels.
    void strokePath(Color color, double lineWidth);
    /// Fills the path with a linear gradient from (x0, y0) to (x1, y1).
    void fillPathLinear(double x0, double y0, double x1, double y1, const std::vector<GradientStop>& stops,
                        FillRule rule = FillRule::nonZero);
    /// Fills the path with a radial gradient from the centre (cx, cy) out to `radius`.
    void fillPathRadial(double cx, double cy, double radius, const std::vector<GradientStop>& stops,
                        FillRule rule = FillRule::nonZero);

    /// The drawing as 8-bit premultiplied RGBA, rows top to bottom.
    Image toImage() const;

  private:
    void applyFillRule(FillRule rule);
    void release();

    int width_ = 0;
    int height_ = 0;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* context_ = nullptr;
};

}  // namespace plimsa
