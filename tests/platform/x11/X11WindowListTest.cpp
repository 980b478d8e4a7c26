#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb_icccm.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/x11/X11WindowList.h"
#include "support/VirtualDesktop.h"
#include "support/X11TestClient.h"

namespace plimsa {
namespace {

using testing::VirtualDesktop;
using testing::VirtualDesktopOptions;
using testing::WindowSpec;
using testing::X11TestClient;

/// Asks until `condition` holds (the window manager answers in its own time).
bool eventually(const std::function<bool()>& condition) {
    for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
         std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (condition()) return true;
    return false;
}

std::vector<int32_t> pidsOf(const std::vector<ListedWindow>& windows) {
    std::vector<int32_t> pids;
    for (const ListedWindow& window : windows) pids.push_back(window.pid.value_or(0));
    return pids;
}

const ListedWindow* find(const std::vector<ListedWindow>& windows, int32_t pid) {
    for (const ListedWindow& window : windows)
        if (window.pid == pid) return &window;
    return nullptr;
}

class X11WindowListTest : public ::testing::Test {
  protected:
    void start(bool windowManager) {
        desktop_ = std::make_unique<VirtualDesktop>(VirtualDesktopOptions{.windowManager = windowManager});
        if (!desktop_->isRunning()) return;
        app_ = std::make_unique<X11TestClient>(desktop_->display());
        list_ = createX11WindowList(desktop_->display().c_str());
    }

    std::unique_ptr<VirtualDesktop> desktop_;
    std::unique_ptr<X11TestClient> app_;
    std::unique_ptr<WindowList> list_;
};

TEST_F(X11WindowListTest, ManagedWindowsComeFrontToBackWithTheActiveOneInFront) {
    start(true);
    PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(*desktop_);
    ASSERT_NE(list_, nullptr);
    EXPECT_EQ(list_->ownPid(), static_cast<int32_t>(::getpid()));
    const xcb_window_t first = app_->create({.pid = 1001, .opacity = 0x7FFFFFFFu});
    app_->create({.pid = 1002, .types = {"_NET_WM_WINDOW_TYPE_DIALOG"}});
    app_->create({.pid = 1003, .opacity = 0xFFFFFFFFu});
    ASSERT_TRUE(eventually([&] {
        const auto w = list_->onScreenWindows();

        return pidsOf(w) == std::vector<int32_t>{1003, 1002, 1001};
    }));
    const std::vector<ListedWindow> windows = list_->onScreenWindows();
    for (const ListedWindow& window : windows) EXPECT_EQ(window.layer, 0);
    EXPECT_NEAR(windows[2].alpha.value_or(0), 0.5, 1e-6);
    EXPECT_FALSE(windows[1].alpha.has_value());
    EXPECT_EQ(windows[0].alpha, 1.0);
    EXPECT_TRUE(eventually([&] {
        return list_->frontmostApplication() == RunningApplication{1003, "App1003"};
    }));

    app_->ask(first, "_NET_ACTIVE_WINDOW", 2);
    ASSERT_TRUE(eventually([&] {
        const auto w = list_->onScreenWindows();

        return pidsOf(w) == std::vector<int32_t>{1001, 1003, 1002};
    }));
    EXPECT_TRUE(eventually([&] {
        return list_->frontmostApplication() == RunningApplication{1001, "App1001"};
    }));

    // A window that names no process belongs to the one it is transient for.
    app_->create({.transientFor = first});
    EXPECT_TRUE(eventually([&] {
        return list_->frontmostApplication() == RunningApplication{1001, "App0"};
    }));
}

TEST_F(X11WindowListTest, BoundsIncludeTheTitleBarFollowMovesAndScaleWithTheRatio) {
    start(true);
    PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(*desktop_);
    const xcb_window_t window = app_->create({.pid = 1001, .x = 300, .y = 200});
    app_->create({.pid = 1002, .gtkFrameExtents = {10, 12, 20, 30}});
    ASSERT_TRUE(eventually([&] {
        const auto w = list_->onScreenWindows();
        return w.size() == 2;
    }));
    auto [clientX, clientY] = app_->origin(window);
    const DesktopRect before = find(list_->onScreenWindows(), 1001)->bounds.value();
    EXPECT_LT(before.y, clientY) << "the title bar is above the client";
    EXPECT_LE(before.x, clientX);
    EXPECT_GT(before.height, 300);
    const DesktopRect shadowed = find(list_->onScreenWindows(), 1002)->bounds.value();
    EXPECT_EQ(before.width - shadowed.width, 22);
    EXPECT_EQ(before.height - shadowed.height, 50);

    app_->move(window, 500, 260);
    ASSERT_TRUE(eventually([&] { return app_->origin(window).first != clientX; }))
        << "the window manager moved it";
    const auto [movedX, movedY] = app_->origin(window);
    DesktopRect after;
    EXPECT_TRUE(eventually([&] {
        after = find(list_->onScreenWindows(), 1001)->bounds.value();
        return after.x - before.x == movedX - clientX && after.y - before.y == movedY - clientY;
    })) << "client moved by "
        << movedX - clientX << ", " << movedY - clientY << "; bounds by " << after.x - before.x << ", "
        << after.y - before.y;
    EXPECT_EQ(after.width, before.width);

    const std::unique_ptr<WindowList> doubled = createX11WindowList(desktop_->display().c_str(), 2.0);
    const DesktopRect half = find(doubled->onScreenWindows(), 1001)->bounds.value();
    EXPECT_EQ(half, (DesktopRect{after.x / 2, after.y / 2, after.width / 2, after.height / 2}));
}

TEST_F(X11WindowListTest, SystemSurfacesAndOverlaysAreNotOrdinaryAndHiddenWindowsAreLeftOut) {
    start(true);
    PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(*desktop_);
    struct Case {
        WindowSpec spec;
        bool ordinary;
    };
    const std::vector<Case> cases{
        {{.pid = 2001, .types = {"_NET_WM_WINDOW_TYPE_NORMAL"}}, true},
        {{.pid = 2002, .types = {"_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", "_NET_WM_WINDOW_TYPE_DIALOG"}}, true},
        {{.pid = 2003, .states = {"_NET_WM_STATE_ABOVE"}}, true},
        {{.pid = 2004, .states = {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR"}}, false},
        {{.pid = 2005, .types = {"_NET_WM_WINDOW_TYPE_DOCK"}}, false},
        {{.pid = 2006, .types = {"_NET_WM_WINDOW_TYPE_UTILITY"}}, false},
        {{.pid = 2007, .types = {"_NET_WM_WINDOW_TYPE_NOTIFICATION"}}, false},
        {{.pid = 2008, .types = {"_NET_WM_WINDOW_TYPE_SPLASH"}}, false},
        {{.pid = 2009, .types = {"_NET_WM_WINDOW_TYPE_DESKTOP"}}, false},
        {{.pid = 2010, .desktop = 0xFFFFFFFFu}, true},
    };
    for (const Case& each : cases) app_->create(each.spec);
    const int32_t own = list_->ownPid();
    const xcb_window_t minimised = app_->create({.pid = own});
    app_->create({.pid = 3002, .desktop = 1});
    app_->create({.pid = 3003, .mapped = false});
    ASSERT_TRUE(eventually([&] {
        const auto w = list_->onScreenWindows();
        return find(w, 2010) && find(w, own);
    }));
    app_->ask(minimised, "WM_CHANGE_STATE", XCB_ICCCM_WM_STATE_ICONIC);
    ASSERT_TRUE(eventually([&] {
        const auto w = list_->onScreenWindows();
        return !find(w, own);
    }));

    const std::vector<ListedWindow> windows = list_->onScreenWindows();
    for (const Case& each : cases) {
        const ListedWindow* window = find(windows, each.spec.pid);
        EXPECT_EQ(window != nullptr && window->layer == 0, each.ordinary) << "pid " << each.spec.pid;
    }
    EXPECT_EQ(find(windows, 3002), nullptr) << "on the other desktop";
    EXPECT_EQ(find(windows, 3003), nullptr) << "never mapped";
    EXPECT_FALSE(list_->isTerminated(own)) << "a minimised window still belongs to a running process";
    EXPECT_TRUE(list_->isTerminated(3002)) << "a window of a process that is gone";
}

TEST_F(X11WindowListTest, WithoutWindowManagerTheRootsMappedChildrenAndTheFocusAnswer) {
    start(false);
    PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(*desktop_);
    EXPECT_EQ(list_->frontmostApplication(), std::nullopt);
    const int32_t own = list_->ownPid();
    const xcb_window_t first =
        app_->create({.pid = own, .types = {"_NET_WM_WINDOW_TYPE_DOCK"}, .x = 10, .y = 20});
    app_->create({.pid = 4002, .mapped = false});
    app_->create({.pid = 4003, .width = 250, .height = 130});
    ASSERT_TRUE(eventually([&] {
        const auto w = list_->onScreenWindows();

        return pidsOf(w) == std::vector<int32_t>{4003, own};
    }));
    EXPECT_EQ(list_->onScreenWindows()[1].bounds, (DesktopRect{10, 20, 400, 300}));
    app_->focus(first);
    EXPECT_EQ(list_->frontmostApplication(), (RunningApplication{own, "App" + std::to_string(own)}));
    EXPECT_FALSE(list_->isTerminated(own));
    EXPECT_TRUE(list_->isTerminated(4002)) << "its only window is not listed";
}

TEST_F(X11WindowListTest, WindowManagerThatQuitsLeavesTheRootsChildren) {
    start(true);
    PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(*desktop_);
    const xcb_window_t window = app_->create({.pid = 5001});
    ASSERT_TRUE(eventually([&] { return list_->onScreenWindows().size() == 1; }));
    desktop_->stopWindowManager();
    app_->focus(window);
    EXPECT_TRUE(eventually([&] {
        const auto w = list_->onScreenWindows();
        return find(w, 5001) && list_->frontmostApplication() == RunningApplication{5001, "App5001"};
    }));
}

TEST_F(X11WindowListTest, LostDisplayGivesEmptyAnswers) {
    EXPECT_EQ(createX11WindowList(":65000"), nullptr);
    start(true);
    PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(*desktop_);
    app_->create({.pid = static_cast<int32_t>(::getpid())});
    ASSERT_TRUE(eventually([&] {
        const auto w = list_->onScreenWindows();
        return w.size() == 1;
    }));
    desktop_->killServer();
    for (int call = 0; call < 3; ++call) {
        EXPECT_TRUE(list_->onScreenWindows().empty());
        EXPECT_EQ(list_->frontmostApplication(), std::nullopt);
        EXPECT_TRUE(list_->isTerminated(list_->ownPid()));
    }
}

TEST(VirtualDesktop, TwoMonitorsSideBySideWithWindowManagerAndCompositor) {
    // The constructor checks each part: the monitors are listed, openbox manages, xcompmgr owns its
    // selection.
    VirtualDesktop desktop(
        {.windowManager = true, .compositor = true, .monitors = {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}}});
    PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(desktop);
    X11TestClient client(desktop.display());
    client.create({.pid = 1, .x = 2000, .y = 500});
    const std::unique_ptr<WindowList> list = createX11WindowList(desktop.display().c_str());
    EXPECT_TRUE(eventually([&] {
        const auto windows = list->onScreenWindows();
        return windows.size() == 1 && windows[0].bounds && windows[0].bounds->x > 1280;
    })) << "a window on the second monitor";
}

}  // namespace
}  // namespace plimsa
