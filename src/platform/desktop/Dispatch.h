#pragma once

#include <functional>
#include <memory>
#include <string>

namespace plimsa {

/// Stops a repeating timer when destroyed.
class TimerHandle {
  public:
    virtual ~TimerHandle() = default;
};

/// A serial background queue: jobs run one at a time, in posting order, away from the main thread. In the
/// app each queue has a worker thread of its own, so a job may keep thread-bound state (an OpenGL context)
/// for the next one. A job hands its result back with `Dispatch::post`; nothing else crosses threads.
class SerialQueue {
  public:
    /// Waits for the job under way, if any, and drops the jobs not yet started.
    virtual ~SerialQueue() = default;
    /// Queues `work`. Any thread, a job of this queue included.
    virtual void post(std::function<void()> work) = 0;
};

/// The main queue, its timers, and serial background queues. Work posted to the main queue runs on the
/// main thread on a later turn of its event loop, never inside the call that posts it. The app uses the Qt
/// event loop; tests use a manual pump (ManualDispatch) and step time themselves.
class Dispatch {
  public:
    virtual ~Dispatch() = default;

    /// Runs `work` on a later turn of the main queue, in posting order. The one operation any thread may
    /// call: background jobs hand their results back through it.
    virtual void post(std::function<void()> work) = 0;
    /// Runs `work` once on the main queue after `seconds` (0 or less: as `post`). Main thread.
    virtual void after(double seconds, std::function<void()> work) = 0;
    /// Runs `work` on the main queue every `seconds` until the handle is dropped. Keeps firing while a
    /// menu is open or a window is dragged. Main thread.
    [[nodiscard]] virtual std::unique_ptr<TimerHandle> every(double seconds, std::function<void()> work) = 0;
    /// A new serial background queue; `label` names its thread ("plimsa.previews"). Main thread.
    virtual std::unique_ptr<SerialQueue> serialQueue(const std::string& label) = 0;
};

}  // namespace plimsa
