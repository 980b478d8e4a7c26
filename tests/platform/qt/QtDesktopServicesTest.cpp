#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <cstring>

#include "platform/desktop/Screens.h"
#include "platform/desktop/WindowList.h"
#include "platform/image/Image.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtDispatch.h"
#include "platform/qt/QtStatusItem.h"
#include "platform/qt/QtTestSession.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/X11Session.h"
#include "support/ChildProcess.h"
#include "support/TemporaryFolder.h"

namespace plimsa {
namespace {

using testing::waitFor;

TEST(QtDispatch, PostAndAfterRunOnLaterTurnsAndEveryStopsWithItsHandle) {
    PLIMSA_QT_SESSION(session);
    QtDispatch dispatch;
    std::vector<std::string> order;
    dispatch.after(0.05, [&] { order.push_back("after"); });
    dispatch.post([&] { order.push_back("first"); });
    dispatch.post([&] { order.push_back("second"); });
    dispatch.after(0, [&] { order.push_back("now"); });
    EXPECT_TRUE(order.empty()) << "nothing runs inside the call that posts it";
    ASSERT_TRUE(waitFor([&] { return order.size() == 4; }));
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "now", "after"}));

    int ticks = 0;
    auto handle = dispatch.every(0.01, [&] { ++ticks; });
    ASSERT_TRUE(waitFor([&] { return ticks >= 3; }));
    handle.reset();
    const int stoppedAt = ticks;
    waitFor([] { return false; }, 0.1);
    EXPECT_EQ(ticks, stoppedAt);

    // A timer whose own work drops its handle fires no more.
    int selfStops = 0;
    std::unique_ptr<TimerHandle> selfStopping;
    selfStopping = dispatch.every(0.01, [&] {
        ++selfStops;
        selfStopping.reset();
    });
    waitFor([] { return false; }, 0.1);
    EXPECT_EQ(selfStops, 1);
}

/// Starts a program on `display` and leaves it: it ends with the X server.
void startOn(const std::string& display, std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& text : arguments) argv.push_back(text.data());
    argv.push_back(nullptr);
    std::string variable = "DISPLAY=" + display;
    char* envp[] = {variable.data(), nullptr};
    pid_t pid = 0;
    ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp);
}

TEST(QtDesktop, ScreensMouseAndTrayInPointsFromTheBottomLeft) {
    PLIMSA_QT_SESSION(session);
    QtDesktop desktop;
    EXPECT_EQ(desktop.screens().mainScreenFrame(), (DesktopRect{0, 0, 1280, 800}));
    EXPECT_EQ(desktop.windowList().ownPid(), ::getpid());
    testing::runProcess("/usr/bin/xdotool", {"mousemove", "10", "20"}, "/",
                        {{"DISPLAY", session.desktop.display()}});
    EXPECT_TRUE(waitFor([&] { return desktop.mouseLocation() == DesktopPoint{10, 780}; }));

    startOn(session.desktop.display(), {"/usr/bin/trayer", "--edge", "top", "--align", "right"});
    ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
    auto item = desktop.createStatusItem();
    EXPECT_FALSE(item->isShown()) << "no icon yet";
    Image icon(18, 18, true);
    for (int y = 3; y < 7; ++y)
        for (int x = 2; x < 16; ++x) icon.pixel(x, y)[3] = 255;
    item->setTemplateImage(icon);
    // Docked in the tray at the top right (trayer moves there after it starts).
    const auto docked = [&] {
        const auto frame = item->frame();
        return item->isShown() && frame && frame->minY() > 800 - 40 && frame->minX() > 1280 - 60;
    };
    EXPECT_TRUE(waitFor(docked));
    const auto frame = item->frame();
    ASSERT_TRUE(frame.has_value());
    EXPECT_GT(frame->width, 0);

    int chosen = 0;
    const int customize =
        item->addItem({.title = "Customize…", .key = ",", .action = [&] { ++chosen; }, .separator = false});
    item->addItem({.title = "", .key = "", .action = {}, .separator = true});
    const int quit =
        item->addItem({.title = "Quit", .key = "q", .action = {}, .separator = false, .visible = false});
    QMenu& menu = static_cast<QtStatusItem&>(*item).menu();
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_EQ(menu.actions()[customize]->shortcut().toString(), QStringLiteral("Ctrl+,"));
    EXPECT_EQ(menu.actions()[quit]->shortcut().toString(), QStringLiteral("Ctrl+Q"));
    EXPECT_FALSE(menu.actions()[quit]->isVisible());
    item->setVisible(quit, true);
    item->setTitle(customize, "Settings…");
    item->setChecked(99, true);  // an unknown index is ignored
    EXPECT_TRUE(menu.actions()[quit]->isVisible());
    EXPECT_EQ(menu.actions()[customize]->text(), QStringLiteral("Settings…"));
    menu.actions()[customize]->trigger();
    EXPECT_EQ(chosen, 1);
}

/// A socket file that nobody listens on, as a crashed process leaves it.
void leaveStaleSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

TEST(SingleInstance, ALaterLaunchAsksTheRunningOneAndAStaleSocketIsTakenOver) {
    PLIMSA_QT_SESSION(session);
    testing::TemporaryFolder folder;
    const QString name = QString::fromStdString((folder.path() / "plimsa.socket").string());
    leaveStaleSocket(name.toStdString());

    SingleInstance running(name);
    EXPECT_TRUE(running.isPrimary()) << "the stale socket is replaced";
    int asked = 0;
    running.setOnShowRequest([&] { ++asked; });

    for (int launch = 1; launch <= 2; ++launch) {
        SingleInstance later(name);
        EXPECT_FALSE(later.isPrimary());
        EXPECT_TRUE(waitFor([&] { return asked == launch; })) << "launch " << launch;
    }

    {
        testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.path().string());
        EXPECT_EQ(SingleInstance::defaultName(), name);
    }
    testing::ScopedEnvironment noRuntime("XDG_RUNTIME_DIR");
    EXPECT_TRUE(SingleInstance::defaultName().endsWith(QStringLiteral("/plimsa.socket")));
    EXPECT_NE(SingleInstance::defaultName(), name);
}

TEST(X11Session, ChoosesXcbOrSaysInOneLineWhyItCannot) {
    PLIMSA_QT_SESSION(session);
    struct Case {
        const char* display;  // null: unset
        bool wayland;
        bool fatal;
        const char* says;
    };
    const std::string live = session.desktop.display();
    for (const Case& c :
         {Case{nullptr, false, true, "no X display"}, Case{":9876", true, true, "no X display"},
          Case{live.c_str(), false, false, ""}, Case{live.c_str(), true, false, "XWayland"}}) {
        auto display = c.display != nullptr
                           ? std::make_unique<testing::ScopedEnvironment>("DISPLAY", c.display)
                           : std::make_unique<testing::ScopedEnvironment>("DISPLAY");
        auto wayland = c.wayland
                           ? std::make_unique<testing::ScopedEnvironment>("WAYLAND_DISPLAY", "wayland-0")
                           : std::make_unique<testing::ScopedEnvironment>("WAYLAND_DISPLAY");
        testing::ScopedEnvironment platform("QT_QPA_PLATFORM", "wayland");
        bool fatal = !c.fatal;
        const std::string line = x11_session::prepare(fatal);
        EXPECT_EQ(fatal, c.fatal) << (c.display ? c.display : "unset");
        EXPECT_EQ(line.find('\n'), std::string::npos);
        if (*c.says == '\0') {
            EXPECT_TRUE(line.empty()) << line;
        } else {
            EXPECT_NE(line.find(c.says), std::string::npos) << line;
        }
        if (!c.fatal) {
            EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");
        }
    }
}

}  // namespace
}  // namespace plimsa
