#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/desktop/DesktopGeometry.h"
#include "platform/desktop/WindowList.h"

namespace plimsa {

class Screens;

/// The front window that window-attached swings hang from.
struct TrackedWindow {
    /// Points, origin at the bottom left of the primary screen (where overlays are placed).
    DesktopRect frame;
    int32_t pid = 0;
    std::optional<std::string> bundleID;

    bool operator==(const TrackedWindow&) const = default;
};

/// Finds the front window of the application the user works in, passing over this process and over
/// short-lived system surfaces (`TransientApplications`): while one of those is in front, the answer is a
/// window of the application used before, as long as it still runs. Main thread only (the tick).
class WindowTracker {
  public:
    /// Smallest window that counts; smaller ones (tool palettes, pop-ups) are passed over.
    static constexpr double kMinWidth = 200.0;
    static constexpr double kMinHeight = 120.0;
    /// Windows more transparent than this are passed over.
    static constexpr double kMinAlpha = 0.1;

    /// Both must outlive the tracker.
    WindowTracker(WindowList& windows, const Screens& screens);

    /// The first ordinary window of the target application, front to back, that is opaque enough and
    /// large enough; nothing when there is no target or it has no such window. Remembers the target
    /// whatever the search finds.
    std::optional<TrackedWindow> frontmostWindow();

    /// The application whose windows were searched last; nothing until a search found a target.
    const std::optional<RunningApplication>& lastApp() const { return lastApp_; }

  private:
    std::optional<RunningApplication> target(const RunningApplication& front);
    bool qualifies(const ListedWindow& window, int32_t pid) const;

    WindowList& windows_;
    const Screens& screens_;
    std::optional<RunningApplication> lastApp_;
};

}  // namespace plimsa
