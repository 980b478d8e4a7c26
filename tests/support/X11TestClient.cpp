#include "support/X11TestClient.h"

#include <xcb/xcb_icccm.h>

#include <cstdlib>

namespace plimsa::testing {

X11TestClient::X11TestClient(const std::string& display)
    : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    root_ = screen->root;
    visual_ = screen->root_visual;
}

X11TestClient::~X11TestClient() {
    xcb_disconnect(connection_);
}

xcb_window_t X11TestClient::create(const WindowSpec& spec) {
    const xcb_window_t window = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, static_cast<int16_t>(spec.x),
                      static_cast<int16_t>(spec.y), static_cast<uint16_t>(spec.width),
                      static_cast<uint16_t>(spec.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual_, 0,
                      nullptr);
    // A user-given position, so that the window manager puts the window where the test says.
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, spec.x, spec.y);
    xcb_icccm_set_wm_normal_hints(connection_, window, &hints);
    const std::string wmClass = "app" + std::to_string(spec.pid) + '\0' + "App" + std::to_string(spec.pid);
    xcb_icccm_set_wm_class(connection_, window, static_cast<uint32_t>(wmClass.size()), wmClass.data());
    if (spec.pid != 0) setCardinals(window, "_NET_WM_PID", {static_cast<uint32_t>(spec.pid)});
    setAtoms(window, "_NET_WM_WINDOW_TYPE", spec.types);
    setAtoms(window, "_NET_WM_STATE", spec.states);
    if (spec.desktop) setCardinals(window, "_NET_WM_DESKTOP", {*spec.desktop});
    if (spec.opacity) setCardinals(window, "_NET_WM_WINDOW_OPACITY", {*spec.opacity});
    if (!spec.gtkFrameExtents.empty()) setCardinals(window, "_GTK_FRAME_EXTENTS", spec.gtkFrameExtents);
    if (spec.transientFor != XCB_NONE) xcb_icccm_set_wm_transient_for(connection_, window, spec.transientFor);
    if (spec.mapped) xcb_map_window(connection_, window);
    xcb_flush(connection_);
    return window;
}

void X11TestClient::move(xcb_window_t window, int x, int y) {
    const uint32_t position[] = {static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
    xcb_flush(connection_);
}

void X11TestClient::ask(xcb_window_t window, const char* message, uint32_t first) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(message);
    event.data.data32[0] = first;
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
}

void X11TestClient::focus(xcb_window_t window) {
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_NONE, window, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

std::pair<int, int> X11TestClient::origin(xcb_window_t window) {
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr);
    const std::pair<int, int> point =
        reply ? std::pair<int, int>{reply->dst_x, reply->dst_y} : std::pair{0, 0};
    std::free(reply);
    return point;
}

xcb_atom_t X11TestClient::atom(const std::string& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.c_str()),
        nullptr);
    const xcb_atom_t value = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

void X11TestClient::setCardinals(xcb_window_t window, const char* name, const std::vector<uint32_t>& values) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom(name), XCB_ATOM_CARDINAL, 32,
                        static_cast<uint32_t>(values.size()), values.data());
}

void X11TestClient::setAtoms(xcb_window_t window, const char* name, const std::vector<std::string>& names) {
    if (names.empty()) return;
    std::vector<xcb_atom_t> atoms;
    for (const std::string& each : names) atoms.push_back(atom(each));
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom(name), XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(atoms.size()), atoms.data());
}

}  // namespace plimsa::testing
