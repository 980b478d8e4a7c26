#include "app/AppDelegate.h"

#include <algorithm>
#include <iostream>
#include <system_error>

#include "app/DecimalText.h"
#include "app/DiagnosticText.h"
#include "app/MenuBarIcon.h"
#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "platform/desktop/Desktop.h"
#include "platform/desktop/Dispatch.h"
#include "platform/desktop/OverlayWindow.h"
#include "platform/desktop/StatusItem.h"
#include "swing/SwingInfo.h"

namespace plimsa {

namespace {

// Characters of the "--panel-test" scene: the starter pack's, which every installation can add from the
// packs page; until they are installed the built-in figure stands in.
constexpr const char* kPanelTestSwingCharacters[] = {"Poppy", "Basil"};
constexpr const char* kPanelTestCornerCharacter = "Basil";

std::filesystem::path runningExecutable() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

SwingConfig panelTestSwing() {
    SwingConfig swing;
    swing.characters = {kPanelTestSwingCharacters[0], kPanelTestSwingCharacters[1]};
    swing.attach = SwingAttach::screen;
    swing.anchorFraction = 0.72;
    swing.ropeLength = 2.2;
    swing.tiltDegrees = 28.0;
    swing.pumping = true;
    swing.cruiseAmplitudeDegrees = 32.0;
    swing.kick = 1.0;
    swing.lean = 1.0;
    swing.legBias = 0.0;
    swing.gripReach = 0.62;
    swing.headMode = HeadMode::cursor;
    swing.handLeft = HandMode::chain;
    swing.handRight = HandMode::chain;
    swing.innerHand = HandMode::loose;
    swing.fits = {CharacterFit{.size = 1.0, .lift = 0.0, .forward = 0.0}};
    swing.swingScale = 1.0;
    swing.style = SwingStyle::classic;
    swing.shine = 0.1;
    swing.skin = SwingSkin::classic;
    return swing;
}

CornerConfig testCorner(std::string character, CornerSide side) {
    CornerConfig corner;
    corner.character = std::move(character);
    corner.side = side;
    corner.size = 1.0;
    corner.opacity = 0.85;
    corner.headMode = HeadMode::cursor;
    return corner;
}

// The shortest text that reads back to the same double, with at least one fractional digit.
std::string frameNumber(double value) {
    std::string text = DiagnosticText::number(value);
    if (text.find_first_not_of("-0123456789") == std::string::npos) text += ".0";
    return text;
}

}  // namespace

template <typename Work>
auto AppDelegate::weakly(Work work) {
    return [self = std::weak_ptr<AppDelegate*>(self_), work = std::move(work)](auto&&... args) {
        if (auto alive = self.lock()) work(**alive, std::forward<decltype(args)>(args)...);
    };
}

AppDelegate::AppDelegate(Desktop& desktop, Settings& settings, std::vector<std::string> arguments,
                         AppDelegateServices services)
    : desktop_(desktop),
      settings_(settings),
      arguments_(std::move(arguments)),
      services_(std::move(services)),
      panel_(services_.panel ? *services_.panel : noPanel_),
      updates_(services_.updates ? *services_.updates : noUpdates_),
      swingInfo_(services_.swingInfo ? *services_.swingInfo : SwingInfo::shared()),
      autostart_(services_.executable.empty() ? runningExecutable() : services_.executable),
      tracker_(desktop.windowList(), desktop.screens()),
      self_(std::make_shared<AppDelegate*>(this)) {
    if (!services_.swingScene.settings) services_.swingScene.settings = &settings_;
    if (!services_.swingScene.screens) services_.swingScene.screens = &desktop_.screens();
}

AppDelegate::~AppDelegate() {
    self_.reset();
}

bool AppDelegate::hasFlag(std::string_view flag) const {
    return std::find(arguments_.begin(), arguments_.end(), flag) != arguments_.end();
}

std::optional<std::string> AppDelegate::argumentAfter(std::string_view flag) const {
    const auto found = std::find(arguments_.begin(), arguments_.end(), flag);
    if (found == arguments_.end() || std::next(found) == arguments_.end()) return std::nullopt;
    return *std::next(found);
}

void AppDelegate::applicationDidFinishLaunching() {
    handleTestFlags();
    syncInstances();
    setupStatusItem();
    const bool panelAsked = hasFlag("--panel");
    if (panelAsked) panel_.show(false);
    if (hasFlag("--print-status-frame")) printStatusFrame();
    const bool firstRun =
        CharacterLibrary::names().empty() && settings_.v().swings.empty() && settings_.v().corners.empty();
    if (firstRun) panel_.show(true);
    // Without a tray to hold the menu the panel is the only way in: open it.
    if (!statusItem_->isShown() && !panelAsked && !firstRun) panel_.show(false);
    scheduleAutoclose();
    subscribe();
}

void AppDelegate::handleTestFlags() {
    if (hasFlag("--store-test")) {
        Settings::setPersist(false);
        CharacterLibrary::hideLibrary = true;
        settings_.update([](Settings::Values& v) { v.swings.clear(); });
        settings_.update([](Settings::Values& v) { v.corners.clear(); });
    }
    CharacterLibrary::migrateBuiltIn(settings_);
    if (hasFlag("--panel-test")) {
        Settings::setPersist(false);
        settings_.update([](Settings::Values& v) { v.swings = {panelTestSwing()}; });
        settings_.update([](Settings::Values& v) {
            v.corners = {testCorner(kPanelTestCornerCharacter, CornerSide::right)};
        });
    }
    if (const auto character = argumentAfter("--corner-test")) {
        Settings::setPersist(false);
        const CornerSide side = hasFlag("left") ? CornerSide::left : CornerSide::right;
        settings_.update([&](Settings::Values& v) { v.corners = {testCorner(*character, side)}; });
    }
}

std::string AppDelegate::statusFrameLine(const DesktopRect& frame) {
    return "STATUS_FRAME " + frameNumber(frame.x) + " " + frameNumber(frame.y) + " " +
           frameNumber(frame.width) + " " + frameNumber(frame.height) + "\n";
}

void AppDelegate::printStatusFrame() {
    const auto frame = statusItem_ ? statusItem_->frame() : std::nullopt;
    if (!frame) return;
    std::ostream& out = services_.out ? *services_.out : std::cout;
    out << statusFrameLine(*frame) << std::flush;
}

void AppDelegate::scheduleAutoclose() {
    const auto text = argumentAfter("--panel-autoclose");
    const auto seconds = text ? DecimalText::parseDouble(*text) : std::nullopt;
    if (!seconds) return;
    desktop_.dispatch().after(*seconds, weakly([](AppDelegate& self) { self.panel_.closeWindow(); }));
}

void AppDelegate::subscribe() {
    // Will-change comes before the new value is stored: the sync runs on a later turn, when it is.
    settingsConnection_ = settings_.onWillChange(weakly([](AppDelegate& self, const Settings::Values&) {
        self.desktop_.dispatch().post(self.weakly([](AppDelegate& later) { later.syncInstances(); }));
    }));
    timer_ = desktop_.dispatch().every(kTickInterval, weakly([](AppDelegate& self) { self.tick(); }));
    showUpdate(updates_.available());
    updateConnection_ = updates_.onAvailableChange(
        weakly([](AppDelegate& self, const std::optional<UpdateInfo>& info) { self.showUpdate(info); }));
    desktop_.dispatch().after(kFirstUpdateCheckDelay, weakly([](AppDelegate& self) {
                                  self.updates_.check();
                                  self.updates_.startPeriodicChecks();
                              }));
}

void AppDelegate::setupStatusItem() {
    statusItem_ = desktop_.createStatusItem();
    statusItem_->setTemplateImage(menuBarIcon());
    const auto item = [](std::string title, std::string key, auto action) {
        return StatusMenuItem{.title = std::move(title), .key = std::move(key), .action = std::move(action)};
    };
    statusItem_->addItem(item("Customize\u2026", ",", weakly([](AppDelegate& self) { self.showPanel(); })));
    statusItem_->addItem(item("Give a push", "p", weakly([](AppDelegate& self) { self.pushSwing(); })));
    StatusMenuItem separator;
    separator.separator = true;
    statusItem_->addItem(std::move(separator));
    StatusMenuItem update = item("", "", weakly([](AppDelegate& self) { self.openUpdate(); }));
    update.visible = false;
    updateItem_ = statusItem_->addItem(std::move(update));
    addStartAtLoginItem();
    statusItem_->addItem(item("Quit", "q", weakly([](AppDelegate& self) { self.desktop_.quit(); })));
}

void AppDelegate::addStartAtLoginItem() {
    auto index = std::make_shared<int>(-1);
    StatusMenuItem login;
    login.title = "Start at login";
    login.action = weakly([index](AppDelegate& self) {
        if (self.autostart_.isEnabled())
            self.autostart_.disable();
        else
            self.autostart_.enable();
        self.statusItem_->setChecked(*index, self.autostart_.isEnabled());
    });
    login.checkable = true;
    login.checked = autostart_.isEnabled();
    *index = statusItem_->addItem(std::move(login));
}

void AppDelegate::showUpdate(const std::optional<UpdateInfo>& available) {
    if (!statusItem_ || !updateItem_) return;
    statusItem_->setVisible(*updateItem_, available.has_value());
    statusItem_->setTitle(*updateItem_,
                          available ? "Version " + available->version + " is out: see what's new\u2026" : "");
}

void AppDelegate::showPanel() {
    panel_.show(false);
}

void AppDelegate::pushSwing() {
    for (const auto& instance : instances_) instance->scene().addPush(kMenuPush);
}

void AppDelegate::openUpdate() {
    updates_.open();
}

void AppDelegate::syncInstances() {
    syncSwings();
    syncCorners();
}

void AppDelegate::syncSwings() {
    const auto& records = settings_.v().swings;
    const auto listed = [&](const Uuid& id) {
        return std::any_of(records.begin(), records.end(), [&](const SwingConfig& r) { return r.id == id; });
    };
    std::erase_if(instances_, [&](const std::unique_ptr<SwingInstance>& instance) {
        if (listed(instance->id())) return false;
        instance->window().orderOut();
        return true;
    });
    // Applying may change the settings (never in practice); work on a copy so the loop stays valid.
    const auto swings = records;
    const int frameRate = settings_.v().frameRate;
    for (const SwingConfig& record : swings) {
        auto found = std::find_if(instances_.begin(), instances_.end(),
                                  [&](const auto& instance) { return instance->id() == record.id; });
        if (found == instances_.end()) {
            instances_.push_back(
                std::make_unique<SwingInstance>(record.id, desktop_, swingInfo_, services_.swingScene));
            found = std::prev(instances_.end());
        }
        (*found)->apply(record, frameRate);
    }
}

void AppDelegate::syncCorners() {
    const auto records = settings_.v().corners;
    std::erase_if(corners_, [&](const std::unique_ptr<CornerInstance>& instance) {
        const bool listed = std::any_of(records.begin(), records.end(),
                                        [&](const CornerConfig& r) { return r.id == instance->id(); });
        if (!listed) instance->window().orderOut();
        return !listed;
    });
    const int frameRate = settings_.v().frameRate;
    for (const CornerConfig& record : records) {
        auto found = std::find_if(corners_.begin(), corners_.end(),
                                  [&](const auto& instance) { return instance->id() == record.id; });
        if (found == corners_.end()) {
            corners_.push_back(std::make_unique<CornerInstance>(record.id, desktop_, services_.cornerScene));
            found = std::prev(corners_.end());
        }
        if (!((*found)->config() == record)) (*found)->apply(record, frameRate);
    }
}

}  // namespace plimsa
