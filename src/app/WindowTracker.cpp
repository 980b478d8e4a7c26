#include "app/WindowTracker.h"

#include "app/TransientApplications.h"
#include "platform/desktop/Screens.h"

namespace plimsa {

WindowTracker::WindowTracker(WindowList& windows, const Screens& screens)
    : windows_(windows), screens_(screens) {}

std::optional<RunningApplication> WindowTracker::target(const RunningApplication& front) {
    const bool transient = front.bundleID && TransientApplications::contains(*front.bundleID);
    if (!transient && front.pid != windows_.ownPid()) return front;
    if (lastApp_ && !windows_.isTerminated(lastApp_->pid)) return lastApp_;
    return std::nullopt;
}

bool WindowTracker::qualifies(const ListedWindow& window, int32_t pid) const {
    if (!window.pid || *window.pid != pid || window.layer != 0 || !window.bounds) return false;
    // A NaN alpha is unreadable opacity and fails the test like a faint one.
    if (window.alpha && !(*window.alpha >= kMinAlpha)) return false;
    return window.bounds->width >= kMinWidth && window.bounds->height >= kMinHeight;
}

std::optional<TrackedWindow> WindowTracker::frontmostWindow() {
    const auto front = windows_.frontmostApplication();
    if (!front) return std::nullopt;
    const auto chosen = target(*front);
    if (!chosen) return std::nullopt;
    lastApp_ = chosen;

    for (const ListedWindow& window : windows_.onScreenWindows()) {
        if (!qualifies(window, chosen->pid)) continue;
        const auto primary = screens_.mainScreenFrame();
        const double primaryHeight = primary ? primary->height : 0.0;
        return TrackedWindow{flippedRect(*window.bounds, primaryHeight), chosen->pid, chosen->bundleID};
    }
    return std::nullopt;
}

}  // namespace plimsa
