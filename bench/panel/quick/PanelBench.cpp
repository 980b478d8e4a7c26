// The settings panel on a virtual X display of its own (Xvfb; llvmpipe draws Qt Quick): how long "Customize…"
// takes to a drawn window, whether memory grows over openings and closings, and what live portraits cost.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QSurfaceFormat>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "library/CharacterPreviews.h"
#include "library/Packs.h"
#include "library/PortraitScenes.h"
#include "panel/quick/PanelController.h"
#include "panel/quick/PanelModel.h"
#include "panel/quick/PanelModule.h"
#include "platform/desktop/MemoryDefaults.h"
#include "platform/qt/OverlayRenderer.h"
#include "platform/qt/QtDispatch.h"
#include "support/TemporaryFolder.h"
#include "support/VirtualDesktop.h"
#include "swing/SwingInfo.h"

PLIMSA_IMPORT_PANEL_MODULE()

namespace {

using namespace plimsa;

/// The panel's world for the whole run: a store with two swings of the starter characters (their pages show
/// two live portraits each) and a corner sitter, the starter characters in a temporary library.
struct PanelWorld {
    QtDispatch dispatch;
    MemoryDefaults defaults;
    Settings settings{defaults};
    SwingInfo swingInfo;
    Packs packs{std::nullopt, std::filesystem::path(PLIMSA_CATALOGUE)};
    std::unique_ptr<CharacterPreviews> previews;
    PortraitScenes portraits{dispatch, {}};
    std::unique_ptr<PanelController> controller;

    explicit PanelWorld(const std::filesystem::path& folder) {
        packs.reload();
        previews = std::make_unique<CharacterPreviews>(
            dispatch, CharacterPreviews::Options{folder / "previews", {}, {}});
        for (const char* name : {"Poppy", "Basil"}) {
            std::error_code error;
            std::filesystem::copy_file(
                std::filesystem::path(PLIMSA_STARTER_DIR) / (std::string(name) + ".glb"),
                CharacterLibrary::directory() / (std::string(name) + ".glb"), error);
        }
        settings.update([](SettingsValues& values) {
            for (int i = 0; i < 2; ++i) {
                SwingConfig swing;
                swing.id = Uuid::random();
                swing.characters = {"Poppy", "Basil"};
                values.swings.push_back(swing);
            }
            CornerConfig corner;
            corner.id = Uuid::random();
            corner.character = "Basil";
            values.corners.push_back(corner);
        });
        controller = std::make_unique<PanelController>(PanelServices{.settings = settings,
                                                                     .swingInfo = swingInfo,
                                                                     .packs = packs,
                                                                     .previews = *previews,
                                                                     .portraits = portraits,
                                                                     .dispatch = dispatch,
                                                                     .updates = nullptr,
                                                                     .currentVersion = "0.1.0",
                                                                     .arguments = {},
                                                                     .earnUrl = {},
                                                                     .openUrl = [](const std::string&) {}});
    }
};

PanelWorld* world = nullptr;

/// Runs the event loop (sleeping while it has nothing to do, so that the CPU it takes is the panel's) until
/// `done` or `seconds` pass.
template <typename Done>
void spin(Done done, double seconds) {
    QEventLoop loop;
    QElapsedTimer timer;
    timer.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || timer.elapsed() >= seconds * 1000.0) loop.quit();
    });
    check.start(5);
    loop.exec();
}

void spinFor(double seconds) {
    spin([] { return false; }, seconds);
}

/// Shows the panel and waits for its first frame on screen; false when none came.
bool openAndDraw() {
    world->controller->show(false);
    // Frames are swapped on the render thread, which may still be in the handler after the disconnect.
    auto swapped = std::make_shared<std::atomic<bool>>(false);
    const QMetaObject::Connection connection = QObject::connect(
        world->controller->window(), &QQuickWindow::frameSwapped, [swapped] { *swapped = true; });
    spin([&swapped] { return swapped->load(); }, 30.0);
    QObject::disconnect(connection);
    return *swapped;
}

void close() {
    world->controller->closeWindow();
    QGuiApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double processCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The first opening of the process: the QML engine, the module's types and every page component are new.
// Registered first, so that it runs first.
void BM_PanelOpenCold(benchmark::State& state) {
    for (auto _ : state) {
        if (!openAndDraw()) state.SkipWithError("no frame");
        state.PauseTiming();
        close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PanelOpenCold)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PanelOpenWarm(benchmark::State& state) {
    for (auto _ : state) {
        if (!openAndDraw()) state.SkipWithError("no frame");
        state.PauseTiming();
        close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PanelOpenWarm)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

/// Opens the panel, lets it draw the first swing's page with its live portraits for a second, and closes it.
void openShowClose() {
    openAndDraw();
    spinFor(1.0);
    close();
}

// Resident memory after ten openings and closings (and the portrait pool's release), against after the
// first one: what the process keeps once it has shown the panel (the QML engine's type caches, the GL
// driver, fonts) is not growth.
void BM_PanelOpenCloseTenTimes(benchmark::State& state) {
    for (auto _ : state) {
        openShowClose();
        spinFor(PanelController::kPortraitReleaseSeconds + 0.5);
        const double before = residentMiB();
        for (int i = 0; i < 10; ++i) openShowClose();
        spinFor(PanelController::kPortraitReleaseSeconds + 0.5);
        const double after = residentMiB();
        state.counters["rss_before_MiB"] = before;
        state.counters["rss_after_MiB"] = after;
        state.counters["growth_MiB"] = after - before;
    }
}
BENCHMARK(BM_PanelOpenCloseTenTimes)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The open panel, one second of the event loop per iteration: the process's CPU seconds per second, on the
// general page (no live portrait) and on the first swing's page (a two-seater: two live portraits).
void BM_OpenPanelCpu(benchmark::State& state) {
    openAndDraw();
    if (state.range(0) == 0) world->controller->model()->showGeneral();
    spinFor(3.0);  // scenes load and portraits become ready
    double cpu = 0.0, wall = 0.0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const double start = processCpuSeconds();
        spinFor(1.0);
        cpu += processCpuSeconds() - start;
        wall += static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    }
    state.counters["cpu_percent"] = wall > 0.0 ? 100.0 * cpu / wall : 0.0;
    close();
}
BENCHMARK(BM_OpenPanelCpu)->Arg(0)->Arg(2)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    testing::TemporaryFolder home;
    ::setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
    testing::VirtualDesktop desktop({.width = 1440, .height = 900, .windowManager = true});
    if (!desktop.isRunning()) {
        std::fprintf(stderr, "no virtual desktop: %s\n", desktop.failure().c_str());
        return 1;
    }
    ::setenv("DISPLAY", desktop.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QSurfaceFormat::setDefaultFormat(OverlayRenderer::surfaceFormat());
    QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    std::filesystem::create_directories(CharacterLibrary::directory());
    PanelWorld panelWorld(home.path());
    world = &panelWorld;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    world = nullptr;
    return 0;
}
