#include <string>

#include <gtest/gtest.h>

#include "config/SettingsValues.h"

#include "SwingSamples.h"

namespace plimsa {
namespace {

SettingsValues decoded(std::string_view document) {
    auto values = SettingsValues::decode(document);
    EXPECT_TRUE(values) << document;
    return values.value_or(SettingsValues{});
}

SwingConfig expectOneSwing(const SettingsValues& values) {
    EXPECT_EQ(values.swings.size(), 1u);
    return values.swings.empty() ? SwingConfig() : values.swings.front();
}

TEST(SettingsCodec, WritesTheFourKeysInOrderWithoutPrettyPrintingAndReplacesNonUtf8Text) {
    SettingsValues values;
    values.lightContrast = 0.25;
    values.frameRate = 30;
    values.swings.resize(2);
    values.corners.resize(1);
    const std::string document = values.encode().value();
    EXPECT_EQ(document.find('\n'), std::string::npos);
    EXPECT_EQ(document.rfind(R"({"lightContrast":0.25,"frameRate":30,"swings":[{"id":)", 0), 0u);
    EXPECT_LT(document.find(R"("swings":)"), document.find(R"("corners":[{"id":)"));
    EXPECT_EQ(SettingsValues::decode(document), values);
    // Non-UTF-8 text is replaced instead of failing the save.
    values.swings[0].characters = {"/home/u/\xff\xfe.glb", "ada"};
    const auto back = SettingsValues::decode(values.encode().value());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->swings[0].characters[1], "ada");
    EXPECT_EQ(back->swings[0].characters[0], "/home/u/\xEF\xBF\xBD\xEF\xBF\xBD.glb");
}

TEST(SettingsCodec, EveryFlatKeyOfTheOlderLayoutIsCarriedOverButNotPlacementOrFits) {
    const SwingConfig source = testing::everyFieldChanged();
    nlohmann::json flat = nlohmann::json::parse(source.toJson().dump());
    flat.erase("id");
    flat.erase("characters");
    flat["fits"] = nlohmann::json::parse(R"([{"size": 9, "lift": 9, "forward": 9}])");  // never read flat
    flat["characterSize"] = 1.1;
    flat["seatLift"] = 0.1;
    flat["seatForward"] = -0.1;
    flat["lightContrast"] = 0.5;
    const auto values = SettingsValues::fromJson(flat);
    ASSERT_TRUE(values);
    EXPECT_DOUBLE_EQ(values->lightContrast, 0.5);
    EXPECT_EQ(values->frameRate, 60);
    EXPECT_TRUE(values->corners.empty());
    const SwingConfig swing = expectOneSwing(*values);
    SwingConfig expected = source;
    expected.id = swing.id;
    expected.characters = {""};
    expected.attach = SwingAttach::screen;  // the older layout had no hanging mode or anchor
    expected.anchorFraction = 0.72;
    expected.fits = {{1.1, 0.1, -0.1}};
    EXPECT_EQ(swing, expected);
}

TEST(SettingsCodec, SwingElementsTakeMissingKeysFromTheFlatOnesAndRepeatedIdsAreMadeUnique) {
    const auto values = decoded(R"({"kick": 0.5, "characterSize": 1.3, "swings": [{"ropeLength": 4.0}]})");
    const SwingConfig swing = expectOneSwing(values);
    EXPECT_DOUBLE_EQ(swing.ropeLength, 4.0);
    EXPECT_DOUBLE_EQ(swing.kick, 0.5);
    EXPECT_EQ(swing.fits, (std::vector<CharacterFit>{CharacterFit{1.3, 0.0, 0.0}}));
    // The fallback is process-wide while decoding only.
    EXPECT_DOUBLE_EQ(SwingConfig::decodeFallback().kick, 1.0);
    EXPECT_EQ(SwingConfig::decodeFallback().fits, (std::vector<CharacterFit>{CharacterFit{}}));
    // Repeated ids are made unique.
    const auto repeated = decoded(R"({"swings": [
        {"id": "E621E1F8-C36C-495A-93FC-0C247A3E6E5F", "kick": 0.1},
        {"id": "e621e1f8-c36c-495a-93fc-0c247a3e6e5f", "kick": 0.2}],
        "corners": [{"id": "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"}, {"id": "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"}]})");
    ASSERT_EQ(repeated.swings.size(), 2u);
    EXPECT_EQ(repeated.swings[0].id.string(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_NE(repeated.swings[1].id, repeated.swings[0].id);
    EXPECT_DOUBLE_EQ(repeated.swings[1].kick, 0.2);
    ASSERT_EQ(repeated.corners.size(), 2u);
    EXPECT_EQ(repeated.corners[0].id, repeated.swings[0].id);  // the two lists are separate namespaces
    EXPECT_NE(repeated.corners[1].id, repeated.corners[0].id);
}

TEST(SettingsCodec, UnreadableListsFallBackWholeButBadValuesInAReadableOneKeepTheirPlace) {
    EXPECT_TRUE(decoded(R"({"swings": [], "ropeLength": 3})").swings.empty());
    for (const char* document : {R"({"kick": 0.4, "swings": [{"ropeLength": 4.0}, 3]})",
                                 R"({"kick": 0.4, "swings": {"ropeLength": 4.0}})",
                                 R"({"kick": 0.4, "swings": null})", R"({"kick": 0.4, "swings": "none"})"}) {
        const SwingConfig swing = expectOneSwing(decoded(document));
        EXPECT_DOUBLE_EQ(swing.ropeLength, 2.2) << document;
        EXPECT_DOUBLE_EQ(swing.kick, 0.4) << document;
    }
    // The corner list is all or nothing, but bad values keep their place.
    EXPECT_TRUE(decoded(R"({"corners": [{"character": "ada"}, "bo"]})").corners.empty());
    EXPECT_TRUE(decoded(R"({"corners": {"character": "ada"}})").corners.empty());
    const auto values = decoded(R"({"corners": [{"character": "ada", "side": "middle", "opacity": null},
                                                {"character": "bo", "side": "left", "size": [1]}]})");
    ASSERT_EQ(values.corners.size(), 2u);
    EXPECT_EQ(values.corners[0].character, "ada");
    EXPECT_EQ(values.corners[0].side, CornerSide::right);
    EXPECT_DOUBLE_EQ(values.corners[0].opacity, 0.85);
    EXPECT_EQ(values.corners[1].side, CornerSide::left);
    EXPECT_DOUBLE_EQ(values.corners[1].size, 1.0);
}

TEST(SettingsCodec, FrameRateMustBeAnIntegralNumberAndGlobalValuesFallBackOnTheirOwn) {
    const std::pair<const char*, int> cases[] = {
        {"45", 45},     {"-3", -3},    {"30.0", 30},       {"30.5", 60},
        {"\"30\"", 60}, {"1e300", 60}, {"4294967356", 60}, {"-99999999999999999999", 60},
        {"true", 60}};
    for (const auto& [number, expected] : cases)
        EXPECT_EQ(decoded(std::string(R"({"frameRate": )") + number + "}").frameRate, expected) << number;
    // Global values fall back on their own.
    const auto values = decoded(R"({"lightContrast": "bright", "frameRate": 30, "corners": []})");
    EXPECT_DOUBLE_EQ(values.lightContrast, 0.4);
    EXPECT_EQ(values.frameRate, 30);
    EXPECT_DOUBLE_EQ(decoded(R"({"lightContrast": 12345678901234567890})").lightContrast,
                     12345678901234567890.0);
}

TEST(SettingsCodec, DocumentsThatAreNotObjectsOrNestDeeplyDoNotDecode) {
    for (const std::string& document : std::vector<std::string>{
             "", "[]", R"([{"frameRate": 30}])", "42", "\"text\"", "null", "nul", "{", R"({"a":1}x)", "NaN",
             R"({"frameRate": NaN})", R"({"lightContrast": 1e999})", "{\"a\":\"\xff\"}"})
        EXPECT_FALSE(SettingsValues::decode(document)) << document;
    // Deep nesting is refused before parsing.
    const std::string deep = R"({"swings": )" + std::string(100'000, '[') + std::string(100'000, ']') + "}";
    EXPECT_FALSE(SettingsValues::decode(deep));
    // Brackets inside strings are text, not nesting.
    const std::string quoted = R"({"kick": 0.5, "note": ")" + std::string(10'000, '[') + R"("})";
    EXPECT_DOUBLE_EQ(decoded(quoted).swings.at(0).kick, 0.5);
    const std::string escaped = R"({"note": "\"[[[[", "frameRate": 30})";
    EXPECT_EQ(decoded(escaped).frameRate, 30);
}

TEST(SettingsCodec, HugeDocumentsAreRefusedOrDecodedButNeverHang) {
    std::string tooBig = R"({"frameRate": 30, "pad": ")" + std::string(10u << 20, 'x') + R"("})";
    EXPECT_FALSE(SettingsValues::decode(tooBig));

    // Many keys in one object: a parser that kept keys in insertion order would take quadratic time here.
    std::string manyKeys = R"({"frameRate": 30)";
    for (int i = 0; i < 100'000; ++i) manyKeys += ",\"k" + std::to_string(i) + "\":0";
    manyKeys += "}";
    ASSERT_LT(manyKeys.size(), SettingsValues::kMaxDocumentBytes);
    EXPECT_EQ(decoded(manyKeys).frameRate, 30);

    std::string manyObjects = R"({"corners": [)";
    for (int i = 0; i < 200'000; ++i) manyObjects += i ? ",{}" : "{}";
    manyObjects += "]}";
    EXPECT_FALSE(SettingsValues::decode(manyObjects));  // over the container bound
}

}  // namespace
}  // namespace plimsa
