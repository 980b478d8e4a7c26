#include "platform/x11/X11Atoms.h"

#include <cstring>
#include <utility>

#include "platform/x11/XcbReply.h"

namespace plimsa::x11 {

std::optional<X11Atoms> X11Atoms::intern(xcb_connection_t* connection) {
    static constexpr std::array<const char*, 3> kExtraNames{"_NET_WM_WINDOW_OPACITY", "_GTK_FRAME_EXTENTS",
                                                            "WM_CLIENT_LEADER"};
    std::array<xcb_intern_atom_cookie_t, kExtraNames.size()> extraCookies{};
    for (size_t i = 0; i < kExtraNames.size(); ++i)
        extraCookies[i] = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(kExtraNames[i])),
                                          kExtraNames[i]);
    X11Atoms atoms;
    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(connection, &atoms.ewmh_);
    std::array<xcb_atom_t, kExtraNames.size()> extra{};
    for (size_t i = 0; i < kExtraNames.size(); ++i) {
        auto reply = replyTo(connection, xcb_intern_atom_reply, extraCookies[i]);
        extra[i] = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }
    if (ewmhCookies == nullptr) return std::nullopt;
    xcb_generic_error_t* error = nullptr;
    const bool interned = xcb_ewmh_init_atoms_replies(&atoms.ewmh_, ewmhCookies, &error) != 0;
    std::free(error);
    if (!interned) return std::nullopt;
    atoms.ownsEwmh_ = true;
    if (extra[0] == XCB_ATOM_NONE || extra[1] == XCB_ATOM_NONE || extra[2] == XCB_ATOM_NONE)
        return std::nullopt;

    const xcb_ewmh_connection_t& e = atoms.ewmh_;
    atoms.windowProperties_ = {e._NET_WM_PID,
                               XCB_ATOM_WM_CLASS,
                               e._NET_WM_WINDOW_TYPE,
                               e._NET_WM_STATE,
                               e._NET_WM_DESKTOP,
                               extra[0],
                               e._NET_FRAME_EXTENTS,
                               extra[1],
                               extra[2],
                               XCB_ATOM_WM_TRANSIENT_FOR};
    return atoms;
}

X11Atoms::X11Atoms(X11Atoms&& other) noexcept
    : ewmh_(other.ewmh_),
      ownsEwmh_(std::exchange(other.ownsEwmh_, false)),
      windowProperties_(other.windowProperties_) {}

X11Atoms::~X11Atoms() {
    if (ownsEwmh_) xcb_ewmh_connection_wipe(&ewmh_);
}

std::optional<WindowProperty> X11Atoms::windowPropertyNamed(xcb_atom_t atom) const {
    for (size_t i = 0; i < kWindowPropertyCount; ++i)
        if (windowProperties_[i] == atom) return static_cast<WindowProperty>(i);
    return std::nullopt;
}

}  // namespace plimsa::x11
