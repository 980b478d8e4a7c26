#include <gtest/gtest.h>

#include <cmath>

#include "config/Settings.h"
#include "panel/CornerPage.h"
#include "panel/GeneralPage.h"
#include "panel/PacksPage.h"
#include "panel/PanelPage.h"
#include "panel/Sidebar.h"
#include "platform/desktop/MemoryDefaults.h"
#include "support/TemporaryFolder.h"

namespace plimsa {
namespace {

using Names = std::vector<std::string>;

SwingConfig swingWith(Names seats) {
    SwingConfig swing;
    swing.characters = std::move(seats);
    return swing;
}

CornerConfig cornerOn(CornerSide side, std::string character = "Cat") {
    CornerConfig corner;
    corner.side = side;
    corner.character = std::move(character);
    return corner;
}

// A store on in-memory defaults that counts its changes.
class PanelRules : public ::testing::Test {
  protected:
    PanelRules() : settings(defaults) {
        counter = settings.onChanged([this](const SettingsValues&) { ++changes; });
    }
    void withSwings(std::size_t count) {
        settings.update([&](SettingsValues& v) {
            for (std::size_t i = 0; i < count; ++i) v.swings.push_back(swingWith({"Robo"}));
        });
        changes = 0;
    }
    void withCorners(std::vector<CornerConfig> corners) {
        settings.update([&](SettingsValues& v) { v.corners = std::move(corners); });
        changes = 0;
    }

    MemoryDefaults defaults;
    Settings settings;
    Connection counter;
    int changes = 0;
};

TEST_F(PanelRules, InitialPageIsPacksOnRequestOnceThenFirstSwingElseFirstCornerElsePacks) {
    ASSERT_TRUE(asksForPacksPage({"plimsa", "--panel-packs"}));
    EXPECT_FALSE(asksForPacksPage({"plimsa", "--panel"}));
    OpenOnPacks request;
    request.set();
    EXPECT_EQ(initialPage(settings.v(), false), PanelPage::packs());
    withCorners({cornerOn(CornerSide::left), cornerOn(CornerSide::right)});
    EXPECT_EQ(initialPage(settings.v(), false), PanelPage::corner(settings.v().corners[0].id));
    withSwings(2);
    EXPECT_EQ(initialPage(settings.v(), request.consume()), PanelPage::packs());
    EXPECT_EQ(initialPage(settings.v(), request.consume()), PanelPage::swing(settings.v().swings[0].id));
    EXPECT_NE(PanelPage::swing(settings.v().swings[0].id), PanelPage::corner(settings.v().swings[0].id));
}

TEST_F(PanelRules, SwingTitleUsesCatalogueNamesAndMarksEmptySeats) {
    Packs::File catalogue;
    catalogue.characters = {{"Robo", "Robo the Great"}};
    const std::pair<Names, std::string> cases[] = {{{""}, "Empty swing"},
                                                   {{"", ""}, "Empty swing"},
                                                   {{"Robo"}, "Robo the Great"},
                                                   {{"", "Robo"}, "Empty seat & Robo the Great"}};
    for (const auto& [seats, title] : cases)
        EXPECT_EQ(Sidebar::swingTitle(swingWith(seats), catalogue), title);
}

TEST_F(PanelRules, EmptyLibraryLeadsToPacksAndAddsNothing) {
    EXPECT_EQ(Sidebar::swingsNote(settings.v(), {}), "Get a pack first.");
    EXPECT_EQ(Sidebar::swingsNote(settings.v(), {"Cat"}), "No swings. Sitters only, if that's your thing.");
    EXPECT_EQ(Sidebar::addSwing(settings, {}, PanelPage::general()), PanelPage::packs());
    EXPECT_EQ(Sidebar::addCorner(settings, {}), PanelPage::packs());
    EXPECT_EQ(changes, 0);
    withSwings(1);
    EXPECT_EQ(Sidebar::swingsNote(settings.v(), {}), std::nullopt);
}

TEST_F(PanelRules, AddSwingSpreadsAnchorsAndStopsAtFour) {
    const double anchors[] = {0.72, 0.25, 0.5, 0.5};
    for (double anchor : anchors) {
        const PanelPage page = Sidebar::addSwing(settings, {"Cat"}, PanelPage::general());
        EXPECT_EQ(page, PanelPage::swing(settings.v().swings.back().id));
        EXPECT_EQ(settings.v().swings.back().anchorFraction, anchor);
    }
    EXPECT_FALSE(Sidebar::canAddSwing(settings.v()));
    EXPECT_EQ(Sidebar::addSwing(settings, {"Cat"}, PanelPage::general()), PanelPage::general());
    EXPECT_EQ(settings.v().swings.size(), 4u);
    settings.update([](SettingsValues& v) { v.swings.pop_back(); });
    EXPECT_TRUE(Sidebar::canAddSwing(settings.v()));
}

TEST_F(PanelRules, AddSwingCopiesTheShownSwingElseTheFirstAndFillsEmptySeats) {
    settings.update([](SettingsValues& v) { v.swings = {swingWith({"", ""}), swingWith({"Robo"})}; });
    settings.update([](SettingsValues& v) { v.swings[0].kick = 0.3; });
    const SettingsValues before = settings.v();
    const std::pair<PanelPage, std::size_t> cases[] = {{PanelPage::swing(before.swings[1].id), 1},
                                                       {PanelPage::swing(Uuid::random()), 0},
                                                       {PanelPage::packs(), 0}};
    for (const auto& [shown, from] : cases) {
        const PanelPage page = Sidebar::addSwing(settings, {"Cat", "Robo"}, shown);
        SwingConfig expected = before.swings[from];
        EXPECT_NE(page.id, expected.id);
        expected.id = page.id;
        expected.anchorFraction = 0.5;
        if (from == 0) expected.characters = {"Cat"};
        EXPECT_EQ(settings.v().swings.back(), expected);
        settings.set(before);
    }
}

TEST_F(PanelRules, AddCornerTakesTheFreeSideAndTheFirstSeatedCharacter) {
    using Case = std::tuple<std::vector<SwingConfig>, std::vector<CornerConfig>, CornerSide, std::string>;
    const Case cases[] = {
        {{}, {}, CornerSide::right, "Ann"},
        {{swingWith({"", "Robo"})}, {cornerOn(CornerSide::left)}, CornerSide::right, "Robo"},
        {{swingWith({""}), swingWith({"Robo"})}, {cornerOn(CornerSide::right)}, CornerSide::left, "Ann"},
        {{}, {cornerOn(CornerSide::left), cornerOn(CornerSide::right)}, CornerSide::left, "Ann"},
    };
    for (const auto& [swings, corners, side, character] : cases) {
        settings.update([&](SettingsValues& v) { v.swings = swings, v.corners = corners; });
        const PanelPage page = Sidebar::addCorner(settings, {"Ann", "Bob"});
        CornerConfig expected = cornerOn(side, character);
        expected.id = settings.v().corners.back().id;
        EXPECT_EQ(settings.v().corners.back(), expected);
        EXPECT_EQ(page, PanelPage::corner(expected.id));
        EXPECT_EQ(settings.v().corners.size(), corners.size() + 1);
    }
}

TEST_F(PanelRules, FooterAnnouncesANewerVersion) {
    EXPECT_EQ(Sidebar::footer("1.2", std::nullopt), (Sidebar::Footer{"Version 1.2", false}));
    EXPECT_EQ(Sidebar::footer("1.2", "1.3"), (Sidebar::Footer{"Version 1.3 is out", true}));
}

TEST_F(PanelRules, GeneralPageKeepsValuesInRange) {
    GeneralPage::setLightContrast(settings, 1.7);
    GeneralPage::setLightContrast(settings, std::nan(""));
    GeneralPage::setFrameRate(settings, 30);
    GeneralPage::setFrameRate(settings, 45);
    EXPECT_EQ(settings.v().lightContrast, 1.0);
    EXPECT_EQ(settings.v().frameRate, 30);
    EXPECT_EQ(changes, 2);
}

TEST_F(PanelRules, CornerPageWritesEachControlIntoItsFieldAndClampsSliders) {
    withCorners({cornerOn(CornerSide::right), cornerOn(CornerSide::left)});
    const CornerConfig other = settings.v().corners[1];
    CornerPage page(settings, settings.v().corners[0].id);
    EXPECT_EQ(page.subtitle(), "Sitting in the bottom right corner of the screen");
    page.setCharacter("Robo");
    page.setSide(CornerSide::left);
    page.setSize(0.1);
    page.setOpacity(0.5);
    page.setHeadMode(HeadMode::forward);
    CornerConfig expected = cornerOn(CornerSide::left, "Robo");
    expected.id = settings.v().corners[0].id;
    expected.size = CornerPage::kMinSize;
    expected.opacity = 0.5;
    expected.headMode = HeadMode::forward;
    EXPECT_EQ(page.config(), expected);
    EXPECT_EQ(page.subtitle(), "Sitting in the bottom left corner of the screen");
    EXPECT_EQ(settings.v().corners[1], other);
}

TEST_F(PanelRules, RemovedCornerReadsDefaultsAndWritesNothing) {
    const Uuid gone = Uuid::random();
    CornerPage page(settings, gone);
    CornerConfig expected;
    expected.id = gone;
    EXPECT_EQ(page.config(), expected);
    page.setCharacter("Robo");
    EXPECT_EQ(changes, 0);
}

TEST_F(PanelRules, RemovingACornerShowsItsNeighbourElseFirstSwingElsePacks) {
    withCorners({cornerOn(CornerSide::left), cornerOn(CornerSide::right), cornerOn(CornerSide::left)});
    const auto corners = settings.v().corners;
    EXPECT_EQ(CornerPage(settings, corners[1].id).remove(), PanelPage::corner(corners[2].id));
    EXPECT_EQ(CornerPage(settings, corners[2].id).remove(), PanelPage::corner(corners[0].id));
    withSwings(1);
    EXPECT_EQ(CornerPage(settings, corners[0].id).remove(), PanelPage::swing(settings.v().swings[0].id));
    settings.update([](SettingsValues& v) { v.swings.clear(); });
    EXPECT_EQ(CornerPage(settings, corners[0].id).remove(), PanelPage::packs());
}

struct Catalogue {
    explicit Catalogue(const std::string& json) : packs(folder.path() / "packs.json", std::nullopt) {
        testing::writeFile(folder.path() / "packs.json", json);
        packs.reload();
    }
    testing::TemporaryFolder folder;
    Packs packs;
};

TEST_F(PanelRules, PackCardsOfferPutOnSwingInstallOrBuy) {
    Catalogue catalogue(R"({"store": "", "characters": {}, "packs": [
        {"name": "Owned", "characters": ["Ann", "Bob"], "url": "https://shop.example/o", "price": 4.5},
        {"name": "Half", "characters": ["Ann", "Cy"], "url": "https://shop.example/h", "price": 4.999},
        {"name": "Bare", "characters": ["Dee"], "url": "file:///etc/passwd"},
        {"name": "Starter", "characters": ["Poppy"], "url": "", "shipsWithProgram": true},
        {"name": "Empty", "characters": [], "url": ""}]})");
    using Action = PacksPage::PackCard::Action;
    using Shown = std::tuple<Action, std::string, std::optional<std::string>, bool>;
    const std::vector<Shown> expected{
        {Action::putOnSwing, "$4.50", "https://shop.example/o", false},
        {Action::buy, "$5.00", "https://shop.example/h", false},
        {Action::buy, "Polar", std::nullopt, true},
        {Action::install, "Polar", std::nullopt, true},
        {Action::buy, "Polar", std::nullopt, true},
    };
    std::vector<Shown> shown;
    for (const auto& card : PacksPage::cards(catalogue.packs, {"Ann", "Bob"}))
        shown.emplace_back(card.action, card.buyLabel, card.link, card.missingLink);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(PacksPage::bundleCard(catalogue.packs), std::nullopt);
}

TEST_F(PanelRules, BundleCardShowsTheDiscountOnlyWithACode) {
    for (const std::string code : {"SWING", ""}) {
        Catalogue catalogue(R"({"store": "https://shop.example", "characters": {}, "packs": [], "bundle":
            {"name": "All", "url": "", "price": 27.99, "discountPrice": 13.5, "code": ")" +
                            code + "\"}}");
        const auto card = PacksPage::bundleCard(catalogue.packs);
        ASSERT_TRUE(card);
        EXPECT_EQ(card->price, "$27.99");
        EXPECT_EQ(card->codeLine.value_or("-"), code.empty() ? "-" : "with code SWING at checkout");
        EXPECT_EQ(card->discount.value_or("-"), code.empty() ? "-" : "$13.50");
        EXPECT_EQ(card->link, "https://shop.example");
    }
}

TEST_F(PanelRules, PutOnSwingAddsASwingBelowFourElseReseatsTheFirst) {
    const Pack pack{"Trio", {"Ann", "Bob", "Cy"}, "", std::nullopt, false};
    const double anchors[] = {0.72, 0.25, 0.5, 0.5};
    for (double anchor : anchors) {
        const PanelPage page = PacksPage::putOnSwing(settings, pack);
        EXPECT_EQ(page, PanelPage::swing(settings.v().swings.back().id));
        EXPECT_EQ(settings.v().swings.back().characters, (Names{"Ann", "Bob"}));
        EXPECT_EQ(settings.v().swings.back().anchorFraction, anchor);
    }
    EXPECT_EQ(PacksPage::putOnSwing(settings, {"Solo", {"Cy"}, "", {}, false}),
              PanelPage::swing(settings.v().swings[0].id));
    EXPECT_EQ(settings.v().swings.size(), 4u);
    EXPECT_EQ(settings.v().swings[0].characters, Names{"Cy"});
    EXPECT_EQ(PacksPage::putOnSwing(settings, Pack{}), PanelPage::packs());
}

}  // namespace
}  // namespace plimsa
