#pragma once

#include <memory>

#include "platform/desktop/WindowList.h"

namespace plimsa {

/// The window list of an X11 display, read through EWMH and kept current from the display's events (a
/// connection of its own, so it never competes with the toolkit for events). Window geometry is turned
/// from pixels into points by dividing by `devicePixelRatio`.
///
/// Without a window manager, or one without EWMH, it falls back to the root window's children, every
/// mapped one treated as an ordinary window. Nothing here throws or aborts: a lost connection reads as an
/// empty list.
///
/// `display` is an X display name (":1"); null uses $DISPLAY. Null when no connection can be made.
std::unique_ptr<WindowList> createX11WindowList(const char* display = nullptr, double devicePixelRatio = 1.0);

}  // namespace plimsa
