#pragma once

#include <QPointF>
#include <QRectF>

#include "platform/desktop/DesktopGeometry.h"

namespace plimsa::qt_coordinates {

/// The one place where Qt's logical coordinates (origin at the top left of the primary screen, y down,
/// device-independent pixels) meet ours (points, origin at the bottom left of the primary screen, y up).
/// Both flip around the primary screen's height; with no screen the height is 0.
double primaryScreenHeight();

DesktopRect fromQt(const QRectF& rect);
DesktopPoint fromQt(const QPointF& point);
QRectF toQt(const DesktopRect& rect);

}  // namespace plimsa::qt_coordinates
