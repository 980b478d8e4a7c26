#include "platform/qt/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/qt/QtCoordinates.h"

namespace plimsa {

std::optional<Screens::Rect> QtScreens::mainScreenFrame() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || screen->geometry().isEmpty()) return std::nullopt;
    return qt_coordinates::fromQt(QRectF(screen->geometry()));
}

std::optional<Screens::Rect> QtScreens::mainScreenVisibleFrame() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || screen->availableGeometry().isEmpty()) return std::nullopt;
    return qt_coordinates::fromQt(QRectF(screen->availableGeometry()));
}

}  // namespace plimsa
