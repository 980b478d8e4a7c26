#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/WindowList.h"
#include "platform/x11/X11Atoms.h"

namespace plimsa::x11 {

/// Left, right, top, bottom, in pixels (the order of _NET_FRAME_EXTENTS and _GTK_FRAME_EXTENTS).
using FrameExtents = std::array<uint32_t, 4>;

/// A window's outer rectangle in root coordinates, in pixels, border included.
struct PixelRect {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

/// What the window list knows of one client window, as last read from the display.
struct X11WindowRecord {
    static constexpr uint32_t kGeometryBit = 1u << kWindowPropertyCount;
    static constexpr uint32_t kAttributesBit = kGeometryBit << 1;
    static constexpr uint32_t kFrameBit = kGeometryBit << 2;
    static constexpr uint32_t kAllBits = (kFrameBit << 1) - 1;
    static constexpr uint32_t bitOf(WindowProperty property) { return 1u << static_cast<size_t>(property); }

    xcb_window_t id = XCB_NONE;
    /// The ancestor that is a child of the root (the window manager's frame, or the window itself).
    xcb_window_t frame = XCB_NONE;
    /// What must be read again before the record is used.
    uint32_t dirty = kAllBits;

    std::optional<int32_t> pid;
    std::optional<std::string> wmClass;
    std::vector<xcb_atom_t> types;
    std::vector<xcb_atom_t> states;
    std::optional<uint32_t> desktop;
    std::optional<uint32_t> opacity;
    std::optional<FrameExtents> frameExtents;
    std::optional<FrameExtents> gtkFrameExtents;
    xcb_window_t clientLeader = XCB_NONE;
    xcb_window_t transientFor = XCB_NONE;
    bool viewable = false;
    std::optional<PixelRect> geometry;

    /// Stores the value of `property` from a GetProperty reply (null: the property is unset).
    void store(WindowProperty property, const xcb_get_property_reply_t* reply);
};

/// Which stacking layer a window belongs to: 0 for ordinary application windows (normal and dialog
/// types, or none), negative below them (desktop, kept-below), positive above (docks, menus, tooltips,
/// notifications, splash screens, utilities, and windows both kept above and left out of the taskbar,
/// which is what overlays such as ours are). The first type the window lists that is known decides.
int layerOf(const X11WindowRecord& window, const xcb_ewmh_connection_t& ewmh);

/// Whether the window shows on the desktop `currentDesktop`: viewable, not minimised, and on that desktop
/// or on all of them. `currentDesktop` absent (no window manager says) accepts every desktop.
bool isShown(const X11WindowRecord& window, std::optional<uint32_t> currentDesktop,
             const xcb_ewmh_connection_t& ewmh);

/// The frame people see, in points: the outer rectangle grown by the window manager's decorations and
/// shrunk by client-side shadows, divided by `devicePixelRatio`.
std::optional<DesktopRect> visibleBounds(const X11WindowRecord& window, double devicePixelRatio);

/// The record as the window list reports it.
ListedWindow listedWindowOf(const X11WindowRecord& window, const xcb_ewmh_connection_t& ewmh,
                            double devicePixelRatio);

}  // namespace plimsa::x11
