#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "app/AppDelegate.h"
#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "platform/desktop/MemoryDefaults.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Scene.h"
#include "platform/scene/ViewProjector.h"
#include "support/FakeDesktop.h"
#include "support/TemporaryFolder.h"
#include "swing/SwingInfo.h"

namespace plimsa {
namespace {

using testing::FakeOverlayWindow;
using testing::ScopedEnvironment;

struct FakeSeams final : SettingsPanel, UpdateNotice {
    void show(bool onPacks) override { shows.push_back(onPacks); }
    void closeWindow() override { ++closes; }
    std::optional<UpdateInfo> available() const override { return info; }
    Connection onAvailableChange(Observer observer) override { return changed.connect(std::move(observer)); }
    void check() override { ++checks; }
    void open() override {}
    void startPeriodicChecks() override { ++periodic; }

    std::vector<bool> shows;
    std::optional<UpdateInfo> info;
    Signal<const std::optional<UpdateInfo>&> changed;
    int closes = 0, checks = 0, periodic = 0;
};

SwingConfig swing(std::vector<std::string> characters, SwingAttach attach = SwingAttach::screen) {
    SwingConfig config;
    config.characters = std::move(characters), config.attach = attach;
    return config;
}

CornerConfig corner(std::string character, CornerSide side = CornerSide::right) {
    CornerConfig config;
    config.character = std::move(character), config.side = side;
    return config;
}

class ShellTest : public ::testing::Test {
  protected:
    ShellTest() {
        services.swingScene.seed = services.cornerScene.seed = 7;
        desktop.screenList.frame = DesktopRect{0, 0, 1440, 900};
        desktop.screenList.visibleFrame = DesktopRect{0, 0, 1440, 875};
    }
    ~ShellTest() override { Settings::setPersist(true), CharacterLibrary::hideLibrary = false; }
    void launch(std::vector<std::string> arguments = {}) {
        shell = std::make_unique<AppDelegate>(desktop, settings, std::move(arguments), services);
        shell->applicationDidFinishLaunching();
    }
    // Stores the lists as the panel would, and lets the delegate catch up.
    void store(std::vector<SwingConfig> swings, std::vector<CornerConfig> corners = {}) {
        settings.update([&](Settings::Values& v) { v.swings = swings, v.corners = corners; });
        desktop.manual.runPending();
    }
    FakeOverlayWindow& window(size_t index) { return *desktop.overlays->at(index); }
    std::optional<int32_t> frontPid(int32_t pid, std::optional<std::string> bundle = {}) {
        desktop.windows.front = RunningApplication{pid, std::move(bundle)};
        const auto front = tracker.frontmostWindow();
        return front ? std::optional(front->pid) : std::nullopt;
    }

    testing::TemporaryFolder folder;
    ScopedEnvironment data{"XDG_DATA_HOME", (folder.path() / "data").string()};
    ScopedEnvironment config{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    ScopedEnvironment cornerWidth{"PLIMSA_CORNER_W"}, cornerHeight{"PLIMSA_CORNER_H"};
    MemoryDefaults defaults;
    Settings settings{defaults};
    testing::FakeDesktop desktop;
    FakeSeams seams;
    SwingInfo info;
    std::ostringstream out;
    AppDelegateServices services{&seams, &seams, &info, {}, {}, &out, "/opt/plimsa app/plimsa"};
    std::unique_ptr<AppDelegate> shell;
    WindowTracker tracker{desktop.windows, desktop.screenList};
};

constexpr int32_t kEditor = 100, kBrowser = 200;

TEST_F(ShellTest, StartUpFlags) {
    const struct {
        std::vector<std::string> arguments;
        size_t swings;
        std::string corner;  // character and side of the one sitter, if any
        bool persist;
        std::vector<bool> panelShows;
    } cases[] = {{{}, 0, "", true, {true}},
                 {{"--store-test"}, 0, "", false, {true}},
                 {{"--panel"}, 0, "", true, {false, true}},
                 {{"--panel-test"}, 1, "Basil right", false, {}},
                 {{"--corner-test", "Robo", "left"}, 0, "Robo left", false, {}},
                 {{"left", "--corner-test", "Robo"}, 0, "Robo left", false, {}},
                 {{"--corner-test", "Robo"}, 0, "Robo right", false, {}},
                 {{"--corner-test"}, 0, "", true, {true}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments.front());
        Settings::setPersist(true);
        settings.set({});
        seams.shows.clear();
        const int writes = defaults.writeCount();
        launch(c.arguments);
        EXPECT_EQ(shell->instances().size(), c.swings);
        const auto& corners = settings.v().corners;
        EXPECT_EQ(corners.empty()
                      ? ""
                      : corners[0].character + (corners[0].side == CornerSide::left ? " left" : " right"),
                  c.corner);
        EXPECT_EQ(shell->corners().size(), corners.size());
        EXPECT_EQ(Settings::persist(), c.persist);
        EXPECT_TRUE(c.persist || defaults.writeCount() == writes);  // test flags never save
        EXPECT_EQ(seams.shows, c.panelShows);
    }
    seams.shows.clear(), desktop.trayHost = false;  // no tray for the menu: the panel opens
    launch({"--corner-test", "Robo"});
    EXPECT_EQ(seams.shows, std::vector<bool>{false});
}

TEST_F(ShellTest, PanelAutocloseAndStatusFrame) {
    for (const auto& [value, closes] :
         {std::pair{"2.5", 1}, {"abc", 0}, {" 2", 0}, {"2s", 0}, {"", 0}, {"-", 0}}) {
        seams.closes = 0;
        std::vector<std::string> arguments{"--panel-autoclose", value};
        if (std::string(value) == "-") arguments.pop_back();  // the flag last
        launch(arguments);
        desktop.manual.advance(2.49);
        EXPECT_EQ(seams.closes, 0);
        desktop.manual.advance(0.02);
        EXPECT_EQ(seams.closes, closes) << value;
    }

    launch({"--print-status-frame"});  // the tray knows no frame: nothing
    desktop.statusItemFrame = DesktopRect{1200, 877, 24, 22.5};
    launch({"--print-status-frame"});
    EXPECT_EQ(out.str(), "STATUS_FRAME 1200.0 877.0 24.0 22.5\n");
    EXPECT_EQ(AppDelegate::statusFrameLine({-3, 0.1, 1e21, 1.0 / 3}),
              "STATUS_FRAME -3.0 0.1 1e+21 0.3333333333333333\n");
}

TEST_F(ShellTest, SettingsChangesReachTheInstancesOnALaterTurn) {
    launch();
    const SwingConfig first = swing({"Pip"}), second = swing({"Juno"});
    const CornerConfig sitter = corner("Moss");
    settings.update([&](Settings::Values& v) { v.swings = {first, second}, v.corners = {sitter}; });
    EXPECT_TRUE(shell->instances().empty());
    desktop.manual.runPending();
    ASSERT_TRUE(shell->instances().size() == 2 && shell->instances()[1]->config() == second);
    EXPECT_EQ(info.minCharacterSize().count(first.id), 1u);
    EXPECT_TRUE(window(2).alpha == 0.85 &&
                window(2).rect.width == std::round(120 * CornerScene::widthUnits()));

    // A frame-rate change re-applies every swing, but no sitter whose record is unchanged.
    settings.update([](Settings::Values& v) { v.frameRate = 30; });
    desktop.manual.runPending();
    EXPECT_TRUE(window(0).framesPerSecond == 30 && window(2).framesPerSecond == 60);

    // A removed swing goes at once; its id later gets a fresh instance, appended.
    store({second}, {sitter});
    EXPECT_EQ(desktop.overlays->size(), 2u);
    store({second, first}, {sitter});
    EXPECT_EQ(shell->instances().back()->id(), first.id);

    // Once the delegate is gone the queued sync and the timers do nothing (ASan: no use after free).
    settings.update([](Settings::Values& v) { v.swings.clear(); });
    shell.reset();
    desktop.manual.advance(1.0);
}

TEST_F(ShellTest, SwingsHangFromTheScreenOrTheFrontWindow) {
    launch();
    SwingConfig config = swing({"", "Pip"});
    store({config});
    const double w = window(0).rect.width, h = window(0).rect.height;
    // The rectangle puts the window's left edge at -400.5 + the hanging point's distance from the
    // rectangle's left edge, and its top at -20.5: every result is a half, rounded away from zero.
    const struct {
        double width, anchor, x;
    } cases[] = {{1000, 0.0, -311}, {1000, 1.0, 510}, {1000, 0.5, 100}, {150, 0.72, -311}};
    for (const auto& c : cases) {
        desktop.screenList.visibleFrame = DesktopRect{w / 2 - 400.5, -120.5, c.width, h + 100};
        config.anchorFraction = c.anchor;
        store({config});
        shell->tick();
        EXPECT_EQ(window(0).origins.back(), DesktopPoint(c.x, -21)) << c.width << " " << c.anchor;
    }

    // Window-attached: follows the front window when it moves, only then; hidden and back: no move.
    store({swing({"Pip"}, SwingAttach::window)});
    desktop.windows.front = RunningApplication{100, "Editor"};
    desktop.windows.windows = {{100, 0, DesktopRect{100, 25, 800, 600}, {}}};
    for (const double x : {100, 100, 140, 140}) desktop.windows.windows[0].bounds->x = x, shell->tick();
    EXPECT_EQ(window(0).rect.y + window(0).rect.height, 875);  // the title bar's top: 900 - 25
    desktop.windows.front.reset();
    shell->tick();
    desktop.windows.front = RunningApplication{100, "Editor"};
    shell->tick();
    EXPECT_EQ(window(0).origins.size(), 2u);
}

TEST_F(ShellTest, WhatIsHiddenAndPaused) {
    launch();
    constexpr SwingAttach onScreen = SwingAttach::screen, onWindow = SwingAttach::window;
    const struct {
        std::vector<std::string> characters;
        SwingAttach attach;
        bool screen, front, shown;
    } cases[] = {{{""}, onScreen, true, true, false},     {{}, onScreen, true, true, false},
                 {{"", ""}, onWindow, true, true, false}, {{"", "Pip"}, onScreen, true, false, true},
                 {{"Pip"}, onWindow, true, false, false}, {{"Pip"}, onWindow, true, true, true},
                 {{"Pip"}, onScreen, false, true, true},  {{"Pip"}, onScreen, false, false, false}};
    desktop.windows.windows = {{100, 0, DesktopRect{100, 25, 800, 600}, {}}};
    for (const auto& c : cases) {
        const std::string sitter = c.characters.empty() ? "" : c.characters.back();
        store({swing(c.characters, c.attach)}, {corner(sitter)});
        desktop.screenList.visibleFrame = c.screen ? desktop.screenList.frame : std::nullopt;
        desktop.windows.front = c.front ? std::optional(RunningApplication{100, {}}) : std::nullopt;
        shell->tick();
        EXPECT_TRUE(window(0).visible == c.shown && window(0).playing == c.shown);
        // Without a screen sitters are left as they are (new ones: hidden).
        EXPECT_EQ(window(1).visible, c.screen && !sitter.empty());
    }
    desktop.screenList.visibleFrame = DesktopRect{0, 70, 1440, 805};
    for (const auto& [side, x] :
         {std::pair{CornerSide::right, 1440 - window(1).rect.width}, {CornerSide::left, 0.0}}) {
        store({}, {corner("Moss", side)});
        shell->tick();
        shell->tick();
        EXPECT_EQ(window(0).origins, (std::vector{DesktopPoint(x, 70)}));
    }
}

TEST_F(ShellTest, CatchesTheMouseOnlyOverGrabNodes) {
    launch();
    store({swing({"Pip"})});
    shell->tick();
    const FakeOverlayWindow& overlay = window(0);
    SwingScene& scene = shell->instances().front()->scene();
    const auto board = scene.swingParts()->childNodeWithName("grab");
    const auto chain = scene.swingParts()->childNodeWithName("chain");
    ASSERT_TRUE(board && board->geometry() && chain);
    const ViewProjector view(*scene.cameraNode(), {overlay.rect.width, overlay.rect.height});
    const glm::dvec2 origin{overlay.rect.x, overlay.rect.y};
    const auto at = [&](const glm::vec3& world) { return origin + glm::dvec2(view.projectPoint(world)); };
    const DesktopPoint onBoard =
        at(board->convertPosition(board->geometry()->boundingBox().center(), nullptr));
    // High on a chain, above the character's head: a node, but not one to grab.
    const DesktopPoint onChain = at(chain->convertPosition({0.0f, -0.15f, 0.0f}, nullptr));
    ASSERT_FALSE(view.hitTest(scene.scene()->rootNode(), glm::vec2(onChain - origin)).empty());
    const std::pair<DesktopPoint, bool> moves[] = {{onBoard, true},    {{origin.x + 4, onBoard.y}, false},
                                                   {onChain, false},   {onBoard, true},
                                                   {onBoard, true},    {{-50, -50}, false},
                                                   {{-60, -50}, false}};
    for (const auto& [mouse, catches] : moves) {
        desktop.mouse = mouse;
        shell->tick();
        EXPECT_EQ(overlay.ignoresMouse, !catches) << mouse.x << ", " << mouse.y;
    }
    EXPECT_EQ(overlay.mouseFlagWrites, 4);  // only the changes
}

TEST_F(ShellTest, PushesAndWindowSizes) {
    launch();
    store({swing({"Pip"}), swing({"Juno"}), swing({"Pip"})}, {corner("Moss")});
    desktop.statusItem->items[1].action();  // "Give a push"
    window(1).onClick();
    for (size_t i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(shell->instances()[i]->scene().pendingPush(), i == 1 ? 2.8 : 1.4);
    EXPECT_FALSE(window(3).onClick);

    for (const auto& [amplitude, holds] : {std::pair{0.69, false}, {0.7, true}, {1.0, true}, {1.01, false}})
        EXPECT_EQ(SwingInstance::holdsSize(amplitude, 1.0), holds) << amplitude;
    SwingInstance& instance = *shell->instances().front();
    EXPECT_EQ(window(0).resizes, 1);  // made for a half turn, fitted by the first apply
    // Swinging wider grows the window and forgets the origin; wider still, the screen caps the size the
    // window already has: no resize, and the origin stays.
    for (const auto& [theta, resizes, keepsOrigin] : {std::tuple{2.0, 2, false}, {3.0, 2, true}}) {
        instance.setLastOrigin(DesktopPoint(5, 5));
        instance.scene().setTheta(theta);
        instance.fitWindow();
        EXPECT_TRUE(window(0).resizes == resizes && instance.lastOrigin().has_value() == keepsOrigin)
            << theta;
        EXPECT_EQ(instance.sizedForAmplitude(), instance.scene().predictedAmplitude());
    }
    EXPECT_GT(window(0).rect.width, instance.scene().requiredSize(0.5).width);

    auto click = window(0).onClick;  // a click after its swing is gone does nothing
    store({});
    click();
}

TEST_F(ShellTest, TrayMenuUpdateNoticeAndStartAtLogin) {
    seams.info = UpdateInfo{"1.2", "https://example.org", ""};
    launch();
    testing::FakeStatusItem& tray = *desktop.statusItem;
    std::string menu;
    for (const auto& item : tray.items) menu += (item.separator ? "-" : item.title) + "(" + item.key + ") ";
    EXPECT_EQ(menu,
              "Customize\u2026(,) Give a push(p) -() Version 1.2 is out: see what's new\u2026() Start at "
              "login() Quit(q) ");
    StatusMenuItem &update = tray.items[3], &login = tray.items[4];
    seams.changed.publish(seams.info = std::nullopt);
    EXPECT_TRUE(!update.visible && update.title.empty());
    seams.changed.publish(seams.info = UpdateInfo{"1.3", "https://example.org", ""});
    EXPECT_TRUE(update.visible && update.title == "Version 1.3 is out: see what's new\u2026");
    desktop.manual.advance(4.9);
    const int early = seams.checks;
    desktop.manual.advance(0.2);
    EXPECT_TRUE(early == 0 && seams.checks == 1 && seams.periodic == 1);  // the first check after 5 s

    const auto entry = folder.path() / "config/autostart/plimsa.desktop";
    EXPECT_FALSE(login.checked || std::filesystem::exists(entry));
    login.action();
    std::stringstream text;
    text << std::ifstream(entry).rdbuf();
    EXPECT_TRUE(login.checked && text.str().find("\nExec=\"/opt/plimsa app/plimsa\"\n") != std::string::npos);
    login.action();
    EXPECT_FALSE(login.checked || std::filesystem::exists(entry));
    EXPECT_FALSE(Autostart::entryText("relative/plimsa") || Autostart::entryText("/a\nb"));
    EXPECT_NE(Autostart::entryText("/a$b%c\\d")->find("Exec=\"/a\\\\$b%%c\\\\\\\\d\"\n"), std::string::npos);
}

TEST_F(ShellTest, SkipsWindowsThatAreSmallFaintOrNotOrdinary) {
    desktop.windows.front = RunningApplication{kEditor, {}};
    // {pid, width, height, layer, alpha}: all but the last are passed over for the larger window behind.
    const std::tuple<std::optional<int32_t>, double, double, int, std::optional<double>> cases[] = {
        {kEditor, 199, 300, 0, {}},   {kEditor, 300, 119, 0, {}},  {kEditor, 300, 300, 3, {}},
        {kEditor, 300, 300, 0, 0.05}, {kEditor, 300, 300, 0, NAN}, {{}, 300, 300, 0, {}},
        {kEditor, 200, 120, 0, 0.1}};
    for (const auto& [pid, width, height, layer, alpha] : cases) {
        desktop.windows.windows = {{pid, layer, DesktopRect{0, 0, width, height}, alpha},
                                   {kEditor, 0, DesktopRect{0, 0, 500, 400}, {}}};
        EXPECT_EQ(tracker.frontmostWindow()->frame.width, alpha == 0.1 ? 200 : 500)
            << width << " alpha " << alpha.value_or(-1);
    }
}

TEST_F(ShellTest, FlipsWithThePrimaryScreensHeightOnEveryMonitor) {
    desktop.windows.front = RunningApplication{kEditor, "Editor"};
    desktop.windows.windows = {{kEditor, 0, DesktopRect{100, 25, 800, 600}, {}}};
    EXPECT_EQ(tracker.frontmostWindow(), (TrackedWindow{{100, 275, 800, 600}, kEditor, "Editor"}));
    desktop.windows.windows = {
        {kEditor, 0, DesktopRect{200, -800, 800, 600}, {}}};  // a monitor above the primary
    EXPECT_EQ(tracker.frontmostWindow()->frame, (DesktopRect{200, 1100, 800, 600}));
}

TEST_F(ShellTest, TransientSurfacesAndOurOwnWindowsKeepTheAppUsedBefore) {
    desktop.windows.windows = {{kEditor, 0, DesktopRect{100, 25, 800, 600}, {}},
                               {kBrowser, 0, DesktopRect{0, 0, 999, 700}, {}}};
    EXPECT_EQ(frontPid(7, "com.apple.Spotlight"), std::nullopt);  // nothing used before
    EXPECT_EQ(frontPid(desktop.windows.own), std::nullopt);
    EXPECT_EQ(frontPid(300, "Terminal"), std::nullopt);  // no window, yet it is remembered
    EXPECT_EQ(tracker.lastApp(), (RunningApplication{300, "Terminal"}));

    EXPECT_EQ(frontPid(kEditor, "Gedit"), kEditor);
    for (const char* transient : {"com.apple.dock", "Plasmashell", "XFCE4-PANEL", "dunst", "Rofi", "conky"})
        EXPECT_EQ(frontPid(8, transient), kEditor) << transient;
    EXPECT_EQ(frontPid(desktop.windows.own), kEditor);
    EXPECT_EQ(frontPid(kBrowser), kBrowser);  // no class: never transient
    EXPECT_EQ(frontPid(kEditor, "plank-editor"), kEditor);

    desktop.windows.terminated.insert(kEditor);  // quits while a notification is in front
    EXPECT_EQ(frontPid(9, "xfce4-notifyd"), std::nullopt);
    desktop.windows.front.reset();
    EXPECT_EQ(tracker.frontmostWindow(), std::nullopt);
    EXPECT_EQ(tracker.lastApp()->pid, kEditor);
}

}  // namespace
}  // namespace plimsa
