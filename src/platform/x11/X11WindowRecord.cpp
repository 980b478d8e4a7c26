#include "platform/x11/X11WindowRecord.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <span>

namespace plimsa::x11 {
namespace {

// Stacking layers of the windows that are not ordinary, in the order a window manager stacks them.
constexpr int kDesktopLayer = -1000;
constexpr int kBelowLayer = -1;
constexpr int kFloatingLayer = 3;
constexpr int kDockLayer = 20;
constexpr int kNotificationLayer = 23;
constexpr int kMenuLayer = 24;
constexpr int kSplashLayer = 25;
constexpr int kTooltipLayer = 26;
constexpr int kDragLayer = 500;

std::span<const uint32_t> words(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 32) return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply));
    return {values, static_cast<size_t>(xcb_get_property_value_length(reply)) / sizeof(uint32_t)};
}

std::optional<uint32_t> firstWord(const xcb_get_property_reply_t* reply) {
    const std::span<const uint32_t> values = words(reply);
    if (values.empty()) return std::nullopt;
    return values.front();
}

std::optional<FrameExtents> extentsOf(const xcb_get_property_reply_t* reply) {
    const std::span<const uint32_t> values = words(reply);
    if (values.size() < 4) return std::nullopt;
    // Anything larger than a screen is garbage; ignoring it keeps the bounds sane.
    constexpr uint32_t kLargest = 1u << 15;
    if (std::any_of(values.begin(), values.begin() + 4, [](uint32_t v) { return v > kLargest; }))
        return std::nullopt;
    return FrameExtents{values[0], values[1], values[2], values[3]};
}

// WM_CLASS holds two NUL-terminated strings, the instance and the class; the class names the application.
std::optional<std::string> classOf(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 8) return std::nullopt;
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply));
    const auto length = static_cast<size_t>(xcb_get_property_value_length(reply));
    const auto* instanceEnd = static_cast<const char*>(std::memchr(bytes, '\0', length));
    if (instanceEnd == nullptr) return std::nullopt;
    const size_t start = static_cast<size_t>(instanceEnd - bytes) + 1;
    if (start >= length) return std::nullopt;
    const auto* classEnd = static_cast<const char*>(std::memchr(bytes + start, '\0', length - start));
    const size_t end = classEnd == nullptr ? length : static_cast<size_t>(classEnd - bytes);
    if (end == start) return std::nullopt;
    return std::string(bytes + start, end - start);
}

bool contains(const std::vector<xcb_atom_t>& atoms, xcb_atom_t atom) {
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

std::optional<int> layerOfType(xcb_atom_t type, const xcb_ewmh_connection_t& e) {
    if (type == e._NET_WM_WINDOW_TYPE_NORMAL || type == e._NET_WM_WINDOW_TYPE_DIALOG) return 0;
    if (type == e._NET_WM_WINDOW_TYPE_DESKTOP) return kDesktopLayer;
    if (type == e._NET_WM_WINDOW_TYPE_DOCK) return kDockLayer;
    if (type == e._NET_WM_WINDOW_TYPE_UTILITY || type == e._NET_WM_WINDOW_TYPE_TOOLBAR) return kFloatingLayer;
    if (type == e._NET_WM_WINDOW_TYPE_NOTIFICATION) return kNotificationLayer;
    if (type == e._NET_WM_WINDOW_TYPE_MENU || type == e._NET_WM_WINDOW_TYPE_DROPDOWN_MENU ||
        type == e._NET_WM_WINDOW_TYPE_POPUP_MENU || type == e._NET_WM_WINDOW_TYPE_COMBO)
        return kMenuLayer;
    if (type == e._NET_WM_WINDOW_TYPE_SPLASH) return kSplashLayer;
    if (type == e._NET_WM_WINDOW_TYPE_TOOLTIP) return kTooltipLayer;
    if (type == e._NET_WM_WINDOW_TYPE_DND) return kDragLayer;
    return std::nullopt;
}

}  // namespace

void X11WindowRecord::store(WindowProperty property, const xcb_get_property_reply_t* reply) {
    switch (property) {
        case WindowProperty::pid: {
            const std::optional<uint32_t> value = firstWord(reply);
            pid.reset();
            if (value && *value > 0 && *value <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
                pid = static_cast<int32_t>(*value);
            break;
        }
        case WindowProperty::wmClass:
            wmClass = classOf(reply);
            break;
        case WindowProperty::type: {
            const std::span<const uint32_t> values = words(reply);
            types.assign(values.begin(), values.end());
            break;
        }
        case WindowProperty::state: {
            const std::span<const uint32_t> values = words(reply);
            states.assign(values.begin(), values.end());
            break;
        }
        case WindowProperty::desktop:
            desktop = firstWord(reply);
            break;
        case WindowProperty::opacity:
            opacity = firstWord(reply);
            break;
        case WindowProperty::frameExtents:
            frameExtents = extentsOf(reply);
            break;
        case WindowProperty::gtkFrameExtents:
            gtkFrameExtents = extentsOf(reply);
            break;
        case WindowProperty::clientLeader:
            clientLeader = firstWord(reply).value_or(XCB_NONE);
            break;
        case WindowProperty::transientFor:
            transientFor = firstWord(reply).value_or(XCB_NONE);
            break;
    }
}

int layerOf(const X11WindowRecord& window, const xcb_ewmh_connection_t& ewmh) {
    for (xcb_atom_t type : window.types) {
        const std::optional<int> layer = layerOfType(type, ewmh);
        if (!layer) continue;
        if (*layer != 0) return *layer;
        break;
    }
    if (contains(window.states, ewmh._NET_WM_STATE_ABOVE) &&
        contains(window.states, ewmh._NET_WM_STATE_SKIP_TASKBAR))
        return kFloatingLayer;
    if (contains(window.states, ewmh._NET_WM_STATE_BELOW)) return kBelowLayer;
    return 0;
}

bool isShown(const X11WindowRecord& window, std::optional<uint32_t> currentDesktop,
             const xcb_ewmh_connection_t& ewmh) {
    if (!window.viewable || contains(window.states, ewmh._NET_WM_STATE_HIDDEN)) return false;
    constexpr uint32_t kAllDesktops = 0xFFFFFFFFu;
    if (!currentDesktop || !window.desktop || *window.desktop == kAllDesktops) return true;
    return *window.desktop == *currentDesktop || contains(window.states, ewmh._NET_WM_STATE_STICKY);
}

std::optional<DesktopRect> visibleBounds(const X11WindowRecord& window, double devicePixelRatio) {
    if (!window.geometry) return std::nullopt;
    double x = window.geometry->x;
    double y = window.geometry->y;
    double width = window.geometry->width;
    double height = window.geometry->height;
    if (window.frameExtents) {
        const FrameExtents& e = *window.frameExtents;
        x -= e[0];
        y -= e[2];
        width += static_cast<double>(e[0]) + e[1];
        height += static_cast<double>(e[2]) + e[3];
    }
    if (window.gtkFrameExtents) {
        const FrameExtents& e = *window.gtkFrameExtents;
        const double shrunkWidth = width - e[0] - e[1];
        const double shrunkHeight = height - e[2] - e[3];
        // Margins that would leave nothing are not shadows; the outer rectangle is the better guess.
        if (shrunkWidth > 0 && shrunkHeight > 0) {
            x += e[0];
            y += e[2];
            width = shrunkWidth;
            height = shrunkHeight;
        }
    }
    const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    return DesktopRect{x / ratio, y / ratio, width / ratio, height / ratio};
}

ListedWindow listedWindowOf(const X11WindowRecord& window, const xcb_ewmh_connection_t& ewmh,
                            double devicePixelRatio) {
    ListedWindow listed;
    listed.pid = window.pid;
    listed.layer = layerOf(window, ewmh);
    listed.bounds = visibleBounds(window, devicePixelRatio);
    if (window.opacity) listed.alpha = static_cast<double>(*window.opacity) / 0xFFFFFFFFu;
    return listed;
}

}  // namespace plimsa::x11
