#pragma once

#include <QWindow>

namespace plimsa::x11_overlay_hints {

/// Asks the window manager to show the mapped window `window` on every workspace and to leave it out of
/// task bars and pagers, with EWMH client messages sent over Qt's own X connection (so they follow the
/// map request in order). Does nothing on other platforms.
void apply(WId window);

}  // namespace plimsa::x11_overlay_hints
