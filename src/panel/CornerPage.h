#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/CornerConfig.h"
#include "config/Settings.h"
#include "panel/PanelPage.h"

namespace plimsa {

/// The corner-sitter page's rules over one `CornerConfig`, found in the store by id on every read. While
/// no sitter has that id (removed elsewhere) the page reads a default record and every setter writes
/// nothing. Each setter is one `Settings::update` of the matching records. Main thread only; the store
/// must outlive the page.
class CornerPage {
  public:
    static constexpr double kMinSize = 0.4, kMaxSize = 1.6;
    static constexpr double kMinOpacity = 0.2, kMaxOpacity = 1.0;
    static constexpr std::string_view kPlacementHint =
        "Sits on the floor of the screen with the back to its edge, one knee up. Stays whatever window is in "
        "front.";

    /// Picker labels in display order.
    static const std::vector<std::pair<CornerSide, std::string>>& sideOptions();
    static const std::vector<std::pair<HeadMode, std::string>>& headOptions();

    CornerPage(Settings& settings, const Uuid& id) : settings_(settings), id_(id) {}

    /// The sitter with this page's id, or a default record carrying that id when there is none.
    CornerConfig config() const;
    bool exists() const;
    /// "Sitting in the bottom right corner of the screen".
    std::string subtitle() const;

    void setCharacter(const std::string& character);
    void setSide(CornerSide side);
    /// Kept within the slider's range; a value that is not a number is ignored.
    void setSize(double size);
    void setOpacity(double opacity);
    void setHeadMode(HeadMode mode);

    /// "Remove": drops every sitter with this id and returns the page to show next: the sitter now at the
    /// removed one's place in the list (else the one before it), else the first swing, else packs.
    PanelPage remove();

  private:
    template <typename Edit>
    void edit(Edit change);

    Settings& settings_;
    Uuid id_;
};

}  // namespace plimsa
