#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/signal/Connection.h"
#include "update/UpdateFeed.h"

namespace plimsa {

class Dispatch;
class TimerHandle;

/// Asks a small JSON feed whether a newer version than the running one exists, and publishes what it
/// finds as `available`. Nothing is downloaded or installed; `open` shows the new version's page.
///
/// Checks are not serialised: each one asks the feed, parses the answer off the main thread and hands
/// its result to the main queue, where the last result to arrive decides `available`. Every failure (no
/// feed, no answer, not the feed document, a bad link) ends that check silently and changes nothing.
///
/// Main thread, except that a fetch may complete on any thread. Callbacks it leaves behind (the timer,
/// fetches under way, results queued for the main thread) do nothing once the checker is gone; the
/// dispatch and the fetch must outlive the checker and every completion still to come.
class UpdateChecker {
  public:
    using Info = FeedEntry;
    /// Called once per fetch with the body that arrived, or with nothing when none did.
    using FetchCompletion = std::function<void(std::optional<std::string> body)>;
    /// Starts one GET of `url` that gives up after `timeoutSeconds`; returns at once.
    using Fetch = std::function<void(const std::string& url, double timeoutSeconds, FetchCompletion)>;

    static constexpr double kCheckInterval = 21600.0;
    static constexpr double kTimeout = 10.0;

    struct Options {
        /// The feed's URL; empty or not an http(s) URL: the checker never asks anything.
        std::string feed;
        /// The running version; empty counts as "0".
        std::string currentVersion;
        /// Opens a page in the browser; empty: `open` does nothing.
        std::function<void(const std::string& url)> openUrl;
        /// Whole seconds since 1970 for the request's "t" item; empty: the system clock.
        std::function<std::int64_t()> clock;
        double timeoutSeconds = kTimeout;
    };

    UpdateChecker(Dispatch& dispatch, Fetch fetch, Options options);
    ~UpdateChecker();
    UpdateChecker(const UpdateChecker&) = delete;
    UpdateChecker& operator=(const UpdateChecker&) = delete;

    /// The newer version the last check found; nothing until one does, and again once a check finds the
    /// running version (or an older one) announced.
    const std::optional<Info>& available() const;
    /// Calls `observer` after every change of `available`, until the connection is dropped.
    [[nodiscard]] Connection onAvailableChange(std::function<void(const std::optional<Info>&)> observer);

    /// One asynchronous feed request; returns at once. Nothing when there is no feed.
    void check();
    /// `check` now, then `startPeriodicChecks`.
    void start();
    /// A check every `kCheckInterval` seconds from now, for the checker's lifetime (again: restarts).
    void startPeriodicChecks();
    /// Opens the available version's page; nothing when there is none.
    void open() const;

    /// The feed URL asked, when there is a usable one.
    const std::optional<std::string>& feed() const;
    const std::string& currentVersion() const;

    /// Whether version `a` is newer than `b`: dot-separated parts (empty ones dropped) compared as signed
    /// decimal integers, a missing or non-numeric (or out-of-range) part counting as 0.
    static bool isNewer(std::string_view a, std::string_view b);

  private:
    struct State;
    std::shared_ptr<State> state_;
    std::unique_ptr<TimerHandle> timer_;
};

}  // namespace plimsa
