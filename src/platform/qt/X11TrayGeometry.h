#pragma once

#include <QRectF>
#include <optional>

class QSystemTrayIcon;

namespace plimsa::x11_tray_geometry {

/// Where the X server shows `icon` once a tray host has docked it (XEmbed), in Qt's logical coordinates.
/// Waits up to half a second for the host to take it in; nothing when it does not, or off X11.
std::optional<QRectF> dockedFrame(const QSystemTrayIcon& icon);

}  // namespace plimsa::x11_tray_geometry
