#include <gtest/gtest.h>

#include <QWindow>
#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>

#include "platform/qt/OverlayRenderer.h"
#include "platform/qt/QtCoordinates.h"
#include "platform/qt/QtOverlayWindow.h"
#include "platform/qt/QtTestSession.h"
#include "support/ChildProcess.h"
#include "support/RendererRequirement.h"
#include "swing/SwingScene.h"

namespace plimsa {
namespace {

using testing::QtTestSession;
using testing::waitFor;

std::shared_ptr<SwingScene> builtInSwing() {
    SwingScene::Services services;
    services.locate = [](std::string_view) { return std::optional<std::filesystem::path>(); };
    services.seed = 7;
    return std::make_shared<SwingScene>(services);
}

OverlayContent contentOf(const std::shared_ptr<SwingScene>& swing) {
    return {swing->scene(), swing->cameraNode(), swing};
}

xcb_window_t idOf(QtOverlayWindow& overlay) {
    return static_cast<xcb_window_t>(overlay.window().winId());
}

bool contains(const std::vector<uint32_t>& values, uint32_t value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

/// The window's top left on the root window and its size, in pixels.
std::array<int, 4> placementOf(const QtTestSession& session, xcb_window_t window) {
    xcb_connection_t* c = session.connection;
    auto* at =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, session.root, 0, 0), nullptr);
    auto* size = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    const std::array<int, 4> placement{at ? at->dst_x : -1, at ? at->dst_y : -1, size ? size->width : -1,
                                       size ? size->height : -1};
    std::free(at);
    std::free(size);
    return placement;
}

TEST(QtOverlayWindow, MapsWhereAskedAboveOnEveryDesktopUnlistedAndNeverFocused) {
    PLIMSA_QT_SESSION(session);
    OverlayRenderer renderer;
    auto swing = builtInSwing();
    QtOverlayWindow overlay(renderer, contentOf(swing), 240, 180);
    overlay.setFrameOrigin({100, 50});
    EXPECT_FALSE(overlay.isVisible());
    overlay.orderFront();
    const xcb_window_t id = idOf(overlay);

    const uint32_t above = session.atom("_NET_WM_STATE_ABOVE"),
                   skipTaskbar = session.atom("_NET_WM_STATE_SKIP_TASKBAR"),
                   skipPager = session.atom("_NET_WM_STATE_SKIP_PAGER");
    const auto settled = [&] {
        const auto state = session.cardinals(id, "_NET_WM_STATE");
        return contains(state, above) && contains(state, skipTaskbar) && contains(state, skipPager) &&
               session.cardinals(id, "_NET_WM_DESKTOP") == std::vector<uint32_t>{0xFFFFFFFF};
    };
    ASSERT_TRUE(waitFor(settled)) << "window manager states never arrived";
    EXPECT_TRUE(overlay.isVisible());

    // Our origin is the bottom left of the primary screen; X's the top left.
    const int screenHeight = static_cast<int>(qt_coordinates::primaryScreenHeight());
    const std::array<int, 4> wanted{100, screenHeight - 50 - 180, 240, 180};
    EXPECT_TRUE(waitFor([&] { return placementOf(session, id) == wanted; }));
    EXPECT_EQ(session.cardinals(id, "_NET_FRAME_EXTENTS"), (std::vector<uint32_t>{0, 0, 0, 0}));
    EXPECT_EQ(overlay.frame(), (DesktopRect{100, 50, 240, 180}));

    overlay.setContentSize(300, 120);  // the bottom left stays put
    EXPECT_TRUE(waitFor([&] {
        return placementOf(session, id) == std::array<int, 4>{100, screenHeight - 50 - 120, 300, 120};
    }));

    auto* focus =
        xcb_get_input_focus_reply(session.connection, xcb_get_input_focus(session.connection), nullptr);
    ASSERT_NE(focus, nullptr);
    EXPECT_NE(focus->focus, id);
    std::free(focus);
    EXPECT_FALSE(contains(session.cardinals(session.root, "_NET_ACTIVE_WINDOW"), id));

    overlay.orderOut();
    EXPECT_FALSE(overlay.isVisible());
    overlay.orderFront();  // mapped again, it asks for its states again
    EXPECT_TRUE(waitFor(settled));
}

TEST(QtOverlayWindow, ClickThroughTogglesInPlaceAndDecidesWhoGetsTheClick) {
    PLIMSA_QT_SESSION(session);
    OverlayRenderer renderer;
    auto swing = builtInSwing();
    QtOverlayWindow overlay(renderer, contentOf(swing), 200, 200);
    int clicks = 0;
    overlay.setOnClick([&] { ++clicks; });
    overlay.setFrameOrigin({300, 300});
    overlay.orderFront();
    const xcb_window_t id = idOf(overlay);
    ASSERT_TRUE(waitFor([&] { return overlay.window().isExposed(); }));
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(session.connection, id, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(session.connection);

    const std::filesystem::path xdotool = "/usr/bin/xdotool";
    const int screenHeight = static_cast<int>(qt_coordinates::primaryScreenHeight());
    const auto clickCentre = [&] {
        testing::runProcess(xdotool, {"mousemove", "400", std::to_string(screenHeight - 400), "click", "1"},
                            "/", {{"DISPLAY", session.desktop.display()}});
    };
    struct Case {
        bool ignores;
        int clicksAfter;
    };
    for (const Case& step : {Case{false, 1}, Case{true, 1}, Case{false, 2}}) {
        overlay.setIgnoresMouseEvents(step.ignores);
        EXPECT_EQ(overlay.ignoresMouseEvents(), step.ignores);
        waitFor([] { return false; }, 0.2);
        if (!std::filesystem::exists(xdotool)) continue;
        clickCentre();
        waitFor([&] { return clicks == step.clicksAfter; }, step.ignores ? 0.5 : 5.0);
        EXPECT_EQ(clicks, step.clicksAfter) << "ignoring the mouse: " << step.ignores;
    }

    int unmaps = 0;
    while (xcb_generic_event_t* event = xcb_poll_for_event(session.connection)) {
        if ((event->response_type & 0x7f) == XCB_UNMAP_NOTIFY) ++unmaps;
        std::free(event);
    }
    EXPECT_EQ(unmaps, 0);
    EXPECT_TRUE(overlay.isVisible());
}

TEST(QtOverlayWindow, DrawsTheSwingOpaqueOnATransparentWindow) {
    PLIMSA_QT_SESSION(session);
    OverlayRenderer renderer;
    auto swing = builtInSwing();
    const WindowSize size = swing->requiredSize(swing->predictedAmplitude());
    QtOverlayWindow overlay(renderer, contentOf(swing), size.width, size.height);
    overlay.setFrameOrigin({40, 40});
    overlay.orderFront();
    overlay.setPlaying(true);
    const bool drew = waitFor([&] { return overlay.framesDrawn() >= 3; }, 20.0);
    PLIMSA_SKIP_WITHOUT_RENDERER(drew, "no frame was drawn in the overlay window");

    const xcb_window_t id = idOf(overlay);
    const int width = overlay.window().width(), height = overlay.window().height();
    auto* image = xcb_get_image_reply(
        session.connection,
        xcb_get_image(session.connection, XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0, width, height, ~0u), nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 32) << "an overlay needs a visual with alpha";
    const auto* pixels = xcb_get_image_data(image);  // B G R A per pixel
    int clear = 0, solid = 0;
    for (int i = 0; i < width * height; ++i) {
        const uint8_t alpha = pixels[i * 4 + 3];
        clear += alpha == 0;
        solid += alpha == 255;
        // Premultiplied: no channel above its alpha.
        ASSERT_LE(std::max({pixels[i * 4], pixels[i * 4 + 1], pixels[i * 4 + 2]}), alpha) << "pixel " << i;
    }
    std::free(image);
    EXPECT_GT(clear, width * height / 3) << "the window is transparent around the swing";
    EXPECT_GT(solid, width * height / 50) << "and opaque on it";
}

TEST(QtOverlayWindow, OneClockAtTheFastestPlayingRateStopsWhenNothingPlays) {
    PLIMSA_QT_SESSION(session);
    OverlayRenderer renderer;
    auto swing = builtInSwing();
    auto slow = std::make_unique<QtOverlayWindow>(renderer, contentOf(swing), 120, 120);
    QtOverlayWindow fast(renderer, contentOf(swing), 120, 120);
    slow->setPreferredFramesPerSecond(30);
    fast.setPreferredFramesPerSecond(60);
    EXPECT_EQ(renderer.clockInterval(), 0) << "created paused";

    struct Step {
        bool slowPlays, fastPlays;
        int interval;
    };
    for (const Step& step :
         {Step{true, false, 33}, Step{true, true, 17}, Step{false, true, 17}, Step{false, false, 0}}) {
        slow->setPlaying(step.slowPlays);
        fast.setPlaying(step.fastPlays);
        EXPECT_EQ(renderer.clockInterval(), step.interval) << step.slowPlays << step.fastPlays;
    }

    fast.setPlaying(true);
    slow->setPlaying(true);
    slow.reset();  // a window that goes stops counting towards the clock
    fast.setPreferredFramesPerSecond(24);
    EXPECT_EQ(renderer.clockInterval(), 42);
}

}  // namespace
}  // namespace plimsa
