#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/CharacterFit.h"
#include "config/Settings.h"
#include "config/SwingConfig.h"
#include "config/Uuid.h"
#include "panel/PanelPage.h"
#include "panel/SwingPageControls.h"
#include "swing/SwingInfo.h"

namespace plimsa {

/// One seat's cell in the "Who's swinging" card: its caption, the character it holds ("" for none) and
/// what to show when there is no portrait ("Empty seat", or "" when a character sits there).
struct SeatCell {
    int seat = 0;
    std::string_view caption;
    std::string character;
    std::string_view placeholder;
};

/// The rules of the settings panel's page for one swing, found in the store by its id. Reading gives that
/// record, or a default record (with the page's id) when the store holds none; every write replaces the
/// record in the store as one change, and writes nothing at all when the record is gone. Slider writes are
/// held to the slider's range; values that are not numbers are ignored. Showing a page ("Get characters",
/// the page after "Remove") belongs to the caller. Main thread only (the store's thread).
class SwingPage {
  public:
    /// `settings` and `info` must outlive the page; `library` is the list of character names offered.
    SwingPage(Settings& settings, const SwingInfo& info, Uuid id, std::vector<std::string> library);

    const Uuid& id() const { return id_; }
    /// True while the store holds a swing with this id.
    bool exists() const { return index().has_value(); }
    SwingConfig config() const;

    /// "Reset settings": the store's `resetSwing` for this swing's index.
    void resetSettings();
    /// "Remove": removes every swing with this id (nothing is written when there is none) and returns the
    /// page to show next: the swing now at the removed one's place (else the one before it), else the
    /// first corner sitter, else packs.
    PanelPage remove();

    int seatCount() const;
    /// Picks 1 or 2 seats (other counts are ignored). Seats are added holding the first seat's character,
    /// else the first library name, else nobody; fewer seats keeps the first ones. Fits are left as they
    /// are, so a seat taken away and given back keeps its adjustment.
    void setSeatCount(int count);
    std::vector<SeatCell> seatCells() const;
    /// Puts `name` on `seat`; nothing when the seat is not on the swing.
    void setCharacter(int seat, const std::string& name);
    const std::vector<std::string>& library() const { return library_; }

    /// "Inner hands" shows on a two-seater only; "Left hand" and "Right hand" on a single seat only.
    bool showsHand(HandSlot slot) const;
    HandMode hand(HandSlot slot) const;
    void setHand(HandSlot slot, HandMode mode);

    void setAttach(SwingAttach attach);
    /// The hint under "Hangs from", for the current way of hanging.
    std::string_view attachHint() const;
    /// Applies the motion preset (which also sets its motion fields and hands).
    void setStyle(SwingStyle style);
    void setHeadMode(HeadMode mode);
    void setSkin(SwingSkin skin);
    void setPumping(bool pumping);

    /// The row of one slider; the position slider's caption follows the way of hanging.
    SliderRow slider(SwingSlider which) const;
    void setSlider(SwingSlider which, double value);

    /// The seat's fit, or the default fit when the record has none for it.
    CharacterFit fit(int seat) const;
    SliderRow fitSlider(int seat, FitSlider which) const;
    /// Writes one field of the seat's fit (padding `fits` as `SwingConfig::setFit` does); nothing when the
    /// seat is not on the swing.
    void setFitSlider(int seat, FitSlider which, double value);
    /// The hint of the seat's fit block from the sizes the swing last published, if any.
    std::optional<Hint> fitHint(int seat) const;

  private:
    std::optional<std::size_t> index() const;
    bool hasSeat(int seat) const;
    void write(const std::function<void(SwingConfig&)>& edit);

    Settings& settings_;
    const SwingInfo& info_;
    Uuid id_;
    std::vector<std::string> library_;
};

}  // namespace plimsa
