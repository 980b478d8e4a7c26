#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plimsa::testing {

/// A window as an application would make it: its EWMH and ICCCM properties and where it asks to be.
struct WindowSpec {
    int32_t pid = 0;  // 0: no _NET_WM_PID
    std::vector<std::string> types{};
    std::vector<std::string> states{};
    std::optional<uint32_t> desktop{};
    std::optional<uint32_t> opacity{};
    std::vector<uint32_t> gtkFrameExtents{};
    xcb_window_t transientFor = XCB_NONE;
    int x = 100, y = 150, width = 400, height = 300;
    bool mapped = true;
};

/// An application on an X display (a connection of its own): makes windows and asks the window manager
/// for things. Its WM_CLASS is "app<pid>", "App<pid>". Test thread only.
class X11TestClient {
  public:
    explicit X11TestClient(const std::string& display);
    ~X11TestClient();
    X11TestClient(const X11TestClient&) = delete;
    X11TestClient& operator=(const X11TestClient&) = delete;

    xcb_window_t create(const WindowSpec& spec);
    /// Asks for the window to move (the window manager decides; see `origin`).
    void move(xcb_window_t window, int x, int y);
    /// Sends the window manager a client message about `window`, as a pager would: _NET_ACTIVE_WINDOW
    /// with source 2 activates it, WM_CHANGE_STATE with 3 (iconic) minimises it.
    void ask(xcb_window_t window, const char* message, uint32_t first);
    /// Gives `window` the input focus, and waits until the server has done so.
    void focus(xcb_window_t window);
    /// Where the window's client area lies on the root, in pixels.
    std::pair<int, int> origin(xcb_window_t window);

  private:
    xcb_atom_t atom(const std::string& name);
    void setCardinals(xcb_window_t window, const char* name, const std::vector<uint32_t>& values);
    void setAtoms(xcb_window_t window, const char* name, const std::vector<std::string>& names);

    xcb_connection_t* connection_;
    xcb_window_t root_ = XCB_NONE;
    xcb_visualid_t visual_ = 0;
};

}  // namespace plimsa::testing
