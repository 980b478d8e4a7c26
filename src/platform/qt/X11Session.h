#pragma once

#include <string>

namespace plimsa::x11_session {

/// Points Qt at the X server before the application object exists: the xcb platform is chosen (under
/// Wayland this is XWayland). Returns the one line to print on stderr, or an empty string: a fatal
/// complaint when `fatal` comes back true (no DISPLAY, or the server cannot be reached), otherwise a
/// notice (under Wayland, windows of native Wayland clients cannot be seen) or nothing.
std::string prepare(bool& fatal);

}  // namespace plimsa::x11_session
