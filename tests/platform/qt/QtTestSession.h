#pragma once

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdint>
#include <string>
#include <vector>

#include "support/VirtualDesktop.h"

namespace plimsa::testing {

/// One virtual desktop (openbox and xcompmgr on Xvfb) and one QApplication on it, for the whole test
/// process; both end before main returns. Null app when the desktop did not start.
struct QtTestSession {
    static QtTestSession& shared();

    VirtualDesktop& desktop;
    /// A connection of the test's own, for reading what the window manager did.
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;

    xcb_atom_t atom(const char* name) const;
    /// The 32-bit values of a property; empty when it is not set.
    std::vector<uint32_t> cardinals(xcb_window_t window, const char* name) const;
};

/// Runs the Qt event loop until `done()` holds or `seconds` pass; returns `done()`.
template <typename Done>
bool waitFor(Done done, double seconds = 5.0) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < seconds * 1000.0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace plimsa::testing

/// Skips (or fails, where required) when the shared session's desktop is not running.
#define PLIMSA_QT_SESSION(name)                              \
    auto& name = ::plimsa::testing::QtTestSession::shared(); \
    PLIMSA_SKIP_WITHOUT_VIRTUAL_DESKTOP(name.desktop)
