#include "platform/qt/X11Session.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace plimsa::x11_session {
namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

bool canConnect() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

}  // namespace

std::string prepare(bool& fatal) {
    fatal = !isSet("DISPLAY") || !canConnect();
    if (fatal)
        return "plimsa: no X display (DISPLAY is unset or cannot be opened); the desktop app needs X11 or "
               "XWayland";
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (isSet("WAYLAND_DISPLAY"))
        return "plimsa: running through XWayland; swings that hang from windows only see X11 windows here";
    return {};
}

}  // namespace plimsa::x11_session
