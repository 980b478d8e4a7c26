#include <QApplication>
#include <QDesktopServices>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSurfaceFormat>
#include <QUrl>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "app/Snapshot.h"
#include "app/UpdateCheckerNotice.h"
#include "app/Version.h"
#include "config/Settings.h"
#include "library/CharacterPreviews.h"
#include "library/Packs.h"
#include "library/PortraitScenes.h"
#include "library/UserDataFolder.h"
#include "panel/quick/PanelController.h"
#include "panel/quick/PanelModule.h"
#include "platform/desktop/FileDefaults.h"
#include "platform/qt/OverlayRenderer.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtFeedFetcher.h"
#include "platform/qt/QuitOnSignal.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/X11Session.h"
#include "swing/SwingInfo.h"
#include "update/UpdateChecker.h"

PLIMSA_IMPORT_PANEL_MODULE()

namespace {

void openInDefaultProgram(const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

/// The shell's settings panel: the Qt Quick panel window.
class PanelWindow final : public plimsa::SettingsPanel {
  public:
    explicit PanelWindow(plimsa::PanelServices services) : controller_(std::move(services)) {}
    void show(bool onPacks) override { controller_.show(onPacks); }
    void closeWindow() override { controller_.closeWindow(); }

  private:
    plimsa::PanelController controller_;
};

std::unique_ptr<plimsa::UpdateChecker> makeUpdateChecker(plimsa::Dispatch& dispatch,
                                                         plimsa::QtFeedFetcher& fetcher) {
    using namespace plimsa;
    UpdateChecker::Options options;
    options.feed = update_feed::feedFromEnvironment(PLIMSA_UPDATE_FEED_URL).value_or("");
    options.currentVersion = kVersion;
    options.openUrl = openInDefaultProgram;
    auto fetch = [&fetcher](const std::string& url, double timeoutSeconds,
                            UpdateChecker::FetchCompletion done) {
        fetcher.get(url, timeoutSeconds, std::move(done));
    };
    return std::make_unique<UpdateChecker>(dispatch, std::move(fetch), std::move(options));
}

int runDesktop(int argc, char** argv) {
    using namespace plimsa;
    bool fatal = false;
    if (const std::string line = x11_session::prepare(fatal); !line.empty())
        std::fprintf(stderr, "%s\n", line.c_str());
    if (fatal) return 1;

    QSurfaceFormat::setDefaultFormat(OverlayRenderer::surfaceFormat());
    // The panel's live portraits draw with our OpenGL renderer inside Qt Quick.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
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
    auto fetcher = std::make_unique<QtFeedFetcher>();
    auto updateChecker = makeUpdateChecker(desktop->dispatch(), *fetcher);
    auto updateNotice = std::make_unique<UpdateCheckerNotice>(*updateChecker);
    // The panel's thumbnails and portrait scenes are the app's own, so that they end, with their worker
    // threads, while the main queue their results go to still exists.
    Dispatch& dispatch = desktop->dispatch();
    const std::filesystem::path userData = userDataFolder();
    auto previews = std::make_unique<CharacterPreviews>(
        dispatch, CharacterPreviews::Options{userData.empty() ? userData : userData / "Previews", {}, {}});
    auto portraits = std::make_unique<PortraitScenes>(dispatch, PortraitScenes::Options{});
    auto panel = std::make_unique<PanelWindow>(PanelServices{
        .settings = Settings::shared(),
        .swingInfo = SwingInfo::shared(),
        .packs = Packs::shared(),
        .previews = *previews,
        .portraits = *portraits,
        .dispatch = dispatch,
        .updates = updateChecker.get(),
        .currentVersion = kVersion,
        .arguments = std::vector<std::string>(argv + 1, argv + argc),
        .earnUrl = PLIMSA_EARN_URL,
        .openUrl = openInDefaultProgram,
    });
    AppDelegateServices services;
    services.updates = updateNotice.get();
    services.panel = panel.get();
    auto delegate = std::make_unique<AppDelegate>(*desktop, Settings::shared(),
                                                  std::vector<std::string>(argv + 1, argv + argc), services);
    guard.setOnShowRequest([&delegate] { delegate->showPanel(); });
    delegate->applicationDidFinishLaunching();
    const int status = QApplication::exec();

    // Instances and their windows first, then the panel and what it draws, then the update checker and its
    // requests, then the renderer (its GL resources freed with its context current), then the application.
    guard.setOnShowRequest({});
    delegate.reset();
    panel.reset();
    portraits.reset();
    previews.reset();
    updateNotice.reset();
    updateChecker.reset();
    fetcher.reset();
    desktop.reset();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // The snapshot mode (and --help, --version) ends the process itself, before any display is touched.
    plimsa::Snapshot::runIfRequested(argc, argv);
    return runDesktop(argc, argv);
}
