#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/desktop/WindowList.h"
#include "platform/x11/X11Atoms.h"
#include "platform/x11/X11WindowRecord.h"

namespace plimsa::x11 {

struct WindowRequest;

/// The window list of one X11 display on a connection of its own. It listens to the root window
/// (property changes, its children's structure) and to every listed client (structure, properties), and
/// on each call drains those events and reads again only what they say changed: the stacking list, the
/// active window, the current desktop, or one window's properties, geometry or map state. Every request
/// of a refresh is sent before its first reply is awaited; a call when nothing changed makes no request.
/// A window manager moves its frame, not the client inside: the frame's ConfigureNotify comes through
/// the root's SubstructureNotify and is traced to its client (as is the synthetic one the client gets).
///
/// With EWMH (a live _NET_SUPPORTING_WM_CHECK window and _NET_CLIENT_LIST_STACKING on the root) the
/// list is the managed clients and the frontmost application is the owner of _NET_ACTIVE_WINDOW.
/// Without it the list is the root's children and the frontmost application the owner of the top-level
/// window holding the input focus (asked on every call, since focus changes send no event to us).
///
/// The owner of a window is its _NET_WM_PID and the class of its WM_CLASS, looked up on its client
/// leader or the window it is transient for when it has none; an application whose windows give no pid
/// is reported with pid 0, which owns no listed window.
///
/// Main thread only. A lost connection is closed and every later answer is empty.
class X11WindowCache final : public WindowList {
  public:
    /// Connects to `display` (null: $DISPLAY). Null when no connection can be made.
    static std::unique_ptr<X11WindowCache> connect(const char* display, double devicePixelRatio);
    ~X11WindowCache() override;
    X11WindowCache(const X11WindowCache&) = delete;
    X11WindowCache& operator=(const X11WindowCache&) = delete;

    std::optional<RunningApplication> frontmostApplication() override;
    /// True when no listed window has `pid` any more, or when /proc shows that the process is gone
    /// (a window can outlive its process for a moment); always true for pid 0 and below.
    bool isTerminated(int32_t pid) override;
    std::vector<ListedWindow> onScreenWindows() override;
    int32_t ownPid() const override { return ownPid_; }

  private:
    X11WindowCache(xcb_connection_t* connection, xcb_window_t root, X11Atoms atoms, double devicePixelRatio);

    /// Brings the cache up to date; false when the connection is lost.
    bool refresh();
    void drainEvents();
    void handleEvent(const xcb_generic_event_t& event);
    void handlePropertyChange(const xcb_property_notify_event_t& event);
    void markWindow(xcb_window_t window, uint32_t bits);
    void readRoot();
    bool confirmWindowManager(xcb_window_t candidate);
    void adoptList(const std::vector<xcb_window_t>& windows);
    void readWindows();
    void storeReplies(WindowRequest& request,
                      std::vector<std::pair<X11WindowRecord*, xcb_window_t>>& framesToFind);
    void findFrames(std::vector<std::pair<X11WindowRecord*, xcb_window_t>> pending);
    std::optional<RunningApplication> ownerOf(xcb_window_t window);
    std::optional<RunningApplication> focusedOwner();
    void dropConnection();

    enum RootBit : uint32_t {
        kModeBit = 1,
        kListBit = 2,
        kActiveBit = 4,
        kDesktopBit = 8,
        kAllRootBits = 15
    };

    xcb_connection_t* connection_;
    xcb_window_t root_;
    X11Atoms atoms_;
    double devicePixelRatio_;
    int32_t ownPid_;

    uint32_t rootDirty_ = kAllRootBits;
    bool anyWindowDirty_ = false;
    bool ewmh_ = false;
    xcb_window_t checkWindow_ = XCB_NONE;
    std::vector<xcb_window_t> stacking_;  // bottom to top
    std::unordered_map<xcb_window_t, X11WindowRecord> windows_;
    std::unordered_map<xcb_window_t, xcb_window_t> clientOfFrame_;
    std::optional<uint32_t> currentDesktop_;
    xcb_window_t active_ = XCB_NONE;
    bool frontDirty_ = true;
    std::optional<RunningApplication> front_;
    xcb_window_t lastFocus_ = XCB_NONE;
};

}  // namespace plimsa::x11
