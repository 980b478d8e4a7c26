#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

namespace plimsa {

/// Keeps one running copy of the app per user. The first process listens on a local socket; a later one
/// finds it there, asks it to show its panel and is told to exit. A socket left behind by a process that
/// crashed answers no one: it is removed and the new process becomes the running one.
/// Needs a QCoreApplication; GUI thread only.
class SingleInstance {
  public:
    /// The socket for this user: "plimsa.socket" in the user's runtime folder ($XDG_RUNTIME_DIR, else a
    /// private folder Qt makes); a name with the user id when there is none.
    static QString defaultName();

    /// Claims `name`. When another process holds it, asks that one to show its panel and `isPrimary`
    /// is false.
    explicit SingleInstance(const QString& name = defaultName());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// Whether this process is the running one (false also when the socket could not be made at all,
    /// in which case `isPrimary` is true and the app runs unguarded).
    bool isPrimary() const { return primary_; }
    /// Called on the GUI thread each time a later launch asks for the panel.
    void setOnShowRequest(std::function<void()> onShowRequest) { onShowRequest_ = std::move(onShowRequest); }

  private:
    bool askRunningInstance(const QString& name);

    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onShowRequest_;
    bool primary_ = true;
};

}  // namespace plimsa
