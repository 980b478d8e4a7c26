#pragma once

#include <memory>

namespace plimsa {

namespace signal_detail {
/// The shared flag of one subscription: the signal calls the slot only while it is set.
struct SlotState {
    bool connected = true;
    virtual ~SlotState() = default;
};
}  // namespace signal_detail

/// The owner's handle on one subscription to a `Signal`. Disconnects when destroyed, so a subscriber that
/// keeps its connections as members is never called after it is gone. Move-only. Disconnecting is safe at
/// any time: before, during (from inside any slot, including its own) or after an emission, and after the
/// signal itself is gone. Main thread only, like the signals it comes from.
class Connection {
  public:
    Connection() = default;
    explicit Connection(std::weak_ptr<signal_detail::SlotState> slot) : slot_(std::move(slot)) {}
    Connection(Connection&& other) noexcept = default;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { disconnect(); }

    /// Stops the slot from being called again; idempotent.
    void disconnect();
    /// True while the slot would be called by the next emission.
    bool connected() const;

  private:
    std::weak_ptr<signal_detail::SlotState> slot_;
};

}  // namespace plimsa
