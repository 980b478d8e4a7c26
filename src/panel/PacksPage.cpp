#include "panel/PacksPage.h"

#include <algorithm>
#include <cstdio>

#include "panel/Sidebar.h"

namespace plimsa::PacksPage {

namespace {

std::string dollars(double amount) {
    char text[64];
    std::snprintf(text, sizeof text, "$%.2f", amount);
    return text;
}

}  // namespace

std::vector<std::string> hints(const Packs& packs) {
    std::vector<std::string> lines;
    if (packs.loadError()) lines.push_back(*packs.loadError());
    lines.emplace_back(kHowToBuy);
    return lines;
}

bool isOwned(const Pack& pack, const std::vector<std::string>& library) {
    return !pack.characters.empty() &&
           std::all_of(pack.characters.begin(), pack.characters.end(), [&](const std::string& name) {
               return std::find(library.begin(), library.end(), name) != library.end();
           });
}

std::vector<PackCard> cards(const Packs& packs, const std::vector<std::string>& library) {
    std::vector<PackCard> result;
    for (const Pack& pack : packs.file().packs) {
        PackCard card;
        card.pack = pack;
        if (isOwned(pack, library))
            card.action = PackCard::Action::putOnSwing;
        else if (pack.shipsWithProgram)
            card.action = PackCard::Action::install;
        card.buyLabel = pack.price ? dollars(*pack.price) : "Polar";
        card.link = packs.link(pack);
        card.missingLink = !webLink(pack.url);
        result.push_back(std::move(card));
    }
    return result;
}

std::optional<BundleCard> bundleCard(const Packs& packs) {
    const auto& bundle = packs.file().bundle;
    if (!bundle) return std::nullopt;
    BundleCard card;
    card.name = bundle->name;
    card.price = dollars(bundle->price);
    if (!bundle->code.empty()) {
        card.discount = dollars(bundle->discountPrice);
        card.codeLine = "with code " + bundle->code + " at checkout";
        card.code = bundle->code;
    }
    card.link = packs.bundleURL();
    return card;
}

PanelPage putOnSwing(Settings& settings, const Pack& pack) {
    if (pack.characters.empty()) return PanelPage::packs();
    const std::vector<std::string> seats(
        pack.characters.begin(), pack.characters.begin() + std::min<std::size_t>(2, pack.characters.size()));
    const SettingsValues& values = settings.v();
    if (!Sidebar::canAddSwing(values)) {
        const Uuid first = values.swings.front().id;
        settings.update([&](SettingsValues& next) { next.swings.front().characters = seats; });
        return PanelPage::swing(first);
    }
    SwingConfig swing = values.swings.empty() ? SwingConfig{} : values.swings.front();
    swing.id = Uuid::random();
    swing.characters = seats;
    swing.anchorFraction = Sidebar::newSwingAnchor(values.swings.size());
    settings.update([&](SettingsValues& next) { next.swings.push_back(swing); });
    return PanelPage::swing(swing.id);
}

}  // namespace plimsa::PacksPage
