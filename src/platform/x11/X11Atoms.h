#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <array>
#include <cstddef>
#include <optional>

namespace plimsa::x11 {

/// The per-window properties the window list reads, each one bit of a window's dirty mask.
enum class WindowProperty : size_t {
    pid,
    wmClass,
    type,
    state,
    desktop,
    opacity,
    frameExtents,
    gtkFrameExtents,
    clientLeader,
    transientFor,
};
inline constexpr size_t kWindowPropertyCount = 10;

/// The atoms of one display: EWMH's set plus the few the window list needs beyond it. Owns the xcb-ewmh
/// state. Interned once, when the connection is made; main thread.
class X11Atoms {
  public:
    /// Interns every atom (one round trip). Nothing when the connection fails meanwhile.
    static std::optional<X11Atoms> intern(xcb_connection_t* connection);
    X11Atoms(X11Atoms&& other) noexcept;
    X11Atoms& operator=(X11Atoms&&) = delete;
    X11Atoms(const X11Atoms&) = delete;
    X11Atoms& operator=(const X11Atoms&) = delete;
    ~X11Atoms();

    const xcb_ewmh_connection_t& ewmh() const { return ewmh_; }
    xcb_atom_t windowProperty(WindowProperty property) const {
        return windowProperties_[static_cast<size_t>(property)];
    }
    /// Which per-window property `atom` names; nothing for any other atom.
    std::optional<WindowProperty> windowPropertyNamed(xcb_atom_t atom) const;

  private:
    X11Atoms() = default;

    xcb_ewmh_connection_t ewmh_{};
    bool ownsEwmh_ = false;
    std::array<xcb_atom_t, kWindowPropertyCount> windowProperties_{};
};

}  // namespace plimsa::x11
