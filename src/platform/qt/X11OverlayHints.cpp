#include "platform/qt/X11OverlayHints.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <array>
#include <cstring>
#include <memory>

namespace plimsa::x11_overlay_hints {
namespace {

constexpr uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr uint32_t kStateAdd = 1;
constexpr uint32_t kSourceApplication = 1;

enum Atom { kDesktop, kState, kAbove, kSkipTaskbar, kSkipPager, kAtomCount };

std::array<xcb_atom_t, kAtomCount> internAtoms(xcb_connection_t* connection) {
    static constexpr std::array<const char*, kAtomCount> names{
        "_NET_WM_DESKTOP", "_NET_WM_STATE", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR",
        "_NET_WM_STATE_SKIP_PAGER"};
    std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies{};
    for (size_t i = 0; i < names.size(); ++i)
        cookies[i] = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
    std::array<xcb_atom_t, kAtomCount> atoms{};
    for (size_t i = 0; i < names.size(); ++i) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(connection, cookies[i], nullptr), &std::free);
        atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    return atoms;
}

void send(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
          std::array<uint32_t, 5> data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::memcpy(event.data.data32, data.data(), sizeof(event.data.data32));
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

}  // namespace

void apply(WId window) {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr || window == 0) return;
    xcb_connection_t* connection = x11->connection();
    // One connection per process (Qt's), so the atoms are looked up once.
    static const std::array<xcb_atom_t, kAtomCount> atoms = internAtoms(connection);
    if (atoms[kDesktop] == XCB_ATOM_NONE || atoms[kState] == XCB_ATOM_NONE) return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto id = static_cast<xcb_window_t>(window);
    send(connection, root, id, atoms[kDesktop], {kAllDesktops, kSourceApplication, 0, 0, 0});
    // Above as well: Qt writes it before mapping, but a window manager still withdrawing the previous
    // mapping can delete that property after Qt wrote it.
    send(connection, root, id, atoms[kState],
         {kStateAdd, atoms[kAbove], atoms[kSkipTaskbar], kSourceApplication, 0});
    send(connection, root, id, atoms[kState], {kStateAdd, atoms[kSkipPager], 0, kSourceApplication, 0});
    xcb_flush(connection);
}

}  // namespace plimsa::x11_overlay_hints
