#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/desktop/Dispatch.h"

namespace plimsa {

/// A main queue that runs only when told to, on a clock that moves only when told to: for tests, and for
/// runs without an event loop. `runPending` empties the queue (work posted meanwhile included);
/// `advance` moves the clock and runs every timer and delayed job that falls due, in time order, each
/// followed by the queue. Its serial queues are pumped by hand too: `runBackground` runs their jobs on
/// the calling thread. `post` may be called from any thread; everything else from the test's thread.
class ManualDispatch final : public Dispatch {
  public:
    ManualDispatch();
    ~ManualDispatch() override;

    void post(std::function<void()> work) override;
    void after(double seconds, std::function<void()> work) override;
    [[nodiscard]] std::unique_ptr<TimerHandle> every(double seconds, std::function<void()> work) override;
    std::unique_ptr<SerialQueue> serialQueue(const std::string& label) override;

    /// Runs queued work until the queue is empty; returns how many jobs ran.
    int runPending();
    /// Moves the clock on by `seconds`, running what falls due on the way.
    void advance(double seconds);
    double now() const { return now_; }
    /// Jobs waiting in the queue (not counting timers and delayed jobs).
    size_t pendingCount() const;

    /// Runs the serial queues' jobs, in posting order across queues, until none is left (jobs they post
    /// meanwhile included; the main queue is not run). Returns how many ran.
    int runBackground();
    /// Jobs waiting in serial queues that are still alive.
    size_t backgroundCount() const;

  private:
    struct Job {
        std::function<void()> work;
        double interval = 0.0;  // > 0: repeats
        std::shared_ptr<bool> alive;
    };
    struct Background {
        std::function<void()> work;
        std::shared_ptr<bool> alive;  // false once its queue is dropped
    };
    class Handle;
    class ManualSerialQueue;

    double now_ = 0.0;
    uint64_t order_ = 0;
    std::multimap<std::pair<double, uint64_t>, Job> timed_;
    mutable std::mutex queueMutex_;
    std::multimap<uint64_t, std::function<void()>> queue_;
    std::deque<Background> background_;
};

}  // namespace plimsa
