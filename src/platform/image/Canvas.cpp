#include "platform/image/Canvas.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace plimsa {

namespace {

int clampSide(int side) {
    return std::clamp(side, 0, Canvas::kMaxSide);
}

void setSource(cairo_t* context, Canvas::Color color) {
    cairo_set_source_rgba(context, color.r, color.g, color.b, color.a);
}

void addStops(cairo_pattern_t* pattern, const std::vector<Canvas::GradientStop>& stops) {
    for (const auto& stop : stops)
        cairo_pattern_add_color_stop_rgba(pattern, stop.offset, stop.color.r, stop.color.g, stop.color.b,
                                          stop.color.a);
}

}  // namespace

Canvas::Canvas(int width, int height, Origin origin) : width_(clampSide(width)), height_(clampSide(height)) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return;
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
        release();
        return;
    }
    context_ = cairo_create(surface_);
    if (cairo_status(context_) != CAIRO_STATUS_SUCCESS) {
        release();
        return;
    }
    if (origin == Origin::bottomLeft) {
        cairo_matrix_t flip;
        cairo_matrix_init(&flip, 1, 0, 0, -1, 0, height_);
        cairo_set_matrix(context_, &flip);
    }
    cairo_set_line_join(context_, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(context_, 10.0);
    cairo_set_line_cap(context_, CAIRO_LINE_CAP_BUTT);
}

Canvas::~Canvas() {
    release();
}

Canvas::Canvas(Canvas&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      surface_(std::exchange(other.surface_, nullptr)),
      context_(std::exchange(other.context_, nullptr)) {}

Canvas& Canvas::operator=(Canvas&& other) noexcept {
    if (this != &other) {
        release();
        width_ = other.width_;
        height_ = other.height_;
        surface_ = std::exchange(other.surface_, nullptr);
        context_ = std::exchange(other.context_, nullptr);
    }
    return *this;
}

void Canvas::release() {
    if (context_) cairo_destroy(context_);
    if (surface_) cairo_surface_destroy(surface_);
    context_ = nullptr;
    surface_ = nullptr;
}

void Canvas::fill(Color color) {
    if (!context_) return;
    cairo_save(context_);
    cairo_set_operator(context_, CAIRO_OPERATOR_SOURCE);
    setSource(context_, color);
    cairo_paint(context_);
    cairo_restore(context_);
}

void Canvas::fillRect(double x, double y, double w, double h, Color color) {
    if (!context_) return;
    cairo_new_path(context_);
    cairo_rectangle(context_, x, y, w, h);
    setSource(context_, color);
    cairo_fill(context_);
}

void Canvas::moveTo(double x, double y) {
    if (context_) cairo_move_to(context_, x, y);
}

void Canvas::lineTo(double x, double y) {
    if (context_) cairo_line_to(context_, x, y);
}

void Canvas::quadTo(double cx, double cy, double x, double y) {
    if (!context_) return;
    double x0 = cx;
    double y0 = cy;
    if (cairo_has_current_point(context_)) cairo_get_current_point(context_, &x0, &y0);
    // A quadratic is the cubic whose controls lie two thirds of the way toward its control point.
    curveTo(x0 + 2.0 / 3.0 * (cx - x0), y0 + 2.0 / 3.0 * (cy - y0), x + 2.0 / 3.0 * (cx - x),
            y + 2.0 / 3.0 * (cy - y), x, y);
}

void Canvas::curveTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
    if (context_) cairo_curve_to(context_, c1x, c1y, c2x, c2y, x, y);
}

void Canvas::closePath() {
    if (context_) cairo_close_path(context_);
}

void Canvas::applyFillRule(FillRule rule) {
    cairo_set_fill_rule(context_,
                        rule == FillRule::nonZero ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
}

void Canvas::fillPath(Color color, FillRule rule) {
    if (!context_) return;
    applyFillRule(rule);
    setSource(context_, color);
    cairo_fill(context_);
}

void Canvas::strokePath(Color color, double lineWidth) {
    if (!context_) return;
    setSource(context_, color);
    cairo_set_line_width(context_, lineWidth);
    cairo_stroke(context_);
}

void Canvas::fillPathLinear(double x0, double y0, double x1, double y1,
                            const std::vector<GradientStop>& stops, FillRule rule) {
    if (!context_) return;
    cairo_pattern_t* pattern = cairo_pattern_create_linear(x0, y0, x1, y1);
    addStops(pattern, stops);
    applyFillRule(rule);
    cairo_set_source(context_, pattern);
    cairo_fill(context_);
    cairo_pattern_destroy(pattern);
}

void Canvas::fillPathRadial(double cx, double cy, double radius, const std::vector<GradientStop>& stops,
                            FillRule rule) {
    if (!context_) return;
    cairo_pattern_t* pattern = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius);
    addStops(pattern, stops);
    applyFillRule(rule);
    cairo_set_source(context_, pattern);
    cairo_fill(context_);
    cairo_pattern_destroy(pattern);
}

Image Canvas::toImage() const {
    Image image(width_, height_, true);
    if (!surface_) return image;
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    for (int y = 0; y < height_; ++y) {
        const unsigned char* row = data + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width_; ++x) {
            // ARGB32 is one native-endian 0xAARRGGBB word per pixel.
            uint32_t word;
            std::memcpy(&word, row + static_cast<size_t>(x) * 4, 4);
            uint8_t* out = image.pixel(x, y);
            out[0] = static_cast<uint8_t>(word >> 16);
            out[1] = static_cast<uint8_t>(word >> 8);
            out[2] = static_cast<uint8_t>(word);
            out[3] = static_cast<uint8_t>(word >> 24);
        }
    }
    return image;
}

}  // namespace plimsa
