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
#include "platform/image/Image.h"

namespace plimsa::testing {

/// Screens whose frames a test sets; none at first.
struct FakeScreens final : Screens {
    std::optional<Rect> frame;
    std::optional<Rect> visibleFrame;

    std::optional<Rect> mainScreenFrame() const override { return frame; }
    std::optional<Rect> mainScreenVisibleFrame() const override { return visibleFrame; }
};

/// A window list a test fills: the front application, the windows front to back, the applications that
/// have quit.
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

/// An overlay that records what was asked of it: every origin set, every size, every flag write.
class FakeOverlayWindow final : public OverlayWindow {
  public:
    using Registry = std::shared_ptr<std::vector<FakeOverlayWindow*>>;

    /// Joins `registry` (when given) while it lives.
    FakeOverlayWindow(OverlayContent content, double width, double height, Registry registry = nullptr);
    ~FakeOverlayWindow() override;

    DesktopRect frame() const override { return rect; }
    void setFrameOrigin(DesktopPoint origin) override {
        rect.x = origin.x;
        rect.y = origin.y;
        origins.push_back(origin);
    }
    void setContentSize(double width, double height) override {
        rect.width = width;
        rect.height = height;
        ++resizes;
    }
    bool isVisible() const override { return visible; }
    void orderFront() override { visible = true; }
    void orderOut() override { visible = false; }
    bool ignoresMouseEvents() const override { return ignoresMouse; }
    void setIgnoresMouseEvents(bool ignores) override {
        ignoresMouse = ignores;
        ++mouseFlagWrites;
    }
    void setAlpha(double value) override { alpha = value; }
    bool isPlaying() const override { return playing; }
    void setPlaying(bool value) override { playing = value; }
    void setPreferredFramesPerSecond(int value) override { framesPerSecond = value; }
    void setOnClick(std::function<void()> action) override { onClick = std::move(action); }

    OverlayContent content;
    DesktopRect rect;
    std::vector<DesktopPoint> origins;
    int resizes = 0;
    bool visible = false;
    bool ignoresMouse = true;
    int mouseFlagWrites = 0;
    double alpha = 1.0;
    bool playing = false;
    int framesPerSecond = 0;
    std::function<void()> onClick;

  private:
    Registry registry_;
};

/// A tray icon that keeps its image and menu items.
class FakeStatusItem final : public StatusItem {
  public:
    bool isShown() const override { return true; }
    void setTemplateImage(const Image& value) override { image = value; }
    int addItem(StatusMenuItem item) override {
        items.push_back(std::move(item));
        return static_cast<int>(items.size()) - 1;
    }
    void setTitle(int index, const std::string& title) override { items.at(index).title = title; }
    void setVisible(int index, bool visible) override { items.at(index).visible = visible; }
    void setChecked(int index, bool checked) override { items.at(index).checked = checked; }
    std::optional<DesktopRect> frame() const override { return itemFrame; }

    /// The first item titled `title`; throws when there is none.
    StatusMenuItem& item(const std::string& title);

    Image image;
    std::vector<StatusMenuItem> items;
    std::optional<DesktopRect> itemFrame;
};

/// A desktop for the shell's tests: fake screens, window list and tray, overlays it keeps track of while
/// they live, a mouse the test moves, and a manual dispatch whose clock the test advances.
class FakeDesktop final : public Desktop {
  public:
    FakeDesktop();
    ~FakeDesktop() override;

    const Screens& screens() const override { return screenList; }
    DesktopPoint mouseLocation() const override { return mouse; }
    WindowList& windowList() override { return windowsList; }
    Dispatch& dispatch() override { return manual; }
    std::unique_ptr<OverlayWindow> createOverlay(const OverlayContent& content, double width,
                                                 double height) override;
    std::unique_ptr<StatusItem> createStatusItem() override;
    void quit() override { ++quits; }

    /// The overlays still alive, in creation order.
    std::vector<FakeOverlayWindow*> overlays() const;
    /// The status item last created, while it lives.
    FakeStatusItem* statusItem() const { return status_; }

    FakeScreens screenList;
    FakeWindowList windowsList;
    ManualDispatch manual;
    DesktopPoint mouse{-1000.0, -1000.0};
    int quits = 0;

  private:
    FakeOverlayWindow::Registry live_;
    FakeStatusItem* status_ = nullptr;
};

}  // namespace plimsa::testing
