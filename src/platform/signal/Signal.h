#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/signal/Connection.h"

namespace plimsa {

/// A list of subscribers called in the order they connected. `connect` returns the `Connection` that
/// keeps the subscription alive; dropping it unsubscribes.
///
/// Re-entrancy: a slot may connect, disconnect itself or others, publish again, or destroy the object that
/// owns the signal. A slot disconnected during an emission is not called for the rest of it; a slot
/// connected during an emission is first called by the next one.
///
/// Not thread-safe: connect, disconnect and publish on one thread (the main thread for the app's stores).
template <typename... Args>
class Signal {
  public:
    using Slot = std::function<void(Args...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Connection connect(Slot slot) {
        prune();
        auto entry = std::make_shared<Entry>(std::move(slot));
        entries_.push_back(entry);
        return Connection(entry);
    }

    void publish(Args... args) {
        prune();
        // The snapshot keeps every entry (and its function) alive through the calls, even when a slot
        // disconnects it or destroys this signal.
        const std::vector<std::shared_ptr<Entry>> snapshot = entries_;
        for (const auto& entry : snapshot)
            if (entry->connected) entry->slot(args...);
    }

    /// Number of live subscriptions (disconnected ones are not counted).
    std::size_t size() const {
        return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(),
                                                      [](const auto& entry) { return entry->connected; }));
    }

  private:
    struct Entry : signal_detail::SlotState {
        explicit Entry(Slot function) : slot(std::move(function)) {}
        Slot slot;
    };

    void prune() {
        std::erase_if(entries_, [](const auto& entry) { return !entry->connected; });
    }

    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace plimsa
