#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/DesktopGeometry.h"

namespace plimsa {

/// The application the user is working in.
struct RunningApplication {
    int32_t pid = 0;
    /// What identifies the application across runs (on X11 the WM_CLASS class); absent when it has none.
    std::optional<std::string> bundleID;

    bool operator==(const RunningApplication&) const = default;
};

/// One on-screen window of the window system's list.
struct ListedWindow {
    /// Owning process; absent when the window does not say.
    std::optional<int32_t> pid;
    /// 0 for ordinary application windows; anything else (docks, panels, menus, desktops, notifications,
    /// overlays such as ours) is above or below them.
    int layer = 0;
    /// The frame people see (title bar included, client-side shadows excluded), in points, with the
    /// window system's origin: the top left of the primary screen, y down. Absent when unknown.
    std::optional<DesktopRect> bounds;
    /// Opacity in [0, 1]; absent when the window sets none.
    std::optional<double> alpha;

    bool operator==(const ListedWindow&) const = default;
};

/// What the front-window tracker reads from the window system. The implementation keeps its answers
/// cached and current from the window system's events, so asking 30 times a second is cheap.
/// Main thread only.
class WindowList {
  public:
    virtual ~WindowList() = default;

    /// The application whose window has the input focus; nothing when there is none (or no window manager
    /// says so).
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    /// Whether the application `pid` has quit (no window of it remains, or the process is gone).
    virtual bool isTerminated(int32_t pid) = 0;
    /// The windows shown on the current desktop, front to back: mapped, not minimised, on this workspace
    /// or on all of them.
    virtual std::vector<ListedWindow> onScreenWindows() = 0;
    /// This process's id (our own windows never count as the front window).
    virtual int32_t ownPid() const = 0;
};

}  // namespace plimsa
