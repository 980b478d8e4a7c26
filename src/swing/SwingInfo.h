#pragma once

#include <map>
#include <vector>

#include "config/Uuid.h"
#include "platform/signal/Signal.h"

namespace plimsa {

/// The size limits of every swing's seats, for the settings panel's hints: per swing id, the smallest
/// size at which each seat's character reaches the chains (0 none, 2.0 out of reach) and the largest
/// size a seat allows. Entries are never removed.
///
/// Observable: `willChange` is emitted before a published table changes, and only when a table really
/// changes (a list equal element by element to the stored one is not stored again).
/// Main thread only. `shared()` is the process-wide instance; tests construct their own.
class SwingInfo {
  public:
    using SizeTable = std::map<Uuid, std::vector<double>>;

    static SwingInfo& shared();

    SwingInfo() = default;
    SwingInfo(const SwingInfo&) = delete;
    SwingInfo& operator=(const SwingInfo&) = delete;

    const SizeTable& minCharacterSize() const { return minCharacterSize_; }
    const SizeTable& maxCharacterSize() const { return maxCharacterSize_; }

    /// Stores both lists under `id`, each only when it differs from the stored one. Returns true when
    /// anything was stored.
    bool publish(const Uuid& id, const std::vector<double>& minimums, const std::vector<double>& maximums);

    Signal<> willChange;

  private:
    bool store(SizeTable& table, const Uuid& id, const std::vector<double>& sizes);

    SizeTable minCharacterSize_;
    SizeTable maxCharacterSize_;
};

}  // namespace plimsa
