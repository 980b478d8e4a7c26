#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/signal/Connection.h"
#include "platform/signal/Signal.h"

namespace plimsa {

/// What the app shell asks of the settings panel and of the update checker. Where none is given, the shell
/// runs with `NoSettingsPanel` and `NoUpdateNotice`, which do nothing at all (the menu's "Customize…" opens
/// nothing, no update is ever announced). Main thread only.

/// The settings panel window.
class SettingsPanel {
  public:
    virtual ~SettingsPanel() = default;
    /// Opens the panel (or brings it forward), on the packs page when `onPacks`, else where it was.
    virtual void show(bool onPacks) = 0;
    /// Closes the panel's window when it has one; nothing otherwise.
    virtual void closeWindow() = 0;
};

/// One newer version on offer.
struct UpdateInfo {
    std::string version;
    std::string url;
    std::string notes;

    bool operator==(const UpdateInfo&) const = default;
};

/// The update checker as the menu sees it.
class UpdateNotice {
  public:
    using Observer = std::function<void(const std::optional<UpdateInfo>& available)>;

    virtual ~UpdateNotice() = default;
    /// The newer version found by the last check that found one; nothing until then.
    virtual std::optional<UpdateInfo> available() const = 0;
    /// Calls `observer` with every new value of `available`, after it changes, until the connection is
    /// dropped.
    [[nodiscard]] virtual Connection onAvailableChange(Observer observer) = 0;
    /// Asks the feed once, now; the answer arrives later through `onAvailableChange`.
    virtual void check() = 0;
    /// Opens the available version's page in the browser; nothing when there is none.
    virtual void open() = 0;
    /// From now on, checks every six hours (the first six hours from now).
    virtual void startPeriodicChecks() = 0;
};

/// Stands in until the settings panel exists: opens and closes nothing.
class NoSettingsPanel final : public SettingsPanel {
  public:
    void show(bool) override {}
    void closeWindow() override {}
};

/// Stands in where no update checker is given: never has an update, never checks.
class NoUpdateNotice final : public UpdateNotice {
  public:
    std::optional<UpdateInfo> available() const override { return std::nullopt; }
    Connection onAvailableChange(Observer observer) override { return changed_.connect(std::move(observer)); }
    void check() override {}
    void open() override {}
    void startPeriodicChecks() override {}

  private:
    Signal<const std::optional<UpdateInfo>&> changed_;
};

}  // namespace plimsa
