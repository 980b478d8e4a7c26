#include <gtest/gtest.h>

#include <cmath>

#include "app/WindowTracker.h"
#include "support/FakeDesktop.h"

namespace plimsa {
namespace {

using testing::FakeDesktop;

constexpr int32_t kEditor = 100;
constexpr int32_t kBrowser = 200;

ListedWindow window(int32_t pid, DesktopRect bounds, int layer = 0, std::optional<double> alpha = {}) {
    return {pid, layer, bounds, alpha};
}

class WindowTrackerTest : public ::testing::Test {
  protected:
    WindowTrackerTest() {
        desktop.screenList.frame = DesktopRect{0, 0, 1440, 900};
        desktop.windowsList.windows = {window(kEditor, {100, 25, 800, 600}),
                                       window(kBrowser, {0, 0, 1000, 700})};
    }
    void bringForward(int32_t pid, std::optional<std::string> bundle = {}) {
        desktop.windowsList.front = RunningApplication{pid, std::move(bundle)};
    }
    std::optional<int32_t> frontPid() {
        const auto front = tracker.frontmostWindow();
        return front ? std::optional(front->pid) : std::nullopt;
    }

    FakeDesktop desktop;
    WindowTracker tracker{desktop.windowsList, desktop.screenList};
};

TEST_F(WindowTrackerTest, FlipsWithThePrimaryScreensHeightOnEveryMonitor) {
    bringForward(kEditor, "org.example.Editor");
    EXPECT_EQ(tracker.frontmostWindow(),
              (TrackedWindow{{100, 275, 800, 600}, kEditor, std::string("org.example.Editor")}));
    // A window on a monitor above the primary one lies beyond the primary screen's top.
    desktop.windowsList.windows = {window(kEditor, {200, -800, 800, 600})};
    EXPECT_EQ(tracker.frontmostWindow()->frame, (DesktopRect{200, 1100, 800, 600}));
    desktop.screenList.frame.reset();
    EXPECT_EQ(tracker.frontmostWindow()->frame, (DesktopRect{200, 200, 800, 600}));
}

TEST_F(WindowTrackerTest, SkipsWindowsThatAreSmallFaintOrNotOrdinary) {
    bringForward(kEditor);
    const DesktopRect behind{0, 0, 500, 400};
    const struct {
        ListedWindow front;
        bool skipped;
    } cases[] = {
        {window(kEditor, {0, 0, 199, 300}), true},
        {window(kEditor, {0, 0, 300, 119}), true},
        {window(kEditor, {0, 0, 200, 120}), false},
        {window(kEditor, {0, 0, 300, 300}, 3), true},
        {window(kEditor, {0, 0, 300, 300}, 0, 0.05), true},
        {window(kEditor, {0, 0, 300, 300}, 0, 0.1), false},
        {window(kEditor, {0, 0, 300, 300}, 0, std::nan("")), true},
        {ListedWindow{std::nullopt, 0, DesktopRect{0, 0, 300, 300}, {}}, true},
        {ListedWindow{kEditor, 0, std::nullopt, {}}, true},
    };
    for (const auto& c : cases) {
        desktop.windowsList.windows = {c.front, window(kEditor, behind)};
        EXPECT_EQ(tracker.frontmostWindow()->frame.width, c.skipped ? 500 : c.front.bounds->width)
            << c.front.bounds.value_or(DesktopRect{}).width << " alpha " << c.front.alpha.value_or(-1);
    }
}

TEST_F(WindowTrackerTest, TransientSurfacesAndOurOwnWindowsKeepTheAppUsedBefore) {
    // Nothing worked in yet: a transient surface or our own panel gives none.
    bringForward(7, "com.apple.Spotlight");
    EXPECT_EQ(frontPid(), std::nullopt);
    bringForward(desktop.windowsList.own, "Plimsa");
    EXPECT_EQ(frontPid(), std::nullopt);

    bringForward(kEditor, "Gedit");
    EXPECT_EQ(frontPid(), kEditor);
    for (const char* transient : {"com.apple.dock", "Plasmashell", "XFCE4-PANEL", "dunst", "Rofi", "conky"}) {
        bringForward(8, transient);
        EXPECT_EQ(frontPid(), kEditor) << transient;
    }
    bringForward(desktop.windowsList.own);
    EXPECT_EQ(frontPid(), kEditor);
    // An application without a class is never transient; one that merely contains a name is not either.
    bringForward(kBrowser);
    EXPECT_EQ(frontPid(), kBrowser);
    bringForward(kEditor, "plank-like-editor");
    EXPECT_EQ(frontPid(), kEditor);

    // The app used before quits while a notification is in front: none.
    desktop.windowsList.terminated.insert(kEditor);
    bringForward(9, "xfce4-notifyd");
    EXPECT_EQ(frontPid(), std::nullopt);
    EXPECT_EQ(tracker.lastApp()->pid, kEditor);

    // No front application at all changes nothing.
    desktop.windowsList.front.reset();
    EXPECT_EQ(frontPid(), std::nullopt);
    EXPECT_EQ(tracker.lastApp()->pid, kEditor);
}

TEST_F(WindowTrackerTest, RemembersTheTargetEvenWhenItHasNoWindow) {
    bringForward(300, "Terminal");
    EXPECT_EQ(frontPid(), std::nullopt);
    EXPECT_EQ(tracker.lastApp(), (RunningApplication{300, std::string("Terminal")}));
}

}  // namespace
}  // namespace plimsa
