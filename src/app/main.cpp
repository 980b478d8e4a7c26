#include <QApplication>
#include <QSurfaceFormat>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "app/Snapshot.h"
#include "config/Settings.h"
#include "platform/desktop/FileDefaults.h"
#include "platform/qt/OverlayRenderer.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QuitOnSignal.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/X11Session.h"

namespace {

int runDesktop(int argc, char** argv) {
    using namespace plimsa;
    bool fatal = false;
    if (const std::string line = x11_session::prepare(fatal); !line.empty())
        std::fprintf(stderr, "%s\n", line.c_str());
    if (fatal) return 1;

    QSurfaceFormat::setDefaultFormat(OverlayRenderer::surfaceFormat());
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("plimsa"));
    QApplication::setApplicationDisplayName(QStringLiteral("Plimsa"));
    QGuiApplication::setDesktopFileName(QStringLiteral("plimsa"));

    SingleInstance guard;
    if (!guard.isPrimary()) return 0;  // the running copy shows its panel

    if (const auto folder = FileDefaults::standardFolder(); !folder.empty())
        Settings::installDefaults(std::make_unique<FileDefaults>(folder));

    const QuitOnSignal quitOnSignal;
    auto desktop = std::make_unique<QtDesktop>();
    auto delegate = std::make_unique<AppDelegate>(*desktop, Settings::shared(),
                                                  std::vector<std::string>(argv + 1, argv + argc));
    guard.setOnShowRequest([&delegate] { delegate->showPanel(); });
    delegate->applicationDidFinishLaunching();
    const int status = QApplication::exec();

    // Instances and their windows first, then the renderer (its GL resources freed with its context
    // current), then the application.
    guard.setOnShowRequest({});
    delegate.reset();
    desktop.reset();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // The snapshot mode (and --help, --version) ends the process itself, before any display is touched.
    plimsa::Snapshot::runIfRequested(argc, argv);
    return runDesktop(argc, argv);
}
