#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Autostart.h"
#include "app/CornerInstance.h"
#include "app/ShellSeams.h"
#include "app/SwingInstance.h"
#include "app/WindowTracker.h"
#include "corner/CornerScene.h"
#include "platform/desktop/DesktopGeometry.h"
#include "platform/signal/Connection.h"
#include "swing/SwingScene.h"

namespace plimsa {

class Desktop;
class Settings;
class StatusItem;
class SwingInfo;
class TimerHandle;

/// What the delegate uses beyond the desktop and the settings; each empty member takes the program's own.
struct AppDelegateServices {
    /// The settings panel; null: `NoSettingsPanel`.
    SettingsPanel* panel = nullptr;
    /// The update checker; null: `NoUpdateNotice`.
    UpdateNotice* updates = nullptr;
    /// Where the swings publish their size limits; null: `SwingInfo::shared()`.
    SwingInfo* swingInfo = nullptr;
    /// Given to every new scene. Empty `settings` and `screens` of the swing's services take the
    /// delegate's settings store and the desktop's screens.
    SwingScene::Services swingScene;
    CornerScene::Services cornerScene;
    /// Where "--print-status-frame" writes; null: standard output.
    std::ostream* out = nullptr;
    /// The running program, for "Start at login"; empty: read from /proc/self/exe.
    std::filesystem::path executable;
};

/// The application shell: the start-up sequence, the tray icon and its menu, one overlay instance per
/// configured swing and corner sitter kept in step with the settings, and the tick that places them 30
/// times a second over the front window or the screen and decides where clicks go.
///
/// Callbacks it leaves behind (the tick timer, the settings subscription, delayed work, menu actions) do
/// nothing once the delegate is gone. Main thread only.
class AppDelegate {
  public:
    static constexpr double kTickInterval = 1.0 / 30.0;
    /// What "Give a push" adds to every swing, radians per second.
    static constexpr double kMenuPush = 1.4;
    /// The hanging point keeps this far, in points, from both side edges of what it hangs from.
    static constexpr double kEdgeMargin = 90.0;
    static constexpr double kFirstUpdateCheckDelay = 5.0;

    /// `desktop` and `settings` (and the services' objects) must outlive the delegate. `arguments`: the
    /// command line; a flag is present when one argument equals it exactly.
    AppDelegate(Desktop& desktop, Settings& settings, std::vector<std::string> arguments,
                AppDelegateServices services = {});
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    /// The start-up sequence; call once, after the event loop is running. Where no tray shows the status
    /// item, the panel opens (the menu would be out of reach).
    void applicationDidFinishLaunching();

    /// Creates, drops and re-applies instances so that they match the settings' swings and corner
    /// sitters, by id. Every swing is re-applied; a corner sitter only when its record changed.
    void syncInstances();
    /// One pass of placing, showing, hiding and mouse catching (the 1/30 s timer calls it).
    void tick();
    void tickCorners(DesktopPoint mouse);
    void updateMouse(SwingInstance& instance, DesktopPoint mouse);

    /// "Customize…" (also for a second launch that asks for the panel).
    void showPanel();
    /// "Give a push": adds `kMenuPush` to every swing; corner sitters are not affected.
    void pushSwing();
    void openUpdate();

    const std::vector<std::unique_ptr<SwingInstance>>& instances() const { return instances_; }
    const std::vector<std::unique_ptr<CornerInstance>>& corners() const { return corners_; }
    StatusItem* statusItem() const { return statusItem_.get(); }
    /// The window tracker the tick asks for the front window.
    WindowTracker& tracker() { return tracker_; }

    /// The line "--print-status-frame" writes for `frame`, newline included.
    static std::string statusFrameLine(const DesktopRect& frame);

  private:
    bool hasFlag(std::string_view flag) const;
    std::optional<std::string> argumentAfter(std::string_view flag) const;
    void handleTestFlags();
    void printStatusFrame();
    void scheduleAutoclose();
    void subscribe();
    void setupStatusItem();
    void addStartAtLoginItem();
    void showUpdate(const std::optional<UpdateInfo>& available);
    void syncSwings();
    void syncCorners();
    void tickSwing(SwingInstance& instance, const std::optional<DesktopRect>& screen,
                   const std::optional<TrackedWindow>& front, DesktopPoint mouse);
    template <typename Work>
    auto weakly(Work work);

    Desktop& desktop_;
    Settings& settings_;
    std::vector<std::string> arguments_;
    AppDelegateServices services_;
    NoSettingsPanel noPanel_;
    NoUpdateNotice noUpdates_;
    SettingsPanel& panel_;
    UpdateNotice& updates_;
    SwingInfo& swingInfo_;
    Autostart autostart_;
    WindowTracker tracker_;
    std::vector<std::unique_ptr<SwingInstance>> instances_;
    std::vector<std::unique_ptr<CornerInstance>> corners_;
    std::unique_ptr<StatusItem> statusItem_;
    std::optional<int> updateItem_;
    std::unique_ptr<TimerHandle> timer_;
    Connection settingsConnection_;
    Connection updateConnection_;
    // Cleared first on destruction: callbacks queued elsewhere check it before touching the delegate.
    std::shared_ptr<AppDelegate*> self_;
};

}  // namespace plimsa
