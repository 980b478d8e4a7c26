#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/Settings.h"
#include "library/Packs.h"
#include "panel/PanelPage.h"

namespace plimsa {

/// The packs page's rules: which packs are owned, what each card's button does, the bundle card's texts
/// and "Put on a swing". `library` is the panel's list of character names. Main thread only.
namespace PacksPage {

inline constexpr std::string_view kTitle = "Character packs";
inline constexpr std::string_view kSubtitle = "Two characters per pack, made to share a swing.";
inline constexpr std::string_view kHowToBuy =
    "Buy a pack, download the file from the email, then use \"Add a pack you downloaded…\" at the bottom of "
    "this "
    "page. Owned packs show a check.";
inline constexpr std::string_view kMissingLinkHint = "Add the Polar link in packs.json";

/// The page's hints in order: the catalogue's load error (shown in gold) when set, then `kHowToBuy`.
std::vector<std::string> hints(const Packs& packs);

/// What a pack card offers.
struct PackCard {
    enum class Action {
        putOnSwing,  ///< every character is in the library: badge "Owned" and "Put on a swing"
        install,     ///< ships with the program: CharacterLibrary::installShippedPack, then re-read names
        buy,         ///< a button labelled `buyLabel` opening `link` (disabled without one)
    };

    Pack pack;
    Action action = Action::buy;
    std::string buyLabel;             ///< "$4.99", or "Polar" for a pack without a price
    std::optional<std::string> link;  ///< `Packs::link`: the pack's own link, else the store's
    bool missingLink = false;         ///< the pack has no link of its own: show `kMissingLinkHint`

    bool operator==(const PackCard&) const = default;
};

/// Whether every character of `pack` is in `library` (a pack listing no characters is never owned).
bool isOwned(const Pack& pack, const std::vector<std::string>& library);

/// One card per catalogue pack, in catalogue order.
std::vector<PackCard> cards(const Packs& packs, const std::vector<std::string>& library);

/// The all-packs card's texts, when the catalogue has a bundle.
struct BundleCard {
    std::string name;
    std::string price;                    ///< "$27.99"
    std::optional<std::string> discount;  ///< "$13.99" when a discount code exists
    std::optional<std::string> codeLine;  ///< "with code SWING at checkout"; "Copy code" copies `code`
    std::string code;
    std::optional<std::string> link;  ///< "Get all packs": `Packs::bundleURL`; disabled without one

    bool operator==(const BundleCard&) const = default;
};
std::optional<BundleCard> bundleCard(const Packs& packs);

/// "Put on a swing" for an owned pack: below `Sidebar::kMaxSwings` swings appends a copy of the first
/// swing (else a default record) with a new id, the pack's characters (at most two) as its seats and the
/// anchor of "Add a swing"; at the limit seats them on the first swing instead. Returns that swing's page;
/// a pack listing no characters changes nothing and returns the packs page.
PanelPage putOnSwing(Settings& settings, const Pack& pack);

}  // namespace PacksPage

}  // namespace plimsa
