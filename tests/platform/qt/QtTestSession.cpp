#include "platform/qt/QtTestSession.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "support/GlDrivers.h"

namespace plimsa::testing {
namespace {

struct Owned {
    std::unique_ptr<VirtualDesktop> desktop;
    std::unique_ptr<QApplication> app;
    std::unique_ptr<QtTestSession> session;
    int argc = 1;
    char name[16] = "qt_tests";
    char* argv[2] = {name, nullptr};
};

Owned& owned() {
    static Owned instance;
    return instance;
}

/// Ends the application, then the X server, while the process is still whole.
class SessionEnd final : public ::testing::Environment {
  public:
    void TearDown() override {
        Owned& o = owned();
        keepGlDriversLoaded();
        if (o.session && o.session->connection != nullptr) xcb_disconnect(o.session->connection);
        o.session.reset();
        o.app.reset();
        o.desktop.reset();
    }
};
[[maybe_unused]] ::testing::Environment* const kSessionEnd =
    ::testing::AddGlobalTestEnvironment(new SessionEnd);

}  // namespace

QtTestSession& QtTestSession::shared() {
    Owned& o = owned();
    if (o.session) return *o.session;
    o.desktop =
        std::make_unique<VirtualDesktop>(VirtualDesktopOptions{.windowManager = true, .compositor = true});
    o.session = std::unique_ptr<QtTestSession>(new QtTestSession{*o.desktop});
    if (!o.desktop->isRunning()) return *o.session;
    ::setenv("DISPLAY", o.desktop->display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("QT_SCALE_FACTOR");
    o.app = std::make_unique<QApplication>(o.argc, o.argv);
    QApplication::setQuitOnLastWindowClosed(false);
    o.session->connection = xcb_connect(o.desktop->display().c_str(), nullptr);
    o.session->root = xcb_setup_roots_iterator(xcb_get_setup(o.session->connection)).data->root;
    return *o.session;
}

xcb_atom_t QtTestSession::atom(const char* name) const {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return value;
}

std::vector<uint32_t> QtTestSession::cardinals(xcb_window_t window, const char* name) const {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, atom(name), XCB_ATOM_ANY, 0, 64), nullptr);
    std::vector<uint32_t> values;
    if (reply != nullptr && reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

}  // namespace plimsa::testing
