// Live portraits and thumbnails in a real Qt Quick window. Each case runs its application in a child
// process of its own (a fresh one per run), since the platform it picks (xcb on a virtual desktop, or
// offscreen) is fixed for the life of a process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSurfaceFormat>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "library/CharacterPreviews.h"
#include "library/Packs.h"
#include "library/PortraitScene.h"
#include "library/PortraitScenes.h"
#include "panel/quick/PanelModel.h"
#include "panel/quick/PanelModule.h"
#include "platform/desktop/ManualDispatch.h"
#include "platform/desktop/MemoryDefaults.h"
#include "support/GlDrivers.h"
#include "support/RendererRequirement.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"
#include "support/VirtualDesktop.h"
#include "swing/SwingInfo.h"

PLIMSA_IMPORT_PANEL_MODULE()

namespace plimsa {
namespace {

constexpr int kNoRenderer = 77;

QStringList& qtWarnings() {
    static QStringList warnings;
    return warnings;
}

// A panel on a store of its own, whose temporary character folder holds generated humanoids named
// "Robo" and "Mia", and one black 200 x 100 window, in an application on `platform`. Child process only.
struct PortraitRun {
    PortraitRun(const char* platform, const std::string& display)
        : platform("QT_QPA_PLATFORM", platform), display("DISPLAY", display) {
        for (const char* name : {"Robo", "Mia"})
            std::filesystem::copy_file(TestHumanoids::path("humanoid-mixamo-colon.glb"),
                                       CharacterLibrary::directory() / (std::string(name) + ".glb"));
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg) qtWarnings().append(text);
        });
        QSurfaceFormat format;
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
        format.setAlphaBufferSize(8);
        QSurfaceFormat::setDefaultFormat(format);
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
        app = std::make_unique<QGuiApplication>(argc, argv);
        panel = std::make_unique<PanelModel>(services);
        engine = std::make_unique<QQmlEngine>();
        engine->addImportPath(QStringLiteral("qrc:/"));
        window = std::make_unique<QQuickWindow>();
        window->setColor(Qt::black);
        window->resize(200, 100);
    }
    ~PortraitRun() {
        testing::keepGlDriversLoaded();
        window.reset();
        engine.reset();
        panel.reset();
    }

    // Shows `qml`, a component of module Plimsa.Panel whose property `panel` is set to the panel.
    QQuickItem* show(const char* qml) {
        QQmlComponent component(engine.get());
        component.setData(QByteArray("import QtQuick\nimport Plimsa.Panel\n") + qml, QUrl());
        if (!component.isReady()) {
            qtWarnings().append(component.errorString());
            return nullptr;
        }
        auto* item = qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{"panel", QVariant::fromValue(panel.get())}}));
        // Owned by the window's content item too, so that it goes with the window.
        if (item != nullptr) {
            item->setParent(window->contentItem());
            item->setParentItem(window->contentItem());
        }
        window->show();
        return item;
    }

    template <typename Done>
    bool waitFor(Done done, double seconds) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < seconds * 1000.0) {
            dispatch.runBackground();
            dispatch.runPending();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return done();
    }

    // Share of the pixels in `rect` of the frame that are not black or, given `other` (a rectangle of the
    // same size), that differ from the pixel at the same place in it.
    static double coverage(const QImage& frame, QRect rect, std::optional<QRect> other = std::nullopt) {
        int counted = 0;
        for (int y = 0; y < rect.height(); ++y)
            for (int x = 0; x < rect.width(); ++x) {
                const int gray = qGray(frame.pixel(rect.x() + x, rect.y() + y));
                const int base = other ? qGray(frame.pixel(other->x() + x, other->y() + y)) : 0;
                counted += std::abs(gray - base) > 8 ? 1 : 0;
            }
        return static_cast<double>(counted) / (rect.width() * rect.height());
    }

    int users(const char* name) const {
        const std::shared_ptr<PortraitScene> scene = portraits.scene(name);
        return scene ? scene->users : -1;
    }

    testing::TemporaryFolder home;
    testing::ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path() / "data").string()};
    testing::ScopedEnvironment runtime{"XDG_RUNTIME_DIR", home.path().string()};
    testing::ScopedEnvironment platform;
    testing::ScopedEnvironment display;
    int argc = 1;
    char programName[16] = "portrait_tests";
    char* argv[2] = {programName, nullptr};
    std::unique_ptr<QGuiApplication> app;

    MemoryDefaults defaults;
    Settings settings{defaults};
    SwingInfo info;
    Packs packs{std::nullopt, std::nullopt};
    ManualDispatch dispatch;
    CharacterPreviews previews{dispatch, {}};
    PortraitScenes portraits{dispatch, {}};
    PanelServices services{settings, info, packs, previews, portraits, dispatch, nullptr, "", {}, "", {}};
    std::unique_ptr<PanelModel> panel;

    std::unique_ptr<QQmlEngine> engine;

    std::unique_ptr<QQuickWindow> window;
};

// Collects what went wrong in a child run; the exit status says whether anything did.
struct Failures {
    std::string text;
    void check(bool holds, const std::string& what) {
        if (!holds) text += what + "\n";
    }
    int status() {
        for (const QString& warning : qtWarnings()) text += "Qt said: " + warning.toStdString() + "\n";
        // To standard output, which the death test passes through as it is.
        std::fputs(text.c_str(), stdout);
        return text.empty() ? 0 : 1;
    }
};

// Both runs return the child's exit status, once everything they made (the X server too) is gone.
int liveRun() {
    testing::VirtualDesktop desktop;
    if (!desktop.isRunning()) {
        std::fprintf(stderr, "no virtual desktop: %s\n", desktop.failure().c_str());
        return 1;
    }
    Failures failures;
    {
        PortraitRun run("xcb", desktop.display());
        QQuickItem* item =
            run.show("PortraitItem { width: 96; height: 96; radius: 20; live: true; name: \"Robo\" }");
        const auto ready = [&] { return item != nullptr && item->property("ready").toBool(); };
        if (!run.waitFor(ready, 60)) {
            if (run.window->rendererInterface()->graphicsApi() != QSGRendererInterface::OpenGL)
                return kNoRenderer;
            failures.check(false, "the live portrait never became ready");
            return failures.status();
        }
        const QImage frame = run.window->grabWindow();
        failures.check(run.coverage(frame, QRect(0, 0, 96, 96)) > 0.1, "the character is not drawn");
        failures.check(run.coverage(frame, QRect(0, 72, 96, 24)) > run.coverage(frame, QRect(0, 0, 96, 24)),
                       "the character is not upright (the body reaches the bottom edge)");
        failures.check(run.coverage(frame, QRect(0, 90, 3, 3)) == 0, "the corner is not rounded off");
        failures.check(run.users("Robo") == 1, "the shown scene is not counted as used once");

        std::atomic<int> swapped = 0;  // counted on the render thread
        QObject::connect(run.window.get(), &QQuickWindow::frameSwapped, [&] { ++swapped; });
        for (const double x : {250.0, 150.0}) {  // out of the 200 point wide window, then half in it
            item->setX(x);
            run.waitFor([] { return false; }, 0.1);  // the repaint the move itself asks for
            swapped = 0;
            run.waitFor([] { return false; }, 0.6);
            failures.check((swapped >= 4) == (x < 200), "out of view it repaints, or in view it does not");
        }

        item->setProperty("name", "Mia");
        failures.check(!ready(), "still ready while the new character loads");
        failures.check(run.waitFor(ready, 60), "the second character never became ready");
        failures.check(run.users("Robo") == 0 && run.users("Mia") == 1,
                       "the name change did not swap the scenes");
        delete item;
        failures.check(run.users("Mia") == 0, "the destroyed item kept its scene");
    }
    return failures.status();
}

int offscreenRun() {
    Failures failures;
    {
        PortraitRun run("offscreen", "");
        QQuickItem* root = run.show(
            "Item { property PanelModel panel\n"
            "  PortraitView { panel: parent.panel; size: 96; live: true; name: \"Robo\" }\n"
            "  PortraitView { panel: parent.panel; x: 100; size: 96; live: true; name: \"Nobody\" } }");
        QQuickItem* tile = root != nullptr ? root->childItems().value(0) : nullptr;
        failures.check(tile != nullptr, "the tile was not made");
        if (tile == nullptr) return failures.status();
        const auto thumbnail = [&] { return run.previews.images().contains("Robo"); };
        if (!run.waitFor(thumbnail, 60)) return kNoRenderer;
        run.waitFor([] { return false; }, 0.5);
        for (QQuickItem* child : tile->childItems()) {
            if (child->property("live").isValid())
                failures.check(!child->property("ready").toBool(), "a live portrait is ready without OpenGL");
            if (child->property("available").isValid())
                failures.check(child->property("available").toBool(), "the thumbnail item has no thumbnail");
        }
        const QImage frame = run.window->grabWindow();
        failures.check(run.coverage(frame, QRect(0, 0, 96, 96), QRect(100, 0, 96, 96)) > 0.1,
                       "the thumbnail does not differ from the tile without one");
        failures.check(run.portraits.loading().empty() && !run.portraits.scene("Robo"),
                       "a live scene was loaded for a window that cannot draw it");
    }
    return failures.status();
}

// Runs `body` in a fresh process; false when it found no renderer (the caller skips).
bool runsAlone(int (*body)()) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    bool rendered = true;
    const auto passed = [&](int status) {
        rendered = !(WIFEXITED(status) && WEXITSTATUS(status) == kNoRenderer);
        return !rendered || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    };
    EXPECT_EXIT(std::exit(body()), passed, "");
    return rendered;
}

TEST(PortraitItem, LiveOnOpenGLBecomesReadyDrawsTheCharacterUprightInItsRoundedSquareAndGivesItsSceneBack) {
    if (!testing::VirtualDesktop::isInstalled()) {
        if (testing::virtualDesktopRequired()) FAIL() << "Xvfb is not installed";
        GTEST_SKIP() << "Xvfb is not installed";
    }
    PLIMSA_SKIP_WITHOUT_RENDERER(runsAlone(liveRun), "Qt Quick did not draw with OpenGL");
}

TEST(PortraitItem, WithoutOpenGLTheTileShowsTheThumbnailLoadsNoSceneAndWarnsOfNothing) {
    PLIMSA_SKIP_WITHOUT_RENDERER(runsAlone(offscreenRun), "no thumbnail could be rendered");
}

}  // namespace
}  // namespace plimsa
