// One tick of the desktop shell (30 a second): four swings and two corner sitters placed over a front
// window and the screen, with the cursor away from every overlay (no hit test) and over a swing's board
// (bounding-box hit test of its scene).
#include <benchmark/benchmark.h>

#include "app/AppDelegate.h"
#include "config/Settings.h"
#include "platform/desktop/MemoryDefaults.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/ViewProjector.h"
#include "support/FakeDesktop.h"
#include "support/TemporaryFolder.h"
#include "swing/SwingInfo.h"

namespace plimsa {
namespace {

void shellTick(benchmark::State& state) {
    const testing::TemporaryFolder folder;
    const testing::ScopedEnvironment data("XDG_DATA_HOME", folder.path().string());
    const testing::ScopedEnvironment config("XDG_CONFIG_HOME", folder.path().string());
    MemoryDefaults defaults;
    Settings settings(defaults);
    testing::FakeDesktop desktop;
    desktop.screenList.frame = DesktopRect{0, 0, 2560, 1440};
    desktop.screenList.visibleFrame = DesktopRect{0, 0, 2560, 1415};
    desktop.windows.front = RunningApplication{100, "Editor"};
    for (int i = 0; i < 12; ++i)  // the front application's window, then others behind it
        desktop.windows.windows.push_back({100 + i, 0, DesktopRect{40.0 * i, 30, 1200, 800}, {}});
    SwingInfo info;
    AppDelegateServices services;
    services.swingInfo = &info;
    AppDelegate shell(desktop, settings, {}, services);
    shell.applicationDidFinishLaunching();
    settings.update([](Settings::Values& v) {
        for (int i = 0; i < 4; ++i) {
            v.swings.emplace_back();
            v.swings.back().characters = {"Pip", i % 2 ? "Juno" : ""};
            v.swings.back().attach = i < 2 ? SwingAttach::window : SwingAttach::screen;
            v.swings.back().anchorFraction = 0.2 + 0.2 * i;
        }
        v.corners.resize(2);
        v.corners[0].character = v.corners[1].character = "Moss";
        v.corners[1].side = CornerSide::left;
    });
    desktop.manual.runPending();
    shell.tick();
    if (state.range(0) == 1) {
        const SwingInstance& swing = *shell.instances().front();
        const auto board = swing.scene().swingParts()->childNodeWithName("grab");
        const DesktopRect frame = swing.window().frame();
        const ViewProjector view(*swing.scene().cameraNode(), {frame.width, frame.height});
        const glm::vec3 point =
            view.projectPoint(board->convertPosition(board->geometry()->boundingBox().center(), nullptr));
        desktop.mouse = {frame.x + point.x, frame.y + point.y};
    }
    for (auto _ : state) shell.tick();
    state.SetLabel(state.range(0) == 1 ? "cursor over a board" : "cursor away");
}
BENCHMARK(shellTick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plimsa
