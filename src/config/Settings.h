#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "config/SettingsValues.h"
#include "platform/desktop/Defaults.h"
#include "platform/signal/Connection.h"
#include "platform/signal/Signal.h"

namespace plimsa {

/// The one observable store of everything the user configures. Every change is one whole new value:
/// observers hear of it first (will-change, with the new value, while `v()` still holds the old one), then
/// it is stored, saved when `persist()` is true, and announced as changed. Saving writes the whole
/// document under "PlimsaSettings", synchronously, on every change, without coalescing; a failed save is
/// ignored (the value in memory stays the new one, the stored document the old one).
///
/// The process has one store, `shared()`, held by a `SharedSettings`. Wiring: the application installs the
/// real defaults with `installDefaults` (on Linux `FileDefaults`: the document is the file
/// $XDG_CONFIG_HOME/plimsa/settings.json) at start, before anything touches `shared()`; when nothing was
/// installed, `shared()` keeps its settings in memory only (snapshot and test runs), so the core never
/// depends on a toolkit. Tests construct stores (or a `SharedSettings`) directly on their own defaults.
///
/// Main thread only, including load and every save.
class Settings {
  public:
    using Values = SettingsValues;

    /// Key of the document in the defaults.
    static constexpr std::string_view kKey = "PlimsaSettings";
    /// The older defaults domain whose document is copied once when the standard domain has none.
    static constexpr std::string_view kLegacySuite = "app.plimsa.Plimsa";

    /// Gives `shared()` the defaults it loads from and saves to. Returns false (and drops `defaults`) once
    /// `shared()` exists or when `defaults` is null.
    static bool installDefaults(std::unique_ptr<Defaults> defaults);
    /// The process-wide store, created and loaded on first use.
    static Settings& shared();

    /// Process-wide: while false, changes are published but not saved. True at start.
    static bool persist();
    static void setPersist(bool persist);

    /// Loads from `defaults`, which must outlive the store: the document under `kKey`; when there is none,
    /// a one-time copy of the document in the suite `kLegacySuite`; when nothing decodes, the defaults
    /// (contrast 0.4, 60 fps, no swings, no corner sitters). Loading saves nothing.
    explicit Settings(Defaults& defaults);
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    const Values& v() const { return v_; }

    /// Replaces the whole value: one change.
    void set(Values values);
    /// Edits a copy of the value and stores it: one change, however many fields `edit` touches (one slider
    /// writing `v.swings[i].kick` is `update([&](Values& v) { v.swings[i].kick = kick; })`). `edit` runs
    /// before `update` returns. A change asked for from a will-change observer builds on the value being
    /// announced and is stored, as its own change, right after it.
    void update(const std::function<void(Values&)>& edit);
    /// Returns the swing at `index` to a default record that keeps only its id, characters, attach and
    /// anchor: one change. Nothing at all happens when `index` is out of range of the value the reset
    /// builds on (from a will-change observer, the value being announced).
    void resetSwing(int index);

    /// Called before each change is stored, with the value about to be stored.
    [[nodiscard]] Connection onWillChange(std::function<void(const Values& next)> observer);
    /// Called after each change is stored (and saved), with the stored value.
    [[nodiscard]] Connection onChanged(std::function<void(const Values& now)> observer);

  private:
    static Values load(Defaults& defaults);
    /// The value an `update` asked for now builds on: the stored one, or during a will-change
    /// announcement the value being announced and the changes already asked for during it.
    const Values& upcoming() const;
    void commit(Values next);
    void save() const;

    Defaults& defaults_;
    Values v_;
    Signal<const Values&> willChange_;
    Signal<const Values&> changed_;
    const Values* announced_ = nullptr;  // the value being announced to will-change observers
    std::vector<Values> deferred_;       // changes asked for during that announcement, in order
};

}  // namespace plimsa
