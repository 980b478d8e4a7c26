#pragma once

#include <memory>

class QSocketNotifier;

namespace plimsa {

/// Turns SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) into QCoreApplication::quit on
/// the event loop, so the app tears down in order instead of dying mid-frame. The handler only writes a
/// byte to a socket pair; the GUI thread reads it. One per process; restores the default handlers when
/// destroyed. GUI thread only.
class QuitOnSignal {
  public:
    QuitOnSignal();
    ~QuitOnSignal();
    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace plimsa
