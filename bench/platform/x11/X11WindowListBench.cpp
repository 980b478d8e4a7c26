// What the front-window tracker pays per tick for the X11 window list (frontmost application + on-screen
// windows) with 3 and 20 client windows under openbox on a virtual desktop: when nothing changed (the
// cache answers without a round trip), when one window moved since the last tick (one window's geometry
// read again), and a first read of everything (a fresh connection).

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <thread>

#include "platform/x11/X11WindowList.h"
#include "support/VirtualDesktop.h"
#include "support/X11TestClient.h"

namespace plimsa {
namespace {

using testing::VirtualDesktop;
using testing::X11TestClient;

/// One desktop per window count, started on first use and kept for the process.
struct Scene {
    std::unique_ptr<VirtualDesktop> desktop;
    std::unique_ptr<X11TestClient> client;
    std::vector<xcb_window_t> windows;
};

Scene* sceneWith(int windowCount, benchmark::State& state) {
    static std::map<int, std::unique_ptr<Scene>> scenes;
    std::unique_ptr<Scene>& scene = scenes[windowCount];
    if (!scene) {
        scene = std::make_unique<Scene>();
        scene->desktop =
            std::make_unique<VirtualDesktop>(testing::VirtualDesktopOptions{.windowManager = true});
        if (!scene->desktop->isRunning()) {
            state.SkipWithError(("no virtual desktop: " + scene->desktop->failure()).c_str());
            return nullptr;
        }
        scene->client = std::make_unique<X11TestClient>(scene->desktop->display());
        for (int i = 0; i < windowCount; ++i)
            scene->windows.push_back(scene->client->create({.pid = 1000 + i, .x = 20 * i, .y = 10 * i + 40}));
        auto list = createX11WindowList(scene->desktop->display().c_str());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (list && list->onScreenWindows().size() < static_cast<size_t>(windowCount) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!scene->desktop->isRunning()) {
        state.SkipWithError(("no virtual desktop: " + scene->desktop->failure()).c_str());
        return nullptr;
    }
    return scene.get();
}

size_t tick(WindowList& list) {
    benchmark::DoNotOptimize(list.frontmostApplication());
    const std::vector<ListedWindow> windows = list.onScreenWindows();
    benchmark::DoNotOptimize(windows.data());
    return windows.size();
}

void BM_TickUnchanged(benchmark::State& state) {
    Scene* scene = sceneWith(static_cast<int>(state.range(0)), state);
    if (scene == nullptr) return;
    auto list = createX11WindowList(scene->desktop->display().c_str());
    const size_t listed = tick(*list);
    for (auto _ : state) tick(*list);
    state.counters["windows"] = static_cast<double>(listed);
}
BENCHMARK(BM_TickUnchanged)->Arg(3)->Arg(20)->Unit(benchmark::kMicrosecond);

void BM_TickAfterMove(benchmark::State& state) {
    Scene* scene = sceneWith(static_cast<int>(state.range(0)), state);
    if (scene == nullptr) return;
    auto list = createX11WindowList(scene->desktop->display().c_str());
    tick(*list);
    const xcb_window_t moving = scene->windows.front();
    int step = 0;
    double seen = 0;
    double lastX = -1;
    for (auto _ : state) {
        state.PauseTiming();
        // Once the client itself sees the move, the window manager has made it and our events are sent.
        const auto before = scene->client->origin(moving);
        scene->client->move(moving, 100 + 40 * (++step % 2), 200);
        for (int wait = 0; wait < 1000 && scene->client->origin(moving) == before; ++wait)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        state.ResumeTiming();
        benchmark::DoNotOptimize(list->frontmostApplication());
        const std::vector<ListedWindow> windows = list->onScreenWindows();
        for (const ListedWindow& window : windows)
            if (window.pid == 1000 && window.bounds && window.bounds->x != lastX) {
                lastX = window.bounds->x;
                ++seen;
            }
    }
    // The share of ticks that saw the move: 1 when every move arrived before its tick.
    state.counters["movesSeen"] = seen / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TickAfterMove)->Arg(3)->Arg(20)->Iterations(400)->Unit(benchmark::kMicrosecond);

void BM_FirstRead(benchmark::State& state) {
    Scene* scene = sceneWith(static_cast<int>(state.range(0)), state);
    if (scene == nullptr) return;
    for (auto _ : state) {
        auto list = createX11WindowList(scene->desktop->display().c_str());
        tick(*list);
    }
}
BENCHMARK(BM_FirstRead)->Arg(3)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plimsa
