#include "platform/qt/QtCoordinates.h"

#include <QGuiApplication>
#include <QScreen>

namespace plimsa::qt_coordinates {

double primaryScreenHeight() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().height() : 0.0;
}

DesktopRect fromQt(const QRectF& rect) {
    return flippedRect({rect.x(), rect.y(), rect.width(), rect.height()}, primaryScreenHeight());
}

DesktopPoint fromQt(const QPointF& point) {
    return flippedPoint({point.x(), point.y()}, primaryScreenHeight());
}

QRectF toQt(const DesktopRect& rect) {
    const DesktopRect flipped = flippedRect(rect, primaryScreenHeight());
    return {flipped.x, flipped.y, flipped.width, flipped.height};
}

}  // namespace plimsa::qt_coordinates
