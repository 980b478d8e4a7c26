// The settings panel on a store of its own, for people to look at while they build it. Nothing outside a
// temporary folder is read or written, apart from the shipped catalogue and starter characters.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSurfaceFormat>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "humanoids/HumanoidWriter.h"
#include "library/CharacterLibrary.h"
#include "library/CharacterPreviews.h"
#include "library/Packs.h"
#include "library/PortraitScenes.h"
#include "panel/Sidebar.h"
#include "panel/quick/PackImport.h"
#include "panel/quick/PanelController.h"
#include "panel/quick/PanelModel.h"
#include "panel/quick/PanelModule.h"
#include "platform/desktop/MemoryDefaults.h"
#include "platform/qt/OverlayRenderer.h"
#include "platform/qt/QtDispatch.h"
#include "swing/SwingInfo.h"
#include "update/UpdateChecker.h"

PLIMSA_IMPORT_PANEL_MODULE()

namespace {

using namespace plimsa;

struct Options {
    std::string page;
    std::vector<std::string> library;
    bool libraryGiven = false;
    int swings = 1;
    int corners = 0;
    std::string update;
    std::string screenshot;
    int tabs = 0;
    int height = 0;
    int measure = 0;
    std::vector<std::string> imports;
    bool details = false;
    int waitSeconds = 4;
};

constexpr const char* kUsage =
    "usage: plimsa_panel_preview [--page swing|corner|packs|general] [--library NAME...] [--swings N]\n"
    "                            [--corners N] [--update VERSION] [--tab N] [--screenshot FILE.png]\n"
    "                            [--height PIXELS] [--measure N] [--import FILE...] [--details]\n"
    "                            [--wait SECONDS]\n"
    "  --library    names of characters: a starter's name, a file of the test-humanoid set\n"
    "               (humanoid-vrm0.vrm), a name ending in \".broken.glb\" (a file that is no model), or\n"
    "               any other name (a generated humanoid)\n"
    "  --import     imports the files (test-humanoid file names, or paths) as the packs page does\n"
    "  --details    opens the first character's import report before the screenshot\n"
    "  --wait S     seconds before the screenshot (4), for thumbnails and reports to arrive\n"
    "  --tab N      presses Tab N times before the screenshot (to see the focus ring)\n"
    "  --measure N  opens and closes the panel N times, printing how long each opening took to its first "
    "frame\n";

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc && argv[i + 1][0] != '-';
        if (argument == "--library") {
            options.libraryGiven = true;
            while (i + 1 < argc && argv[i + 1][0] != '-') options.library.emplace_back(argv[++i]);
        } else if (argument == "--page" && hasValue) {
            options.page = argv[++i];
        } else if (argument == "--swings" && hasValue) {
            options.swings = std::atoi(argv[++i]);
        } else if (argument == "--corners" && hasValue) {
            options.corners = std::atoi(argv[++i]);
        } else if (argument == "--update" && hasValue) {
            options.update = argv[++i];
        } else if (argument == "--height" && hasValue) {
            options.height = std::atoi(argv[++i]);
        } else if (argument == "--tab" && hasValue) {
            options.tabs = std::atoi(argv[++i]);
        } else if (argument == "--measure" && hasValue) {
            options.measure = std::atoi(argv[++i]);
        } else if (argument == "--import") {
            while (i + 1 < argc && argv[i + 1][0] != '-') options.imports.emplace_back(argv[++i]);
        } else if (argument == "--wait" && hasValue) {
            options.waitSeconds = std::atoi(argv[++i]);
        } else if (argument == "--details") {
            options.details = true;
        } else if (argument == "--screenshot" && hasValue) {
            options.screenshot = argv[++i];
        } else {
            return std::nullopt;
        }
    }
    if (!options.libraryGiven) options.library = {"Poppy", "Basil"};
    return options;
}

bool inStandardSet(const std::string& fileName) {
    for (const HumanoidSpec& spec : HumanoidSpec::standardSet())
        if (spec.fileName == fileName) return true;
    return false;
}

/// Each name as a character file: a member of the test-humanoid set by its file name, a file that is no
/// model for a name ending in ".broken.glb", the starter character of that name when the build made one,
/// else a generated test humanoid. Returns the character names (file names without extension).
std::vector<std::string> fillLibrary(const std::vector<std::string>& names) {
    const std::filesystem::path folder = CharacterLibrary::directory();
    std::vector<std::string> characters;
    for (const std::string& name : names) {
        if (inStandardSet(name) || name.ends_with(".broken.glb")) {
            characters.push_back(std::filesystem::path(name).stem().string());
            if (name.ends_with(".broken.glb")) {
                std::ofstream(folder / name) << "glTF? no: a model cut short";
            } else if (!HumanoidWriter::write(HumanoidSpec::named(name), folder)) {
                std::fprintf(stderr, "could not write %s\n", name.c_str());
            }
            continue;
        }
        characters.push_back(name);
        const std::filesystem::path starter = std::filesystem::path(PLIMSA_STARTER_DIR) / (name + ".glb");
        std::error_code error;
        if (std::filesystem::is_regular_file(starter, error) &&
            std::filesystem::copy_file(starter, folder / starter.filename(), error))
            continue;
        HumanoidSpec spec;
        spec.fileName = name + ".glb";
        if (!HumanoidWriter::write(spec, folder))
            std::fprintf(stderr, "could not write %s\n", spec.fileName.c_str());
    }
    return characters;
}

/// The files to import: members of the test-humanoid set are written to `folder` first.
std::vector<std::filesystem::path> importFiles(const std::vector<std::string>& names,
                                               const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const std::string& name : names) {
        if (inStandardSet(name) && HumanoidWriter::write(HumanoidSpec::named(name), folder))
            files.push_back(folder / name);
        else
            files.emplace_back(name);
    }
    return files;
}

void addRecords(Settings& settings, const Options& options) {
    const auto& library = options.library;
    settings.update([&](SettingsValues& values) {
        for (int i = 0; i < options.swings; ++i) {
            SwingConfig swing;
            swing.id = Uuid::random();
            swing.characters = {library.empty() ? std::string() : library[i % library.size()]};
            swing.anchorFraction = Sidebar::newSwingAnchor(values.swings.size());
            values.swings.push_back(swing);
        }
        for (int i = 0; i < options.corners; ++i) {
            CornerConfig corner;
            corner.id = Uuid::random();
            corner.character = library.empty() ? std::string() : library[(i + 1) % library.size()];
            corner.side = i % 2 == 0 ? CornerSide::right : CornerSide::left;
            values.corners.push_back(corner);
        }
    });
}

PanelPage pageNamed(const std::string& name, const SettingsValues& values) {
    if (name == "swing" && !values.swings.empty()) return PanelPage::swing(values.swings.front().id);
    if (name == "corner" && !values.corners.empty()) return PanelPage::corner(values.corners.front().id);
    if (name == "general") return PanelPage::general();
    return PanelPage::packs();
}

/// An update checker whose feed announces `version` (none for an empty version).
std::unique_ptr<UpdateChecker> announcing(Dispatch& dispatch, const std::string& version) {
    if (version.empty()) return nullptr;
    const std::string feed = R"({"version": ")" + version + R"(", "url": "https://example.com/new"})";
    auto fetch = [feed](const std::string&, double, UpdateChecker::FetchCompletion done) { done(feed); };
    UpdateChecker::Options options;
    options.feed = "https://example.com/feed";
    options.currentVersion = "0.1.0";
    auto updates = std::make_unique<UpdateChecker>(dispatch, fetch, options);
    updates->check();
    return updates;
}

/// The first item named `name` in the visual tree below `item` that is shown.
QQuickItem* firstShown(QQuickItem* item, const QString& name) {
    if (item == nullptr || !item->isVisible()) return nullptr;
    if (item->objectName() == name) return item;
    for (QQuickItem* child : item->childItems())
        if (QQuickItem* found = firstShown(child, name)) return found;
    return nullptr;
}

/// Presses Tab as asked, grabs the window into the screenshot file and ends the program, once the
/// thumbnails have had time to render and the window manager to settle.
void scheduleScreenshot(PanelController& controller, const Options& options) {
    QTimer::singleShot(options.waitSeconds * 1000, &controller, [&controller, options] {
        for (int i = 0; i < options.tabs; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier);
            QGuiApplication::sendEvent(controller.window(), &press);
            QGuiApplication::sendEvent(controller.window(), &release);
        }
        QGuiApplication::processEvents();
        if (options.details) {
            if (QQuickItem* line =
                    firstShown(controller.window()->contentItem(), QStringLiteral("reportLine")))
                QMetaObject::invokeMethod(line, "openDetails");
            // The popup fades in.
            QElapsedTimer wait;
            wait.start();
            while (wait.elapsed() < 600) QGuiApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        const QImage image = controller.window()->grabWindow();
        const bool saved = image.save(QString::fromStdString(options.screenshot));
        if (!saved) std::fprintf(stderr, "could not write %s\n", options.screenshot.c_str());
        QGuiApplication::exit(saved ? 0 : 1);
    });
}

/// Opens and closes the panel `count` times, printing the time from `show` to the first frame swapped.
int measureOpenings(PanelController& controller, int count) {
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        controller.show(false);
        // Frames are swapped on the render thread, which may still be in the handler after the disconnect.
        auto swapped = std::make_shared<std::atomic<bool>>(false);
        const QMetaObject::Connection connection = QObject::connect(
            controller.window(), &QQuickWindow::frameSwapped, [swapped] { *swapped = true; });
        while (!*swapped && timer.elapsed() < 20000) QGuiApplication::processEvents(QEventLoop::AllEvents, 5);
        QObject::disconnect(connection);
        std::printf("opening %d: %lld ms to the first frame\n", i + 1,
                    static_cast<long long>(timer.elapsed()));
        controller.closeWindow();
        QGuiApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parse(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    ::setenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit().constData(), 1);

    QSurfaceFormat::setDefaultFormat(OverlayRenderer::surfaceFormat());
    QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
    QGuiApplication application(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Plimsa"));

    Options shown = *options;
    shown.library = fillLibrary(options->library);
    QtDispatch dispatch;
    MemoryDefaults defaults;
    Settings settings(defaults);
    addRecords(settings, shown);
    SwingInfo swingInfo;
    Packs packs(std::nullopt, std::filesystem::path(PLIMSA_CATALOGUE));
    packs.reload();
    CharacterPreviews::Options previewOptions;
    previewOptions.cacheFolder = home.filePath(QStringLiteral("previews")).toStdString();
    CharacterPreviews previews(dispatch, previewOptions);
    PortraitScenes portraits(dispatch, {});

    const std::unique_ptr<UpdateChecker> updates = announcing(dispatch, options->update);

    PanelServices services{settings, swingInfo,     packs,   previews, portraits,
                           dispatch, updates.get(), "0.1.0", {},       "https://example.com/earn",
                           {}};
    services.openUrl = [](const std::string& url) { std::printf("open %s\n", url.c_str()); };
    PanelController controller(services);
    if (options->measure > 0) return measureOpenings(controller, options->measure);
    controller.show(false);
    if (options->height > 0) controller.window()->resize(controller.window()->width(), options->height);
    if (!options->page.empty()) controller.model()->show(pageNamed(options->page, settings.v()));
    QObject::connect(controller.window(), &QObject::destroyed, &application, &QGuiApplication::quit,
                     Qt::QueuedConnection);

    if (!options->imports.empty())
        PackImport::of(*controller.model())
            .importFiles(importFiles(options->imports, home.filePath(QStringLiteral("in")).toStdString()));
    if (!options->screenshot.empty()) scheduleScreenshot(controller, *options);
    return QGuiApplication::exec();
}
