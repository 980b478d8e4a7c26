// The panel window end to end on a virtual X desktop: opening, every page loading cleanly, and a few
// controls writing through to the store.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QSurfaceFormat>
#include <QTest>
#include <functional>
#include <memory>

#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "library/CharacterPreviews.h"
#include "library/Packs.h"
#include "library/PortraitScenes.h"
#include "panel/quick/PanelController.h"
#include "panel/quick/PanelModel.h"
#include "panel/quick/PanelModule.h"
#include "platform/desktop/ManualDispatch.h"
#include "platform/desktop/MemoryDefaults.h"
#include "support/FakeCharacter.h"
#include "support/GlDrivers.h"
#include "support/TemporaryFolder.h"
#include "support/VirtualDesktop.h"
#include "swing/SwingInfo.h"

PLIMSA_IMPORT_PANEL_MODULE()

namespace plimsa {
namespace {

// Messages about our QML files (binding loops, type errors, missing properties).
QStringList& qmlWarnings() {
    static QStringList warnings;
    return warnings;
}

// One virtual desktop and one application for the suite, gone before the next suite runs.
struct Session {
    testing::TemporaryFolder home;
    testing::VirtualDesktop desktop{{.windowManager = true}};
    testing::ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path() / "data").string()};
    testing::ScopedEnvironment runtime{"XDG_RUNTIME_DIR", home.path().string()};
    testing::ScopedEnvironment platform{"QT_QPA_PLATFORM", "xcb"};
    testing::ScopedEnvironment display{"DISPLAY", desktop.display()};
    int argc = 1;
    char name[20] = "panel_quick_tests";
    char* argv[2] = {name, nullptr};
    // A QApplication: QtTest's mouse helpers take the application for one when Qt Widgets is linked.
    std::unique_ptr<QApplication> app;

    Session() {
        if (!desktop.isRunning()) return;
        for (const char* character : {"Basil", "Poppy"})
            std::ofstream(CharacterLibrary::directory() / (std::string(character) + ".glb")) << "glTF";
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg && text.contains(QStringLiteral(".qml")))
                qmlWarnings().append(text);
        });
        QSurfaceFormat format;
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
        format.setAlphaBufferSize(8);
        QSurfaceFormat::setDefaultFormat(format);
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
        app = std::make_unique<QApplication>(argc, argv);
    }
    ~Session() {
        testing::keepGlDriversLoaded();
        app.reset();
        qInstallMessageHandler(nullptr);
    }
};

class PanelWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { session_ = new Session; }
    static void TearDownTestSuite() {
        delete session_;
        session_ = nullptr;
    }

    void SetUp() override {
        PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(session_->desktop);
        qmlWarnings().clear();
        OpenOnPacks::shared().consume();
        controller = std::make_unique<PanelController>(services);
    }
    void TearDown() override { controller.reset(); }

    template <typename Done>
    static bool waitFor(Done done, double seconds = 10.0) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < seconds * 1000.0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    // Opens the panel and waits until it is on screen with its page loaded.
    QQuickWindow* open(bool onPacks = false) {
        controller->show(onPacks);
        QQuickWindow* window = controller->window();
        EXPECT_TRUE(window != nullptr && QTest::qWaitForWindowExposed(window));
        EXPECT_TRUE(waitFor([&] { return page() != nullptr; }));
        return window;
    }
    QQuickItem* page() const {
        QQuickItem* detail = find([](QQuickItem* item) { return item->objectName() == "detail"; });
        return detail == nullptr ? nullptr : detail->property("item").value<QQuickItem*>();
    }
    // The first visible item, depth first from the window's content, that `matches`.
    QQuickItem* find(const std::function<bool(QQuickItem*)>& matches, QQuickItem* from = nullptr) const {
        if (from == nullptr) {
            if (controller->window() == nullptr) return nullptr;
            from = controller->window()->contentItem();
        }
        for (QQuickItem* child : from->childItems()) {
            if (!child->isVisible()) continue;
            if (matches(child)) return child;
            if (QQuickItem* found = find(matches, child)) return found;
        }
        return nullptr;
    }
    QQuickItem* named(const QString& accessibleName) const {
        return find([&](QQuickItem* item) {
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(item);
            return access != nullptr && access->text(QAccessible::Name) == accessibleName &&
                   access->role() != QAccessible::StaticText;
        });
    }
    void click(QQuickItem* item, double across = 0.5) {
        ASSERT_NE(item, nullptr);
        const QPointF point = item->mapToScene(QPointF(item->width() * across, item->height() / 2));
        QTest::mouseClick(controller->window(), Qt::LeftButton, {}, point.toPoint());
    }
    QString pageKind() const { return controller->model()->pageKind(); }

    static inline Session* session_ = nullptr;
    MemoryDefaults defaults;
    Settings settings{defaults};
    SwingInfo swingInfo;
    Packs packs{std::nullopt, std::nullopt};
    ManualDispatch dispatch;
    CharacterPreviews previews{dispatch, {}};
    PortraitScenes portraits{dispatch,
                             {.resolve = [](std::string_view) { return std::filesystem::path("/fake.glb"); },
                              .load = [](const std::filesystem::path&) -> std::unique_ptr<SwingCharacter> {
                                  return std::make_unique<testing::FakeCharacter>();
                              }}};
    PanelServices services{settings, swingInfo, packs, previews, portraits, dispatch,
                           nullptr,  "1.0",     {},    {},       {}};
    std::unique_ptr<PanelController> controller;
};

TEST_F(PanelWindow, OpensTitledAtItsSizeAndLoadsEveryPageWithoutAWarning) {
    settings.update([](SettingsValues& values) {
        values.swings.resize(2);
        values.swings[0].id = Uuid::random();
        values.swings[0].characters = {"Poppy", "Basil"};
        values.swings[1].id = Uuid::random();
        values.corners.resize(1);
        values.corners[0].id = Uuid::random();
        values.corners[0].character = "Basil";
    });
    QQuickWindow* window = open();
    EXPECT_EQ(window->title(), "Plimsa");
    EXPECT_EQ(window->size(), QSize(940, 720));
    EXPECT_EQ(pageKind(), "swing");

    const SettingsValues& values = settings.v();
    for (const PanelPage& target :
         {PanelPage::corner(values.corners[0].id), PanelPage::packs(), PanelPage::general(),
          PanelPage::swing(values.swings[1].id), PanelPage::swing(Uuid::random())}) {
        controller->model()->show(target);
        EXPECT_TRUE(waitFor([&] { return page() != nullptr && page()->property("panel").isValid(); }));
        QTest::qWait(50);
    }
    EXPECT_EQ(settings.v(), values) << "showing pages writes nothing";
    EXPECT_TRUE(qmlWarnings().isEmpty()) << qmlWarnings().join('\n').toStdString();
}

TEST_F(PanelWindow, AddASwingAddsOneAndOpensItsPageUntilThereAreFour) {
    open();
    ASSERT_EQ(pageKind(), "packs");
    for (std::size_t count = 1; count <= 4; ++count) {
        click(named("Add a swing"));
        ASSERT_EQ(settings.v().swings.size(), count);
        EXPECT_EQ(pageKind(), "swing");
        EXPECT_EQ(controller->model()->pageId().toStdString(), settings.v().swings.back().id.string());
    }
    click(named("Add a swing"));
    EXPECT_EQ(settings.v().swings.size(), 4u) << "the fifth is refused";
    EXPECT_TRUE(qmlWarnings().isEmpty()) << qmlWarnings().join('\n').toStdString();
}

TEST_F(PanelWindow, SliderClickWritesThroughToTheStore) {
    open();
    controller->model()->showGeneral();
    ASSERT_TRUE(waitFor([&] { return named("Light contrast") != nullptr; }));
    click(named("Light contrast"), 0.8);
    EXPECT_NEAR(settings.v().lightContrast, 0.8, 0.05);
    click(named("Efficient · 30 fps"));
    EXPECT_EQ(settings.v().frameRate, 30);
}

TEST_F(PanelWindow, RemovingASwingShowsTheNextOne) {
    settings.update([](SettingsValues& values) {
        values.swings.resize(2);
        for (SwingConfig& swing : values.swings) swing.id = Uuid::random();
    });
    const Uuid second = settings.v().swings[1].id;
    open();
    ASSERT_TRUE(waitFor([&] { return named("Remove") != nullptr; }));
    click(named("Remove"));
    ASSERT_EQ(settings.v().swings.size(), 1u);
    EXPECT_EQ(controller->model()->page(), PanelPage::swing(second));
}

TEST_F(PanelWindow, EscapeClosesAndReopeningStartsFreshWhereItWasOnTheFirstSwingUnlessAskedForPacks) {
    settings.update([](SettingsValues& values) {
        values.swings.resize(1);
        values.swings[0].id = Uuid::random();
    });
    services.arguments = {"plimsa", "--panel-packs"};
    controller = std::make_unique<PanelController>(services);
    QQuickWindow* window = open();
    EXPECT_EQ(pageKind(), "packs") << "launched asking for the packs page";
    window->setPosition(120, 90);
    ASSERT_TRUE(waitFor([&] { return window->position() == QPoint(120, 90); }));
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(controller->isOpen());

    window = open();
    EXPECT_EQ(pageKind(), "swing") << "the launch arguments count once";
    EXPECT_TRUE(waitFor([&] { return window->position() == QPoint(120, 90); }));
    controller->show(true);
    EXPECT_EQ(pageKind(), "packs") << "the tray's packs item on an open panel";

    portraits.acquire("Poppy", [](const std::shared_ptr<PortraitScene>&) {});
    dispatch.runBackground();
    dispatch.runPending();
    ASSERT_NE(portraits.scene("Poppy"), nullptr);
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(controller->isOpen());
    dispatch.advance(PanelController::kPortraitReleaseSeconds - 0.1);
    EXPECT_NE(portraits.scene("Poppy"), nullptr);
    dispatch.advance(0.1);
    EXPECT_EQ(portraits.scene("Poppy"), nullptr) << "the pool is emptied a while after closing";
}

TEST_F(PanelWindow, PagesHearOfEachStoreChangeAfterItAndNotAfterThePanelIsGone) {
    auto panel = std::make_unique<PanelModel>(services);
    QSignalSpy changes(panel.get(), &PanelModel::storeChanged);
    QSignalSpy sidebar(panel.get(), &PanelModel::sidebarChanged);
    settings.update([](SettingsValues& values) { values.frameRate = 30; });
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(sidebar.count(), 0) << "the sidebar is not redrawn for what it does not show";
    panel->addCorner();
    EXPECT_GE(sidebar.count(), 1);
    EXPECT_EQ(panel->cornerRows().size(), 1);
    changes.clear();
    // These two announce before they change: the pages hear once, on the next turn, when it is done.
    swingInfo.publish(Uuid::random(), {0.5}, {1.2});
    swingInfo.publish(Uuid::random(), {0.4}, {1.1});
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(waitFor([&] { return changes.count() == 1; }));
    QTest::qWait(20);
    EXPECT_EQ(changes.count(), 1);

    swingInfo.publish(Uuid::random(), {0.3}, {1.0});
    panel.reset();
    settings.update([](SettingsValues& values) { values.frameRate = 60; });
    QTest::qWait(20);  // nothing left behind calls into the dropped panel
}

}  // namespace
}  // namespace plimsa
