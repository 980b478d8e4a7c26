#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "platform/x11/X11WindowList.h"
#include "support/VirtualDesktop.h"

namespace plimsa {
namespace {

using testing::VirtualDesktop;
using testing::VirtualDesktopOptions;

struct WindowSpec {
    int32_t pid = 0;  // 0: no _NET_WM_PID
    std::vector<std::string> types{};
    std::vector<std::string> states{};
    std::optional<uint32_t> desktop{};
    std::optional<uint32_t> opacity{};
    std::vector<uint32_t> gtkFrameExtents{};
    int x = 100, y = 150, width = 400, height = 300;
    bool mapped = true;
};

/// An application on the virtual desktop: makes windows and asks the window manager for things.
class TestApplication {
  public:
    explicit TestApplication(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr)) {
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    }
    ~TestApplication() { xcb_disconnect(connection_); }

    xcb_window_t create(const WindowSpec& spec) {
        const xcb_window_t window = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen_->root,
                          static_cast<int16_t>(spec.x), static_cast<int16_t>(spec.y),
                          static_cast<uint16_t>(spec.width), static_cast<uint16_t>(spec.height), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, 0, nullptr);
        xcb_size_hints_t hints{};
        xcb_icccm_size_hints_set_position(&hints, 1, spec.x, spec.y);
        xcb_icccm_set_wm_normal_hints(connection_, window, &hints);
        const std::string wmClass =
            "app" + std::to_string(spec.pid) + '\0' + "App" + std::to_string(spec.pid);
        xcb_icccm_set_wm_class(connection_, window, static_cast<uint32_t>(wmClass.size()), wmClass.data());
        if (spec.pid != 0) setCardinals(window, "_NET_WM_PID", {static_cast<uint32_t>(spec.pid)});
        setAtoms(window, "_NET_WM_WINDOW_TYPE", spec.types);
        setAtoms(window, "_NET_WM_STATE", spec.states);
        if (spec.desktop) setCardinals(window, "_NET_WM_DESKTOP", {*spec.desktop});
        if (spec.opacity) setCardinals(window, "_NET_WM_WINDOW_OPACITY", {*spec.opacity});
        if (!spec.gtkFrameExtents.empty()) setCardinals(window, "_GTK_FRAME_EXTENTS", spec.gtkFrameExtents);
        if (spec.mapped) xcb_map_window(connection_, window);
        xcb_flush(connection_);
        return window;
    }
    void move(xcb_window_t window, int x, int y) {
        const uint32_t position[] = {static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
        xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
        xcb_flush(connection_);
    }
    /// Asks the window manager, as a pager would, to activate `window` (_NET_ACTIVE_WINDOW), or to
    /// minimise it (WM_CHANGE_STATE, iconic).
    void ask(xcb_window_t window, const char* message, uint32_t first) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom(message);
        event.data.data32[0] = first;
        xcb_send_event(connection_, 0, screen_->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(connection_);
    }
    void focus(xcb_window_t window) {
        xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_NONE, window, XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    /// Where the window's client area lies on the root, in pixels.
    std::pair<int, int> origin(xcb_window_t window) {
        xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window, screen_->root, 0, 0), nullptr);
        const std::pair<int, int> point =
            reply ? std::pair<int, int>{reply->dst_x, reply->dst_y} : std::pair{0, 0};
        std::free(reply);
        return point;
    }

  private:
    xcb_atom_t atom(const std::string& name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.c_str()),
            nullptr);
        const xcb_atom_t value = reply->atom;
        std::free(reply);
        return value;
    }
    void setCardinals(xcb_window_t window, const char* name, const std::vector<uint32_t>& values) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom(name), XCB_ATOM_CARDINAL, 32,
                            static_cast<uint32_t>(values.size()), values.data());
    }
    void setAtoms(xcb_window_t window, const char* name, const std::vector<std::string>& names) {
        std::vector<xcb_atom_t> atoms;
        for (const std::string& each : names) atoms.push_back(atom(each));
        if (!atoms.empty())
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom(name), XCB_ATOM_ATOM, 32,
                                static_cast<uint32_t>(atoms.size()), atoms.data());
    }

    xcb_connection_t* connection_;
    xcb_screen_t* screen_ = nullptr;
};

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
        app_ = std::make_unique<TestApplication>(desktop_->display());
        list_ = createX11WindowList(desktop_->display().c_str());
    }

    std::unique_ptr<VirtualDesktop> desktop_;
    std::unique_ptr<TestApplication> app_;
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
    ASSERT_TRUE(eventually([&] {
        const auto w = list_->onScreenWindows();
        return find(w, 1001)->bounds->x != before.x;
    }));
    const DesktopRect after = find(list_->onScreenWindows(), 1001)->bounds.value();
    EXPECT_EQ(after.x - before.x, app_->origin(window).first - clientX);
    EXPECT_EQ(after.y - before.y, app_->origin(window).second - clientY);
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

}  // namespace
}  // namespace plimsa
