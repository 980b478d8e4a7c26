#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/desktop/ManualDispatch.h"
#include "platform/desktop/OverlayWindow.h"
#include "platform/desktop/Screens.h"
#include "platform/desktop/StatusItem.h"
#include "platform/desktop/WindowList.h"

namespace plimsa::testing {

/// Screens whose frames a test sets; none at first.
struct FakeScreens final : Screens {
    std::optional<Rect> frame, visibleFrame;
    std::optional<Rect> mainScreenFrame() const override { return frame; }
    std::optional<Rect> mainScreenVisibleFrame() const override { return visibleFrame; }
};

/// A window list a test fills: the front application, the windows front to back, who has quit.
struct FakeWindowList final : WindowList {
    std::optional<RunningApplication> front;
    std::vector<ListedWindow> windows;
    std::set<int32_t> terminated;
    int32_t own = 1;
    std::optional<RunningApplication> frontmostApplication() override { return front; }
    bool isTerminated(int32_t pid) override { return terminated.count(pid) > 0; }
    std::vector<ListedWindow> onScreenWindows() override { return windows; }
    int32_t ownPid() const override { return own; }
};

/// An overlay that records what is asked of it; listed in `live` while it exists.
struct FakeOverlayWindow final : OverlayWindow {
    using Live = std::shared_ptr<std::vector<FakeOverlayWindow*>>;
    FakeOverlayWindow(DesktopRect r, Live l) : rect(r), live(std::move(l)) { live->push_back(this); }
    ~FakeOverlayWindow() override { std::erase(*live, this); }

    DesktopRect frame() const override { return rect; }
    void setFrameOrigin(DesktopPoint origin) override {
        rect.x = origin.x, rect.y = origin.y, origins.push_back(origin);
    }
    void setContentSize(double width, double height) override {
        rect.width = width, rect.height = height, ++resizes;
    }
    bool isVisible() const override { return visible; }
    void orderFront() override { visible = true; }
    void orderOut() override { visible = false; }
    bool ignoresMouseEvents() const override { return ignoresMouse; }
    void setIgnoresMouseEvents(bool ignores) override { ignoresMouse = ignores, ++mouseFlagWrites; }
    void setAlpha(double value) override { alpha = value; }
    bool isPlaying() const override { return playing; }
    void setPlaying(bool value) override { playing = value; }
    void setPreferredFramesPerSecond(int value) override { framesPerSecond = value; }
    void setOnClick(std::function<void()> action) override { onClick = std::move(action); }

    DesktopRect rect;
    Live live;
    std::vector<DesktopPoint> origins;
    int resizes = 0, mouseFlagWrites = 0, framesPerSecond = 0;
    bool visible = false, playing = false, ignoresMouse = true;
    double alpha = 1.0;
    std::function<void()> onClick;
};

/// A tray icon that keeps its menu items.
struct FakeStatusItem final : StatusItem {
    bool isShown() const override { return shown; }
    void setTemplateImage(const Image&) override {}
    int addItem(StatusMenuItem item) override {
        items.push_back(std::move(item));
        return static_cast<int>(items.size()) - 1;
    }
    void setTitle(int index, const std::string& title) override { items.at(index).title = title; }
    void setVisible(int index, bool visible) override { items.at(index).visible = visible; }
    void setChecked(int index, bool checked) override { items.at(index).checked = checked; }
    std::optional<DesktopRect> frame() const override { return itemFrame; }

    std::vector<StatusMenuItem> items;
    std::optional<DesktopRect> itemFrame;
    bool shown = true;
};

/// A desktop for the shell's tests: fake screens, window list and tray, the overlays alive (in creation
/// order), a mouse the test moves, and a manual dispatch whose clock the test advances.
struct FakeDesktop final : Desktop {
    const Screens& screens() const override { return screenList; }
    DesktopPoint mouseLocation() const override { return mouse; }
    WindowList& windowList() override { return windows; }
    Dispatch& dispatch() override { return manual; }
    std::unique_ptr<OverlayWindow> createOverlay(const OverlayContent&, double width,
                                                 double height) override {
        return std::make_unique<FakeOverlayWindow>(DesktopRect{0, 0, width, height}, overlays);
    }
    std::unique_ptr<StatusItem> createStatusItem() override {
        auto item = std::make_unique<FakeStatusItem>();
        item->itemFrame = statusItemFrame, item->shown = trayHost;
        statusItem = item.get();
        return item;
    }
    void quit() override {}

    FakeScreens screenList;
    FakeWindowList windows;
    ManualDispatch manual;
    FakeOverlayWindow::Live overlays = std::make_shared<std::vector<FakeOverlayWindow*>>();
    FakeStatusItem* statusItem = nullptr;  // the last one made
    std::optional<DesktopRect> statusItemFrame;
    bool trayHost = true;
    DesktopPoint mouse{-1000.0, -1000.0};
};

}  // namespace plimsa::testing
