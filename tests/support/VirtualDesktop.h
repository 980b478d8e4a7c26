#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plimsa::testing {

class TemporaryFolder;

/// A monitor on the virtual desktop's one X screen, in pixels from the screen's top left.
struct VirtualMonitor {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// What a virtual desktop runs: one X screen of `width` x `height` pixels, optionally a window manager
/// (openbox, two workspaces, the first one current) and a compositing manager (xcompmgr). With
/// `monitors`, the screen is their bounding box and each is declared as a RandR monitor (the first one
/// primary), which is how toolkits see two monitors side by side.
struct VirtualDesktopOptions {
    int width = 1280;
    int height = 800;
    bool windowManager = false;
    bool compositor = false;
    std::vector<VirtualMonitor> monitors{};
};

/// An X server in memory (Xvfb on a display it picks itself, never the developer's) with what the
/// options ask for, each ready when the constructor returns: the server accepts connections, the window
/// manager has set _NET_SUPPORTING_WM_CHECK and
/// manages new windows, the compositor owns _NET_WM_CM_S0. Every process runs in a
/// process group of its own, with an environment of its own (HOME in a temporary folder), and the
/// destructor ends the groups and removes the folder. Works as root. Test thread only.
class VirtualDesktop {
  public:
    /// Whether the programs that `options` needs are installed.
    static bool isInstalled(const VirtualDesktopOptions& options = {});

    explicit VirtualDesktop(VirtualDesktopOptions options = {});
    ~VirtualDesktop();
    VirtualDesktop(const VirtualDesktop&) = delete;
    VirtualDesktop& operator=(const VirtualDesktop&) = delete;

    /// Whether everything asked for started; otherwise `failure()` says what did not.
    bool isRunning() const { return failure_.empty(); }
    const std::string& failure() const { return failure_; }
    /// Whether it is not running because a program it needs is not installed (rather than broken).
    bool isMissingPrograms() const { return missingPrograms_; }
    /// The display name to connect to (":3").
    const std::string& display() const { return display_; }

    /// Ends the X server at once, as a crash would (the other programs follow it).
    void killServer();
    /// Ends the window manager as a person would (it hands its windows back to the root); no-op without.
    void stopWindowManager();

  private:
    struct Child {
        pid_t pid = 0;
        std::string name;
    };

    bool startServer(const VirtualDesktopOptions& options);
    bool declareMonitors(const std::vector<VirtualMonitor>& monitors);
    bool startWindowManager();
    bool startCompositor();
    pid_t spawn(const std::vector<std::string>& arguments, int displayFd = -1);
    bool waitUntil(const Child& child, bool (*ready)(const std::string& display));
    void stop(Child& child);

    std::unique_ptr<TemporaryFolder> home_;
    std::vector<Child> children_;  // in start order: server first
    std::string display_;
    std::string failure_;
    bool missingPrograms_ = false;
};

/// True when a missing virtual desktop must fail the tests that need one instead of skipping them; CI
/// sets PLIMSA_REQUIRE_RENDERER=1, which asks for every display-dependent test to run.
inline bool virtualDesktopRequired() {
    const char* value = std::getenv("PLIMSA_REQUIRE_RENDERER");
    return value != nullptr && std::string_view(value) == "1";
}

}  // namespace plimsa::testing

/// Skips the current test when `desktop` (a VirtualDesktop) cannot run because a program is missing, or
/// fails it where a desktop is required or the programs are there but did not start. For GoogleTest bodies.
#define PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(desktop)                                           \
    do {                                                                                       \
        if (!(desktop).isRunning()) {                                                          \
            if (::plimsa::testing::virtualDesktopRequired() || !(desktop).isMissingPrograms()) \
                FAIL() << "no virtual desktop: " << (desktop).failure();                       \
            GTEST_SKIP() << "no virtual desktop: " << (desktop).failure();                     \
        }                                                                                      \
    } while (false)
