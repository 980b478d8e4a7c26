#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "platform/desktop/Dispatch.h"

namespace plimsa {

/// A main queue that runs only when told to, on a clock that moves only when told to: for tests, and for
/// runs without an event loop. `runPending` empties the queue (work posted meanwhile included);
/// `advance` moves the clock and runs every timer and delayed job that falls due, in time order, each
/// followed by the queue.
class ManualDispatch final : public Dispatch {
  public:
    ManualDispatch();
    ~ManualDispatch() override;

    void post(std::function<void()> work) override;
    void after(double seconds, std::function<void()> work) override;
    [[nodiscard]] std::unique_ptr<TimerHandle> every(double seconds, std::function<void()> work) override;

    /// Runs queued work until the queue is empty; returns how many jobs ran.
    int runPending();
    /// Moves the clock on by `seconds`, running what falls due on the way.
    void advance(double seconds);
    double now() const { return now_; }
    /// Jobs waiting in the queue (not counting timers and delayed jobs).
    size_t pendingCount() const;

  private:
    struct Job {
        std::function<void()> work;
        double interval = 0.0;  // > 0: repeats
        std::shared_ptr<bool> alive;
    };
    class Handle;

    double now_ = 0.0;
    uint64_t order_ = 0;
    std::multimap<std::pair<double, uint64_t>, Job> timed_;
    std::multimap<uint64_t, std::function<void()>> queue_;
};

}  // namespace plimsa
