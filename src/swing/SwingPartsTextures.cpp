#include <cmath>

#include "platform/image/Canvas.h"
#include "swing/Rand48.h"
#include "swing/SwingParts.h"

namespace plimsa::SwingParts {

namespace {

using Color = Canvas::Color;

constexpr int kLeafSize = 128;

Color grey(double g, double alpha = 1.0) {
    return {g, g, g, alpha};
}

void paintGrainStroke(Canvas& canvas, Rand48& random, int size) {
    const double y0 = random.next() * size;
    const double lineWidth = random.next() * 2.2 + 0.6;
    const double alpha = random.next() * 0.22 + 0.06;
    const double amplitude = random.next() * 9 + 2;
    const double frequency = random.next() * 0.012 + 0.004;
    const double phase = random.next() * 6.28;
    canvas.moveTo(0, y0 + amplitude * std::sin(phase));
    int x = 0;
    do {
        x += 8;
        canvas.lineTo(x, y0 + amplitude * std::sin(phase + frequency * x));
    } while (x < size);
    canvas.strokePath({0.3, 0.18, 0.09, alpha}, lineWidth);
}

void paintHighlight(Canvas& canvas, Rand48& random, int size) {
    const double y = random.next() * size;
    const double lineWidth = random.next() * 3 + 1;
    canvas.moveTo(0, y);
    canvas.lineTo(size, y + random.next() * 16 - 8);
    canvas.strokePath({0.95, 0.8, 0.58, 0.1}, lineWidth);
}

void paintVein(Canvas& canvas, Rand48& random, int size) {
    const double g = random.next() * 0.35 + 0.55;
    const Color color = grey(g, random.next() * 0.4 + 0.35);
    const double lineWidth = random.next() * 2.5 + 0.8;
    double x = random.next() * size;
    double y = random.next() * size;
    canvas.moveTo(x, y);
    for (int segment = 0; segment < 40; ++segment) {
        x += random.next() * 60 - 30;
        y += random.next() * 60 - 30;
        canvas.lineTo(x, y);
    }
    canvas.strokePath(color, lineWidth);
}

}  // namespace

Image woodImage(int size) {
    Canvas canvas(size, size, Canvas::Origin::bottomLeft);
    if (!canvas.isValid()) return canvas.toImage();
    canvas.fill({0.66, 0.46, 0.27, 1});
    Rand48 random(7);
    for (int stroke = 0; stroke < 420; ++stroke) paintGrainStroke(canvas, random, size);
    for (int stroke = 0; stroke < 160; ++stroke) paintHighlight(canvas, random, size);
    return canvas.toImage();
}

Image marbleImage(int size) {
    Canvas canvas(size, size, Canvas::Origin::bottomLeft);
    if (!canvas.isValid()) return canvas.toImage();
    canvas.fill(grey(0.08));
    Rand48 random(3);
    for (int vein = 0; vein < 26; ++vein) paintVein(canvas, random, size);
    return canvas.toImage();
}

Image leafImage() {
    Canvas canvas(kLeafSize, kLeafSize, Canvas::Origin::bottomLeft);
    canvas.moveTo(64, 4);
    canvas.quadTo(126, 64, 64, 124);
    canvas.quadTo(2, 64, 64, 4);
    canvas.fillPath({0.3, 0.58, 0.24, 1}, Canvas::FillRule::nonZero);
    canvas.moveTo(64, 6);
    canvas.lineTo(64, 122);
    canvas.strokePath({0.2, 0.42, 0.16, 1}, 3);
    return canvas.toImage();
}

}  // namespace plimsa::SwingParts
