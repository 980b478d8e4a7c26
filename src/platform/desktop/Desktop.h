#pragma once

#include <memory>

#include "platform/desktop/DesktopGeometry.h"

namespace plimsa {

class Dispatch;
class OverlayWindow;
class Screens;
class StatusItem;
class WindowList;
struct OverlayContent;

/// Everything the app shell asks of the desktop, in the shell's coordinates (points, origin at the bottom
/// left of the primary screen). One implementation per window system (platform/qt with platform/x11);
/// tests use a fake. Main thread only.
class Desktop {
  public:
    virtual ~Desktop() = default;

    virtual const Screens& screens() const = 0;
    virtual DesktopPoint mouseLocation() const = 0;
    virtual WindowList& windowList() = 0;
    virtual Dispatch& dispatch() = 0;
    /// A new overlay of `width` x `height` points showing `content`: hidden, paused, ignoring the mouse.
    virtual std::unique_ptr<OverlayWindow> createOverlay(const OverlayContent& content, double width,
                                                         double height) = 0;
    /// The tray icon with an empty menu.
    virtual std::unique_ptr<StatusItem> createStatusItem() = 0;
    /// Ends the event loop; the process then exits cleanly.
    virtual void quit() = 0;
};

}  // namespace plimsa
