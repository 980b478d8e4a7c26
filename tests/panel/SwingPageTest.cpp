#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/Settings.h"
#include "panel/SwingPage.h"
#include "panel/ValueText.h"
#include "platform/desktop/MemoryDefaults.h"

namespace plimsa {
namespace {

using Seats = std::vector<std::string>;

class SwingPageTest : public ::testing::Test {
  protected:
    void SetUp() override { Settings::setPersist(true); }

    // A store holding one swing with `seats`, and the page of that swing.
    SwingPage pageOver(Seats seats, Seats library = {"poppy"}) {
        SwingConfig swing;
        swing.characters = std::move(seats);
        swing.fits = {CharacterFit{1.2, 0.1, 0.0}};
        settings.update([&](Settings::Values& v) { v.swings = {SwingConfig{}, swing}; });
        return SwingPage(settings, info, swing.id, std::move(library));
    }
    const SwingConfig& stored() const { return settings.v().swings.at(1); }

    MemoryDefaults defaults;
    Settings settings{defaults};
    SwingInfo info;
};

TEST(ValueText, UnitRowsAreWholeNumbersOthersTwoDecimalsAndZeroHasNoSign) {
    const struct {
        double value;
        const char* unit;
        const char* text;
    } cases[] = {{0.62, "", "0.62"},   {1.2, "", "1.20"},    {-0.001, "", "0.00"}, {32.4, "°", "32°"},
                 {179.6, "°", "180°"}, {-80.0, "°", "-80°"}, {-0.3, "°", "0°"},    {-0.25, "", "-0.25"}};
    for (const auto& c : cases) EXPECT_EQ(valueText(c.value, c.unit), c.text) << c.value << c.unit;
}

TEST(SwingFitHint, FirstMatchingRuleWinsAndSizesWithinToleranceShowNothing) {
    const std::string full = "The board is full: shown at 1.10. Shrink the other character to make room.";
    const std::string grip =
        "Grip height is too low for this character's arms: the hands cannot stay on the "
        "chains. Raise Grip height.";
    const std::string small = "Shown at 0.80: the smallest size at which the hands still reach the chains.";
    const struct {
        double size;
        std::optional<double> maximum, minimum;
        std::optional<Hint> hint;
    } cases[] = {
        {1.2, std::nullopt, std::nullopt, std::nullopt},
        {1.104, 1.1, 0.5, std::nullopt},  // within 0.005 of the maximum
        {1.2, 1.1, 2.0, Hint{full, HintTone::gold}},
        {1.0, 1.5, 1.99, Hint{grip, HintTone::gold}},
        {1.0, std::nullopt, 2.0, Hint{grip, HintTone::gold}},
        {0.7, 1.5, 0.8, Hint{small, HintTone::dim}},
        {0.796, 1.5, 0.8, std::nullopt},  // within 0.005 of the minimum
        {0.7, std::nullopt, 1.98, Hint{"Shown at 1.98" + small.substr(13), HintTone::dim}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(swing_page::fitHint(c.size, c.maximum, c.minimum), c.hint) << c.size;
}

TEST_F(SwingPageTest, FitHintUsesThisSwingsPublishedSizesForTheSeat) {
    auto page = pageOver({"a", "b"});
    page.setFitSlider(1, FitSlider::size, 1.3);
    info.publish(page.id(), {0.0, 0.9}, {1.5, 1.0});
    info.publish(Uuid::random(), {2.0, 2.0}, {0.1, 0.1});
    EXPECT_EQ(page.fitHint(0), std::nullopt);
    ASSERT_TRUE(page.fitHint(1));
    EXPECT_EQ(page.fitHint(1)->text,
              "The board is full: shown at 1.00. Shrink the other character to make room.");
    EXPECT_EQ(page.fitHint(2), std::nullopt);
}

TEST_F(SwingPageTest, SeatCountAddsTheFirstCharacterOrLibraryNameKeepsFirstSeatsAndLeavesFits) {
    const struct {
        Seats seats, library;
        int count;
        Seats expected;
    } cases[] = {
        {{"a"}, {"x"}, 2, {"a", "a"}}, {{""}, {"x"}, 2, {"", "x"}},     {{""}, {}, 2, {"", ""}},
        {{"a", "b"}, {}, 1, {"a"}},    {{"a", "b"}, {}, 3, {"a", "b"}}, {{"a", "b", "c"}, {}, 2, {"a", "b"}},
    };
    for (const auto& c : cases) {
        auto page = pageOver(c.seats, c.library);
        page.setSeatCount(c.count);
        EXPECT_EQ(stored().characters, c.expected) << c.seats.size() << "->" << c.count;
        EXPECT_EQ(stored().fits, (std::vector<CharacterFit>{{1.2, 0.1, 0.0}}));
    }
}

TEST_F(SwingPageTest, SeatCellsAndHandPickersFollowTheSeatCount) {
    auto page = pageOver({""});
    EXPECT_EQ(page.seatCells().at(0).caption, "Character");
    EXPECT_EQ(page.seatCells().at(0).placeholder, "Empty seat");
    EXPECT_TRUE(page.showsHand(HandSlot::left) && !page.showsHand(HandSlot::inner));
    page.setSeatCount(2);
    page.setCharacter(1, "basil");
    EXPECT_EQ(page.seatCells().at(0).caption, "Left seat");
    EXPECT_EQ(page.seatCells().at(1).caption, "Right seat");
    EXPECT_EQ(stored().characters, (Seats{"", "basil"}));
    EXPECT_TRUE(page.showsHand(HandSlot::inner) && !page.showsHand(HandSlot::left));
    page.setHand(HandSlot::inner, HandMode::wave);
    EXPECT_EQ(stored().innerHand, HandMode::wave);
}

TEST_F(SwingPageTest, SlidersWriteTheirOwnFieldHeldToTheirRange) {
    const struct {
        SwingSlider slider;
        double SwingConfig::*field;
        double maximum;
    } cases[] = {{SwingSlider::position, &SwingConfig::anchorFraction, 0.95},
                 {SwingSlider::overallSize, &SwingConfig::swingScale, 1.3},
                 {SwingSlider::ropeLength, &SwingConfig::ropeLength, 7.0},
                 {SwingSlider::tilt, &SwingConfig::tiltDegrees, 80.0},
                 {SwingSlider::amplitude, &SwingConfig::cruiseAmplitudeDegrees, 180.0},
                 {SwingSlider::kick, &SwingConfig::kick, 1.6},
                 {SwingSlider::lean, &SwingConfig::lean, 2.0},
                 {SwingSlider::legs, &SwingConfig::legBias, 1.0},
                 {SwingSlider::gripHeight, &SwingConfig::gripReach, 0.95},
                 {SwingSlider::shine, &SwingConfig::shine, 1.0}};
    auto page = pageOver({"a"});
    for (const auto& c : cases) {
        SwingConfig expected = stored();
        expected.*c.field = c.maximum;
        page.setSlider(c.slider, 1e9);
        page.setSlider(c.slider, std::nan(""));
        EXPECT_EQ(stored(), expected) << page.slider(c.slider).title;
        EXPECT_EQ(page.slider(c.slider).value, c.maximum);
    }
    EXPECT_EQ(page.slider(SwingSlider::tilt).text, "80°");
}

TEST_F(SwingPageTest, HangingFromChangesThePositionCaptionAndHintNotItsValue) {
    auto page = pageOver({"a"});
    page.setSlider(SwingSlider::position, 0.3);
    page.setAttach(SwingAttach::window);
    EXPECT_EQ(page.slider(SwingSlider::position).title, "Position on window");
    EXPECT_TRUE(page.attachHint().starts_with("Front window: "));
    page.setAttach(SwingAttach::screen);
    EXPECT_EQ(page.slider(SwingSlider::position).title, "Position on screen");
    EXPECT_TRUE(page.attachHint().starts_with("Top of the screen: "));
    EXPECT_EQ(page.slider(SwingSlider::position).value, 0.3);
}

TEST_F(SwingPageTest, AMissingFitReadsAsDefaultAndIsWrittenFromWhatIsShown) {
    auto page = pageOver({"a", "b"});
    EXPECT_EQ(page.fit(1), CharacterFit{});
    page.setFitSlider(1, FitSlider::seatHeight, -0.5);
    EXPECT_EQ(stored().fits, (std::vector<CharacterFit>{{1.2, 0.1, 0.0}, {1.0, -0.2, 0.0}}));
    EXPECT_EQ(page.fitSlider(1, FitSlider::seatHeight).text, "-0.20");
}

TEST_F(SwingPageTest, ResetKeepsIdentitySeatsAndPlacementAndRemoveDropsEveryCopy) {
    auto page = pageOver({"a", "b"});
    page.setAttach(SwingAttach::window);
    page.setStyle(SwingStyle::wild);
    page.resetSettings();
    SwingConfig expected;
    expected.id = page.id();
    expected.characters = {"a", "b"};
    expected.attach = SwingAttach::window;
    EXPECT_EQ(stored(), expected);
    settings.update([&](Settings::Values& v) { v.swings.push_back(v.swings[1]); });
    EXPECT_EQ(page.remove(), PanelPage::swing(settings.v().swings.at(0).id));
    EXPECT_EQ(settings.v().swings.size(), 1u);
    EXPECT_FALSE(page.exists());
}

TEST_F(SwingPageTest, RemovingASwingShowsItsNeighbourElseFirstCornerSitterElsePacks) {
    settings.update([](Settings::Values& v) { v.swings.resize(3); });
    const auto swings = settings.v().swings;
    const auto removing = [&](const SwingConfig& swing) {
        return SwingPage(settings, info, swing.id, {}).remove();
    };
    EXPECT_EQ(removing(swings[1]), PanelPage::swing(swings[2].id));
    EXPECT_EQ(removing(swings[2]), PanelPage::swing(swings[0].id));
    settings.update([](Settings::Values& v) { v.corners.resize(2); });
    EXPECT_EQ(removing(swings[0]), PanelPage::corner(settings.v().corners[0].id));
    settings.update([](Settings::Values& v) { v.corners.clear(); });
    EXPECT_EQ(removing(swings[0]), PanelPage::packs());
}

TEST_F(SwingPageTest, SeatsOffTheSwingAndPagesOfRemovedSwingsWriteNothing) {
    auto page = pageOver({"a", "b"});
    const auto unchanged = [&](const char* what) {
        const auto before = settings.v();
        const int writes = defaults.writeCount();
        return [=, this] {
            EXPECT_EQ(settings.v(), before) << what;
            EXPECT_EQ(defaults.writeCount(), writes) << what;
        };
    };
    auto check = unchanged("seat off the swing");
    page.setCharacter(2, "beyond");
    page.setFitSlider(-1, FitSlider::size, 1.0);
    check();

    settings.update([&](Settings::Values& v) { v.swings.pop_back(); });
    EXPECT_EQ(page.config().characters, Seats{""});  // a default record
    auto checkRemoved = unchanged("removed swing");
    page.setSeatCount(2);
    page.setCharacter(0, "x");
    page.setSlider(SwingSlider::kick, 0.5);
    page.setFitSlider(0, FitSlider::size, 0.7);
    page.setStyle(SwingStyle::lazy);
    page.resetSettings();
    EXPECT_EQ(page.remove(), PanelPage::swing(settings.v().swings.at(0).id));
    checkRemoved();
}

}  // namespace
}  // namespace plimsa
