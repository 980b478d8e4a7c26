#include "support/VirtualDesktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "support/TemporaryFolder.h"

namespace plimsa::testing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartTimeout = std::chrono::seconds(15);
constexpr auto kStopTimeout = std::chrono::seconds(3);

std::string pathOf(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::filesystem::path candidate =
            std::filesystem::path(folders.substr(start, end - start)) / program;
        if (!candidate.parent_path().empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
        start = end + 1;
    }
    return {};
}

std::vector<std::string> programsFor(const VirtualDesktopOptions& options) {
    std::vector<std::string> programs{"Xvfb"};
    if (options.windowManager) programs.emplace_back("openbox");
    if (options.compositor) programs.emplace_back("xcompmgr");
    return programs;
}

// Asks the display one question on a short-lived connection; false when it cannot be reached.
template <typename Question>
bool askDisplay(const std::string& display, Question question) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    bool answer = false;
    if (xcb_connection_has_error(connection) == 0) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        answer = question(connection, screen->root);
    }
    xcb_disconnect(connection);
    return answer;
}

xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

bool listsWindow(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t list, xcb_window_t window) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, list, XCB_ATOM_WINDOW, 0, 1024), nullptr);
    bool listed = false;
    if (reply != nullptr && reply->format == 32) {
        const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        listed = std::find(windows, windows + count, window) != windows + count;
    }
    std::free(reply);
    return listed;
}

template <typename Condition>
bool within(std::chrono::milliseconds time, Condition condition) {
    for (const auto deadline = Clock::now() + time; Clock::now() < deadline;) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// The window manager sets _NET_SUPPORTING_WM_CHECK before it handles windows; it is ready once it has
// managed a probe window, which is then gone from its list again.
bool hasWindowManager(const std::string& display) {
    return askDisplay(display, [](xcb_connection_t* connection, xcb_window_t root) {
        const xcb_atom_t check = atomNamed(connection, "_NET_SUPPORTING_WM_CHECK");
        const xcb_atom_t clients = atomNamed(connection, "_NET_CLIENT_LIST");
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
        const bool set = reply != nullptr && xcb_get_property_value_length(reply) == 4;
        std::free(reply);
        if (!set) return false;
        const xcb_window_t probe = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(connection, probe);
        xcb_flush(connection);
        const bool managed = within(std::chrono::milliseconds(300),
                                    [&] { return listsWindow(connection, root, clients, probe); });
        xcb_destroy_window(connection, probe);
        xcb_flush(connection);
        return managed && within(std::chrono::seconds(2),
                                 [&] { return !listsWindow(connection, root, clients, probe); });
    });
}

bool hasCompositor(const std::string& display) {
    return askDisplay(display, [](xcb_connection_t* connection, xcb_window_t) {
        const xcb_atom_t selection = atomNamed(connection, "_NET_WM_CM_S0");
        xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, selection), nullptr);
        const bool owned = reply != nullptr && reply->owner != XCB_NONE;
        std::free(reply);
        return owned;
    });
}

// RandR requests by hand (Debian's xcb-randr headers are not among our packages): a body of native-order
// fields after the 4-byte header that xcb fills in.
class RandrRequest {
  public:
    explicit RandrRequest(uint8_t minor) : minor_(minor), bytes_(4, 0) {}
    template <typename T>
    RandrRequest& add(T value) {
        const auto* raw = reinterpret_cast<const uint8_t*>(&value);
        bytes_.insert(bytes_.end(), raw, raw + sizeof(T));
        return *this;
    }
    /// Sends it; the reply (to free()), or null for a request without one or an error.
    void* send(xcb_connection_t* connection, bool hasReply) {
        static xcb_extension_t randr{"RANDR", 0};
        bytes_.resize((bytes_.size() + 3) / 4 * 4, 0);
        std::array<iovec, 3> parts{};
        parts[2] = {bytes_.data(), bytes_.size()};
        xcb_protocol_request_t request{1, &randr, minor_, static_cast<uint8_t>(hasReply ? 0 : 1)};
        const unsigned sequence =
            xcb_send_request(connection, XCB_REQUEST_CHECKED, parts.data() + 2, &request);
        xcb_generic_error_t* error = nullptr;
        void* reply = nullptr;
        if (hasReply)
            reply = xcb_wait_for_reply(connection, sequence, &error);
        else
            error = xcb_request_check(connection, xcb_void_cookie_t{sequence});
        std::free(error);
        return reply;
    }

  private:
    uint8_t minor_;
    std::vector<uint8_t> bytes_;
};

// Plain title bars and two workspaces; windows go where their programs ask.
constexpr const char* kOpenboxConfiguration = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <theme><name>Clearlooks</name><titleLayout>NLIMC</titleLayout><keepBorder>yes</keepBorder></theme>
  <desktops><number>2</number><firstdesk>1</firstdesk></desktops>
  <margins><top>0</top><bottom>0</bottom><left>0</left><right>0</right></margins>
</openbox_config>
)";

}  // namespace

bool VirtualDesktop::isInstalled(const VirtualDesktopOptions& options) {
    for (const std::string& program : programsFor(options))
        if (pathOf(program).empty()) return false;
    return true;
}

VirtualDesktop::VirtualDesktop(VirtualDesktopOptions options) {
    for (const std::string& program : programsFor(options)) {
        if (pathOf(program).empty()) {
            failure_ = program + " is not installed";
            missingPrograms_ = true;
            return;
        }
    }
    home_ = std::make_unique<TemporaryFolder>();
    if (!options.monitors.empty()) {
        options.width = options.height = 0;
        for (const VirtualMonitor& monitor : options.monitors) {
            options.width = std::max(options.width, monitor.x + monitor.width);
            options.height = std::max(options.height, monitor.y + monitor.height);
        }
    }
    if (!startServer(options)) return;
    if (!options.monitors.empty() && !declareMonitors(options.monitors)) return;
    if (options.windowManager && !startWindowManager()) return;
    if (options.compositor) startCompositor();
}

VirtualDesktop::~VirtualDesktop() {
    for (auto child = children_.rbegin(); child != children_.rend(); ++child) stop(*child);
}

void VirtualDesktop::killServer() {
    if (children_.empty() || children_.front().pid <= 0) return;
    ::kill(-children_.front().pid, SIGKILL);
    ::waitpid(children_.front().pid, nullptr, 0);
    children_.front().pid = 0;
}

void VirtualDesktop::stopWindowManager() {
    for (Child& child : children_)
        if (child.name == "openbox") stop(child);
}

pid_t VirtualDesktop::spawn(const std::vector<std::string>& arguments, int displayFd) {
    const std::string program = pathOf(arguments.front());
    std::vector<std::string> texts = arguments;
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    const std::string home = home_->path().string();
    std::vector<std::string> variables{"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config",
                                       "XDG_CACHE_HOME=" + home + "/cache",
                                       "PATH=/usr/local/bin:/usr/bin:/bin"};
    if (!display_.empty()) variables.push_back("DISPLAY=" + display_);
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string log = home + "/" + arguments.front() + ".log";
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (displayFd >= 0) posix_spawn_file_actions_adddup2(&actions, displayFd, 3);
    posix_spawn_file_actions_addchdir_np(&actions, home.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so the destructor ends whatever the program starts, and only that.
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGPIPE);
    sigaddset(&signals, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    pid_t pid = 0;
    const int result = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) return 0;
    children_.push_back({pid, arguments.front()});
    return pid;
}

bool VirtualDesktop::startServer(const VirtualDesktopOptions& options) {
    std::array<int, 2> pipeEnds{};
    if (::pipe2(pipeEnds.data(), O_CLOEXEC) != 0) {
        failure_ = "no pipe for Xvfb's display number";
        return false;
    }
    const std::string screen = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    // Above 3, so that handing it over as descriptor 3 is a real copy without close-on-exec.
    const int writeEnd = ::fcntl(pipeEnds[1], F_DUPFD_CLOEXEC, 10);
    ::close(pipeEnds[1]);
    const pid_t pid =
        writeEnd < 0
            ? 0
            : spawn({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"},
                    writeEnd);
    ::close(writeEnd);
    std::string number;
    const auto deadline = Clock::now() + kStartTimeout;
    while (pid > 0 && Clock::now() < deadline) {
        pollfd readable{pipeEnds[0], POLLIN, 0};
        if (::poll(&readable, 1, 100) <= 0) continue;
        char digit = 0;
        if (::read(pipeEnds[0], &digit, 1) != 1 || digit == '\n') break;
        number.push_back(digit);
    }
    ::close(pipeEnds[0]);
    if (number.empty()) {
        failure_ = "Xvfb did not start";
        return false;
    }
    display_ = ":" + number;
    return true;
}

bool VirtualDesktop::declareMonitors(const std::vector<VirtualMonitor>& monitors) {
    constexpr uint8_t kQueryVersion = 0, kGetScreenResourcesCurrent = 25, kGetMonitors = 42, kSetMonitor = 43;
    const bool declared = askDisplay(display_, [&](xcb_connection_t* connection, xcb_window_t root) {
        std::free(RandrRequest(kQueryVersion).add<uint32_t>(1).add<uint32_t>(6).send(connection, true));
        // The server's own output joins the first monitor, or it would count as a monitor of its own.
        auto* resources = static_cast<uint8_t*>(
            RandrRequest(kGetScreenResourcesCurrent).add<uint32_t>(root).send(connection, true));
        uint32_t output = XCB_NONE;
        uint16_t crtcs = 0, outputs = 0;
        if (resources != nullptr) {
            std::memcpy(&crtcs, resources + 16, 2);
            std::memcpy(&outputs, resources + 18, 2);
            if (outputs > 0) std::memcpy(&output, resources + 32 + 4 * crtcs, 4);
        }
        std::free(resources);
        for (size_t i = 0; i < monitors.size(); ++i) {
            const VirtualMonitor& m = monitors[i];
            const bool withOutput = i == 0 && output != XCB_NONE;
            RandrRequest request(kSetMonitor);
            request.add<uint32_t>(root)
                .add<uint32_t>(atomNamed(connection, ("PLIMSA-" + std::to_string(i)).c_str()))
                .add<uint8_t>(i == 0)
                .add<uint8_t>(0)
                .add<uint16_t>(withOutput ? 1 : 0)
                .add<int16_t>(static_cast<int16_t>(m.x))
                .add<int16_t>(static_cast<int16_t>(m.y))
                .add<uint16_t>(static_cast<uint16_t>(m.width))
                .add<uint16_t>(static_cast<uint16_t>(m.height))
                .add<uint32_t>(static_cast<uint32_t>(m.width * 254 / 960))  // millimetres at 96 dpi
                .add<uint32_t>(static_cast<uint32_t>(m.height * 254 / 960));
            if (withOutput) request.add<uint32_t>(output);
            request.send(connection, false);
        }
        auto* listed = static_cast<uint8_t*>(
            RandrRequest(kGetMonitors).add<uint32_t>(root).add<uint8_t>(1).send(connection, true));
        uint32_t count = 0;
        if (listed != nullptr) std::memcpy(&count, listed + 12, 4);
        std::free(listed);
        return count == monitors.size();
    });
    if (!declared) failure_ = "the RandR monitors could not be declared";
    return declared;
}

bool VirtualDesktop::startWindowManager() {
    const std::filesystem::path configuration = home_->path() / "openbox-rc.xml";
    std::ofstream(configuration) << kOpenboxConfiguration;
    if (spawn({"openbox", "--sm-disable", "--config-file", configuration.string()}) == 0 ||
        !waitUntil(children_.back(), hasWindowManager)) {
        failure_ = "openbox did not start";
        return false;
    }
    return true;
}

bool VirtualDesktop::startCompositor() {
    if (spawn({"xcompmgr"}) == 0 || !waitUntil(children_.back(), hasCompositor)) {
        failure_ = "xcompmgr did not start";
        return false;
    }
    return true;
}

bool VirtualDesktop::waitUntil(const Child& child, bool (*ready)(const std::string& display)) {
    const auto deadline = Clock::now() + kStartTimeout;
    while (Clock::now() < deadline) {
        if (ready(display_)) return true;
        if (::waitpid(child.pid, nullptr, WNOHANG) == child.pid) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void VirtualDesktop::stop(Child& child) {
    if (child.pid <= 0) return;
    ::kill(-child.pid, SIGTERM);
    const auto deadline = Clock::now() + kStopTimeout;
    bool reaped = false;
    while (!reaped && Clock::now() < deadline) {
        reaped = ::waitpid(child.pid, nullptr, WNOHANG) != 0;
        if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Whatever is left of the group (the leader or programs it started) ends now.
    ::kill(-child.pid, SIGKILL);
    if (!reaped) ::waitpid(child.pid, nullptr, 0);
    child.pid = 0;
}

}  // namespace plimsa::testing
