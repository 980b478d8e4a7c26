#pragma once

#include <functional>
#include <memory>

namespace plimsa {

/// Stops a repeating timer when destroyed.
class TimerHandle {
  public:
    virtual ~TimerHandle() = default;
};

/// The main queue and its timers. Work posted here runs on the main thread on a later turn of its event
/// loop, never inside the call that posts it. The app uses the Qt event loop; tests use a manual pump
/// (ManualDispatch) and step time themselves.
class Dispatch {
  public:
    virtual ~Dispatch() = default;

    /// Runs `work` on a later turn of the main queue, in posting order.
    virtual void post(std::function<void()> work) = 0;
    /// Runs `work` once on the main queue after `seconds` (0 or less: as `post`).
    virtual void after(double seconds, std::function<void()> work) = 0;
    /// Runs `work` on the main queue every `seconds` until the handle is dropped. Keeps firing while a
    /// menu is open or a window is dragged.
    [[nodiscard]] virtual std::unique_ptr<TimerHandle> every(double seconds, std::function<void()> work) = 0;
};

}  // namespace plimsa
