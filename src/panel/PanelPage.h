#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "config/SettingsValues.h"
#include "config/Uuid.h"

namespace plimsa {

/// Where the settings panel's detail area points: one swing's or one corner sitter's page (by id), the
/// packs page or the general page. Two pages are equal when their kinds and ids are equal; the packs and
/// general pages carry the nil id. Plain value, any thread.
struct PanelPage {
    enum class Kind { swing, corner, packs, general };

    Kind kind = Kind::packs;
    Uuid id;

    static PanelPage swing(const Uuid& id) { return {Kind::swing, id}; }
    static PanelPage corner(const Uuid& id) { return {Kind::corner, id}; }
    static PanelPage packs() { return {Kind::packs, {}}; }
    static PanelPage general() { return {Kind::general, {}}; }

    bool operator==(const PanelPage&) const = default;
};

/// The one-shot request to open the panel on the packs page: set by the tray's "Characters & packs" item
/// (`show(onPacks: true)`) and by the "--panel-packs" launch argument, consumed by the next panel made, so
/// that a later opening starts on the user's own swings again. Main thread only.
class OpenOnPacks {
  public:
    /// The process-wide request.
    static OpenOnPacks& shared();

    void set() { requested_ = true; }
    /// Whether a request was pending; clears it.
    bool consume() { return std::exchange(requested_, false); }

  private:
    bool requested_ = false;
};

/// Whether the launch arguments (without the program name or with it) ask for the packs page.
bool asksForPacksPage(const std::vector<std::string>& arguments);

/// The page a newly made panel shows: packs when `onPacks` (a consumed `OpenOnPacks`), else the first
/// swing's page, else the first corner sitter's page, else packs (a first run with nothing set up and no
/// characters lands where characters come from).
PanelPage initialPage(const SettingsValues& values, bool onPacks);

/// Whether `page` still points at something: a swing or corner page whose record is gone does not.
bool pageExists(const SettingsValues& values, const PanelPage& page);

/// The page to show after a swing or corner sitter (`kind`) was removed from `place` in its list, given
/// the values after the removal: the record of that kind now at `place`, else the last one, else the first
/// record of the other kind, else packs. `kind` must be swing or corner.
PanelPage pageAfterRemoval(const SettingsValues& values, PanelPage::Kind kind, std::size_t place);

}  // namespace plimsa
