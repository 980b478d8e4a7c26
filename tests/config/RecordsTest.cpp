#include <set>
#include <string>

#include <gtest/gtest.h>

#include "config/CornerConfig.h"
#include "config/CornerSide.h"
#include "config/SwingConfig.h"
#include "config/Uuid.h"

#include "SwingSamples.h"

namespace plimsa {
namespace {

using nlohmann::json;

template <typename Enum>
void expectNamesRoundTrip(std::initializer_list<std::string_view> names) {
    const auto cases = allCases<Enum>();
    ASSERT_EQ(cases.size(), names.size());
    std::size_t i = 0;
    for (const std::string_view name : names) {
        EXPECT_EQ(caseName(cases[i]), name);
        EXPECT_EQ(caseNamed<Enum>(name), cases[i]);
        ++i;
    }
}

TEST(Enumerations, ListEveryCaseInDisplayOrderWithItsPersistedName) {
    expectNamesRoundTrip<SwingAttach>({"window", "screen"});
    expectNamesRoundTrip<HeadMode>({"cursor", "idle", "forward"});
    expectNamesRoundTrip<HandMode>({"chain", "wave", "loose"});
    expectNamesRoundTrip<SwingStyle>({"classic", "lazy", "wild", "chill", "showoff"});
    expectNamesRoundTrip<SwingSkin>({"classic", "forest", "ice", "gold", "rope"});
    expectNamesRoundTrip<CornerSide>({"left", "right"});
    for (const char* near : {"Wild", "show off", "", "left "}) {  // names are exact and case sensitive
        EXPECT_FALSE(caseNamed<SwingStyle>(near)) << near;
        EXPECT_FALSE(caseNamed<CornerSide>(near)) << near;
    }
}

TEST(Uuid, RandomIsVersion4UniqueUpperCaseAndParsesAnyCaseButNoOtherForm) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const Uuid uuid = Uuid::random();
        const std::string text = uuid.string();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
        for (const char c : text) EXPECT_FALSE(c >= 'a' && c <= 'z') << text;
        EXPECT_EQ(Uuid::parse(text), uuid);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_NE(SwingConfig().id, SwingConfig().id);  // every new record has its own identity
    EXPECT_NE(CornerConfig().id, CornerConfig().id);
    // Parsed in any case; other forms are refused.
    const auto lower = Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->string(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(Uuid::parse("E621E1F8-c36c-495A-93fc-0C247A3E6E5F"), lower);
    EXPECT_TRUE(Uuid::parse("00000000-0000-0000-0000-000000000000")->isNil());
    for (const char* bad : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",
                            " E621E1F8-C36C-495A-93FC-0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5G",
                            "E621E1F8-C36C-495A-93FC+0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5"})
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
}

TEST(SwingConfig, ChillHoldsTheLeftChainAndClassicAfterWildRestoresOnlyTheStyleDefaults) {
    SwingConfig config;
    config.handLeft = HandMode::wave;
    config.pumping = false;
    config.applyStyle(SwingStyle::chill);
    EXPECT_EQ(config.handLeft, HandMode::chain);
    EXPECT_EQ(config.handRight, HandMode::loose);
    EXPECT_TRUE(config.pumping);
    EXPECT_EQ(config.style, SwingStyle::chill);
    // Classic after wild restores the defaults and touches nothing else.
    SwingConfig other;
    other.characters = {"ada", "/tmp/bo.glb"};
    other.ropeLength = 4.0;
    other.innerHand = HandMode::wave;
    other.skin = SwingSkin::ice;
    other.setFit(1, {1.3, 0.1, -0.1});
    SwingConfig before = other;
    other.applyStyle(SwingStyle::wild);
    EXPECT_DOUBLE_EQ(other.cruiseAmplitudeDegrees, 55);
    other.applyStyle(SwingStyle::showoff);
    EXPECT_EQ(other.handRight, HandMode::wave);
    other.applyStyle(SwingStyle::classic);
    EXPECT_EQ(other, before);
}

TEST(SwingConfig, SetFitFillsTheGapWithCopiesOfTheLastFit) {
    SwingConfig config;
    config.fits = {{1.2, 0.1, 0.0}};
    const CharacterFit fit{0.8, -0.1, 0.2};
    config.setFit(3, fit);
    EXPECT_EQ(config.fits,
              (std::vector<CharacterFit>{{1.2, 0.1, 0.0}, {1.2, 0.1, 0.0}, {1.2, 0.1, 0.0}, fit}));
    config.setFit(1, CharacterFit{});
    EXPECT_EQ(config.fits.size(), 4u);
    EXPECT_EQ(config.fits[1], CharacterFit{});

    SwingConfig empty;
    empty.fits.clear();
    empty.setFit(0, fit);
    EXPECT_EQ(empty.fits, std::vector<CharacterFit>{fit});
    empty.setFit(-1, CharacterFit{});  // not a seat: ignored
    EXPECT_EQ(empty.fits, std::vector<CharacterFit>{fit});
}

TEST(SwingConfigJson, WritesEveryFieldInDeclarationOrderAndNoLegacyKeysAndReadsThemBack) {
    const SwingConfig config = testing::everyFieldChanged();
    const auto json = config.toJson();
    std::vector<std::string> keys;
    for (const auto& item : json.items()) keys.push_back(item.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"id",         "characters",  "attach",    "anchorFraction",
                                        "ropeLength", "tiltDegrees", "pumping",   "cruiseAmplitudeDegrees",
                                        "kick",       "lean",        "legBias",   "gripReach",
                                        "headMode",   "handLeft",    "handRight", "innerHand",
                                        "fits",       "swingScale",  "style",     "shine",
                                        "skin"}));
    EXPECT_EQ(json["attach"], "window");
    EXPECT_EQ(json["id"], config.id.string());
    EXPECT_TRUE(json["pumping"].is_boolean());
    EXPECT_EQ(json["fits"][1].dump(), R"({"size":0.9,"lift":0.0,"forward":0.05})");
    EXPECT_EQ(SwingConfig::fromJson(json::parse(json.dump()), SwingConfig()), config);
}

TEST(SwingConfigJson, EmptyObjectTakesTheGivenOrProcessFallbackExceptIdentityCharactersAndFits) {
    SwingConfig fallback = testing::everyFieldChanged();
    const auto decoded = SwingConfig::fromJson(json::object(), fallback);
    ASSERT_TRUE(decoded);
    EXPECT_NE(decoded->id, fallback.id);
    SwingConfig expected = fallback;
    expected.id = decoded->id;
    expected.characters = {""};
    expected.fits = {fallback.fits.front()};
    EXPECT_EQ(*decoded, expected);

    fallback.fits.clear();
    EXPECT_EQ(SwingConfig::fromJson(json::object(), fallback)->fits,
              (std::vector<CharacterFit>{CharacterFit{}}));
    // The one-argument decoder uses the process fallback.
    SwingConfig::decodeFallback().ropeLength = 5.5;
    EXPECT_DOUBLE_EQ(SwingConfig::fromJson(json::object())->ropeLength, 5.5);
    SwingConfig::decodeFallback() = SwingConfig();
    EXPECT_DOUBLE_EQ(SwingConfig::fromJson(json::object())->ropeLength, SwingConfig().ropeLength);
}

TEST(SwingConfigJson, BadValuesFallBackKeyByKey) {
    const SwingConfig fallback = testing::everyFieldChanged();
    const auto decoded = SwingConfig::fromJson(
        json::parse(R"({"style": "Wild", "kick": "1", "pumping": 1, "lean": true, "ropeLength": 3.5,
                        "skin": "gold", "headMode": null, "characters": [], "id": "not-a-uuid"})"),
        fallback);
    ASSERT_TRUE(decoded);
    EXPECT_NE(decoded->id, fallback.id);
    SwingConfig expected = fallback;
    expected.id = decoded->id;
    expected.characters = {""};
    expected.fits = {fallback.fits.front()};
    expected.ropeLength = 3.5;
    expected.skin = SwingSkin::gold;
    EXPECT_EQ(*decoded, expected);
    EXPECT_EQ(SwingConfig::fromJson(json::parse(R"({"characters": ["a", 3]})"), fallback)->characters,
              std::vector<std::string>{""});
    EXPECT_FALSE(SwingConfig::fromJson(json::array(), fallback));
    EXPECT_FALSE(SwingConfig::fromJson(json("text"), fallback));
}

TEST(SwingConfigJson, UnreadableFitsUseTheLegacySingleSeatKeys) {
    SwingConfig fallback;
    fallback.fits = {{1.0, 0.05, -0.05}};
    const auto empty = SwingConfig::fromJson(json::parse(R"({"fits": [], "characterSize": 1.4})"), fallback);
    EXPECT_EQ(empty->fits, (std::vector<CharacterFit>{CharacterFit{1.4, 0.05, -0.05}}));
    const auto missing = SwingConfig::fromJson(json::parse(R"({"seatForward": 0.1})"), fallback);
    EXPECT_EQ(missing->fits, (std::vector<CharacterFit>{CharacterFit{1.0, 0.05, 0.1}}));
    const auto incomplete = SwingConfig::fromJson(
        json::parse(R"({"fits": [{"size": 1.1, "lift": 0}, {"size": 1, "lift": 0, "forward": 0}],
                        "seatLift": 0.2})"),
        fallback);
    EXPECT_EQ(incomplete->fits, (std::vector<CharacterFit>{CharacterFit{1.0, 0.2, -0.05}}));
    const auto good = SwingConfig::fromJson(json::parse(R"({"fits": [{"size": 1.1, "lift": 0, "forward": 0}],
                                              "characterSize": 2})"),
                                            fallback);
    EXPECT_EQ(good->fits, (std::vector<CharacterFit>{CharacterFit{1.1, 0, 0}}));
}

TEST(CornerConfigJson, WritesInOrderAndDecodesLeniently) {
    CornerConfig corner;
    corner.character = "ada";
    corner.side = CornerSide::left;
    corner.opacity = 0.5;
    const auto json = corner.toJson();
    EXPECT_EQ(json.dump(),
              R"({"id":")" + corner.id.string() +
                  R"(","character":"ada","side":"left","size":1.0,"opacity":0.5,"headMode":"cursor"})");
    EXPECT_EQ(CornerConfig::fromJson(json::parse(json.dump())), corner);

    const auto bad = CornerConfig::fromJson(json::parse(
        R"({"side": "middle", "opacity": null, "size": "big", "character": 7, "headMode": "idle"})"));
    ASSERT_TRUE(bad);
    CornerConfig expected;  // every unreadable key at its default
    expected.id = bad->id;
    expected.headMode = HeadMode::idle;
    EXPECT_EQ(*bad, expected);
    EXPECT_FALSE(CornerConfig::fromJson(json::array()));
}

}  // namespace
}  // namespace plimsa
