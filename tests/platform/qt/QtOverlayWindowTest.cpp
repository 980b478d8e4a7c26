#include <gtest/gtest.h>

#include <QWindow>
#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <tuple>

#include "platform/qt/OverlayRenderer.h"
#include "platform/qt/QtCoordinates.h"
#include "platform/qt/QtOverlayWindow.h"
#include "platform/qt/QtTestSession.h"
#include "support/ChildProcess.h"
#include "support/RendererRequirement.h"
#include "support/X11TestClient.h"
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

/// The child of the root that holds `window` (a window manager's frame, or the window itself).
xcb_window_t topLevelOf(const QtTestSession& session, xcb_window_t window) {
    for (;;) {
        auto* tree =
            xcb_query_tree_reply(session.connection, xcb_query_tree(session.connection, window), nullptr);
        const xcb_window_t parent = tree != nullptr ? tree->parent : session.root;
        std::free(tree);
        if (parent == session.root || parent == XCB_NONE) return window;
        window = parent;
    }
}

/// Where `window` lies in the root's stacking order, bottom first; -1 when it is not a child of the root.
int stackIndexOf(const QtTestSession& session, xcb_window_t window) {
    auto* tree =
        xcb_query_tree_reply(session.connection, xcb_query_tree(session.connection, session.root), nullptr);
    int index = -1;
    if (tree != nullptr) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
            if (children[i] == window) index = i;
    }
    std::free(tree);
    return index;
}

TEST(QtOverlayWindow, MapsWhereAskedUnmanagedAboveAnActivatedWindowAndNeverFocused) {
    PLIMSA_QT_SESSION(session);
    OverlayRenderer renderer;
    auto swing = builtInSwing();
    QtOverlayWindow overlay(renderer, contentOf(swing), 240, 180);
    overlay.setFrameOrigin({100, 50});
    EXPECT_FALSE(overlay.isVisible());
    overlay.orderFront();
    const xcb_window_t id = idOf(overlay);
    ASSERT_TRUE(waitFor([&] { return overlay.window().isExposed(); }));
    EXPECT_TRUE(overlay.isVisible());

    // No window manager's frame around it: nothing but our own input shape decides where clicks go.
    auto* attributes = xcb_get_window_attributes_reply(
        session.connection, xcb_get_window_attributes(session.connection, id), nullptr);
    ASSERT_NE(attributes, nullptr);
    EXPECT_TRUE(attributes->override_redirect);
    std::free(attributes);
    EXPECT_EQ(topLevelOf(session, id), id);

    // Our origin is the bottom left of the primary screen; X's the top left.
    const int screenHeight = static_cast<int>(qt_coordinates::primaryScreenHeight());
    const std::array<int, 4> wanted{100, screenHeight - 50 - 180, 240, 180};
    EXPECT_TRUE(waitFor([&] { return placementOf(session, id) == wanted; }));
    EXPECT_EQ(overlay.frame(), (DesktopRect{100, 50, 240, 180}));
    overlay.setContentSize(300, 120);  // the bottom left stays put
    EXPECT_TRUE(waitFor([&] {
        return placementOf(session, id) == std::array<int, 4>{100, screenHeight - 50 - 120, 300, 120};
    }));

    // An application window opened and activated over it stays below it.
    testing::X11TestClient application(session.desktop.display());
    testing::WindowSpec spec;
    spec.pid = 4242;
    spec.x = 60;
    spec.y = screenHeight - 320;
    const xcb_window_t other = application.create(spec);
    application.ask(other, "_NET_ACTIVE_WINDOW", 2);
    ASSERT_TRUE(waitFor([&] {
        return session.cardinals(session.root, "_NET_ACTIVE_WINDOW") == std::vector<uint32_t>{other};
    }));
    waitFor([] { return false; }, 0.3);
    EXPECT_GT(stackIndexOf(session, id), stackIndexOf(session, topLevelOf(session, other)));

    auto* focus =
        xcb_get_input_focus_reply(session.connection, xcb_get_input_focus(session.connection), nullptr);
    ASSERT_NE(focus, nullptr);
    EXPECT_NE(focus->focus, id);
    std::free(focus);

    overlay.orderOut();
    EXPECT_FALSE(overlay.isVisible());
    overlay.orderFront();
    EXPECT_TRUE(waitFor([&] {
        return overlay.window().isExposed() &&
               placementOf(session, id) == std::array<int, 4>{100, screenHeight - 50 - 120, 300, 120};
    }));
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
        // What the X server delivers the click to: the overlay itself, or whatever lies below it.
        auto* pointer = xcb_query_pointer_reply(session.connection,
                                                xcb_query_pointer(session.connection, session.root), nullptr);
        ASSERT_NE(pointer, nullptr);
        EXPECT_EQ(pointer->child == id, !step.ignores);
        std::free(pointer);
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
    int clear = 0, solid = 0, topRow = height;
    for (int i = 0; i < width * height; ++i) {
        const uint8_t alpha = pixels[i * 4 + 3];
        if (alpha > 0) topRow = std::min(topRow, i / width);
        clear += alpha == 0;
        solid += alpha == 255;
        // Premultiplied: no channel above its alpha.
        ASSERT_LE(std::max({pixels[i * 4], pixels[i * 4 + 1], pixels[i * 4 + 2]}), alpha) << "pixel " << i;
    }
    std::free(image);
    EXPECT_GT(clear, width * height / 3) << "the window is transparent around the swing";
    EXPECT_GT(solid, width * height / 50) << "and opaque on it";
    EXPECT_LT(topRow, height / 5) << "the chains reach up to the bar at the top: the swing hangs, not stands";
}

TEST(QtOverlayWindow, AStillFrameIsNotDrawnAgainUnlessTheWindowMayHaveLostIt) {
    PLIMSA_QT_SESSION(session);
    OverlayRenderer renderer;
    auto swing = builtInSwing();
    // Without a delegate nothing steps the scene: every frame is the same.
    QtOverlayWindow overlay(renderer, {swing->scene(), swing->cameraNode(), {}}, 160, 160);
    overlay.orderFront();
    overlay.setPlaying(true);
    PLIMSA_SKIP_WITHOUT_RENDERER(waitFor([&] { return overlay.framesDrawn() > 0; }, 20.0), "nothing drawn");
    const std::tuple<const char*, std::function<void()>, int, int> steps[] = {
        {"still", [] {}, 0, 0},
        {"resized", [&] { overlay.setContentSize(150, 170); }, 1, 2},
        {"hidden and shown", [&] { overlay.orderOut(), overlay.orderFront(); }, 1, 2},
    };
    for (const auto& [what, act, least, most] : steps) {
        waitFor([] { return false; }, 0.3);
        const int before = overlay.framesDrawn();
        act();
        waitFor([] { return false; }, 0.5);
        EXPECT_GE(overlay.framesDrawn() - before, least) << what;
        EXPECT_LE(overlay.framesDrawn() - before, most) << what;
    }
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
