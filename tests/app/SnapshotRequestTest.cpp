#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/DecimalText.h"
#include "app/SnapshotRequest.h"

namespace plimsa {
namespace {

using Arguments = std::vector<std::string>;
using Names = std::vector<std::string>;

std::optional<SnapshotRequest> parse(Arguments arguments) {
    return SnapshotRequests::parse(SnapshotArguments(std::move(arguments)));
}

/// The swing form of "--snapshot o" followed by `options`.
SwingRequest swing(const Arguments& options) {
    Arguments arguments{"--snapshot", "o"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const auto request = parse(arguments);
    EXPECT_TRUE(request && std::holds_alternative<SwingRequest>(*request));
    return request && std::holds_alternative<SwingRequest>(*request) ? std::get<SwingRequest>(*request)
                                                                     : SwingRequest{};
}

/// The record without its random id, for comparing with a default one.
SwingConfig withoutId(SwingConfig config) {
    config.id = Uuid{};
    return config;
}

TEST(SnapshotForms, TriedInOrderSkippingThoseMissingValuesAndTheCornerReadsModelAndSide) {
    for (const Arguments& arguments : {Arguments{},
                                       {"--panel", "--store-test"},
                                       {"--snapshot"},
                                       {"--scan-min"},
                                       {"--corner"},
                                       {"--preview", "model.glb"},
                                       {"--model", "A", "--snapshot"}})
        EXPECT_FALSE(parse(arguments)) << ::testing::PrintToString(arguments);
    const Arguments all{"--snapshot", "s.png", "--preview",  "m.glb", "p.png",
                        "--corner",   "c.png", "--scan-min", "Robo"};
    EXPECT_EQ(std::get<SizeScanRequest>(*parse(all)).name, "Robo");
    EXPECT_EQ(std::get<CornerRequest>(*parse(Arguments(all.begin(), all.end() - 2))).out, "c.png");
    EXPECT_EQ(std::get<PreviewRequest>(*parse(Arguments(all.begin(), all.begin() + 5))),
              (PreviewRequest{"m.glb", "p.png"}));
    EXPECT_EQ(std::get<SwingRequest>(*parse({"--snapshot", "s.png"})).out, "s.png");
    // A form missing its values falls through to the next.
    EXPECT_EQ(std::get<CornerRequest>(*parse({"--corner", "c.png", "--scan-min"})).out, "c.png");
    EXPECT_TRUE(std::holds_alternative<PreviewRequest>(*parse({"--preview", "m.glb", "p.png", "--corner"})));
    EXPECT_EQ(std::get<SwingRequest>(*parse({"--snapshot", "s.png", "--preview", "m.glb"})).out, "s.png");
    // The corner form reads a model, and only a first side of "left" changes the side.
    EXPECT_EQ(std::get<CornerRequest>(*parse({"--corner", "c.png"})),
              (CornerRequest{"c.png", "", CornerSide::right}));
    EXPECT_EQ(std::get<CornerRequest>(*parse({"--corner", "c.png", "--side", "left", "--model", "Robo"})),
              (CornerRequest{"c.png", "Robo", CornerSide::left}));
    for (const Arguments& sides : {Arguments{"up"}, {"right"}, {"LEFT"}, {""}, {"up", "--side", "left"}}) {
        Arguments arguments{"--corner", "c.png", "--side"};
        arguments.insert(arguments.end(), sides.begin(), sides.end());
        EXPECT_EQ(std::get<CornerRequest>(*parse(arguments)).side, CornerSide::right) << sides[0];
    }
}

TEST(SwingOptions, SnapshotAloneIsTheDefaultSwingAtAngleZeroOrTheNumberAfterOut) {
    const SwingRequest request = swing({});
    EXPECT_EQ(request.out, "o");
    EXPECT_EQ(request.thetaDegrees, 0.0);
    EXPECT_EQ(withoutId(request.config), withoutId(SwingConfig{}));
    EXPECT_EQ(request.characters, Names{""});
    EXPECT_FALSE(request.legOverride);
    EXPECT_FALSE(request.look);
    // Theta is the argument after out when it is a number.
    const std::pair<Arguments, double> cases[] = {
        {{"12.5"}, 12.5}, {{"-30"}, -30.0}, {{"abc"}, 0.0}, {{"--seats", "2"}, 0.0}, {{"nan"}, 0.0}};
    for (const auto& [options, theta] : cases) EXPECT_EQ(swing(options).thetaDegrees, theta) << options[0];
}

TEST(SwingOptions, SeatsRepeatTheFirstNameAndAreHeldToWhatASwingHas) {
    const std::pair<Arguments, Names> cases[] = {
        {{"--seats", "2", "--model", "Robo"}, {"Robo", "Robo"}},
        {{"--seats", "2", "--model", "A,B,C"}, {"A", "B"}},
        {{"--model", "A,B"}, {"A"}},
        {{"--seats", "two", "--model", "A,B"}, {"A"}},
        {{"--seats", "2.0", "--model", "A,B"}, {"A"}},
        {{"--seats", "9", "--model", "A"}, {"A", "A"}},
        {{"--seats", "-3", "--model", "A"}, {}},
        {{"--seats", "99999999999999", "--model", "A"}, {"A"}},
        {{"--seats", "2", "--model", ""}, {"", ""}},
        {{"--seats", "2", "--model", ",,,"}, {"", ""}},
        {{"--model", ",Robo,,Kit,"}, {"Robo"}},
    };
    for (const auto& [options, names] : cases)
        EXPECT_EQ(swing(options).characters, names) << ::testing::PrintToString(options);
    EXPECT_EQ(SnapshotRequests::modelNames(std::string(",Robo,,Kit,")), (Names{"Robo", "Kit"}));
}

TEST(SwingOptions, EverySetKeyReachesItsFieldNeedingOneKeyAndOneNumberTheLastWinning) {
    using Read = std::function<double(const SwingRequest&)>;
    const std::pair<const char*, Read> keys[] = {
        {"rope", [](const SwingRequest& r) { return r.config.ropeLength; }},
        {"tilt", [](const SwingRequest& r) { return r.config.tiltDegrees; }},
        {"amp", [](const SwingRequest& r) { return r.config.cruiseAmplitudeDegrees; }},
        {"grip", [](const SwingRequest& r) { return r.config.gripReach; }},
        {"legs", [](const SwingRequest& r) { return r.config.legBias; }},
        {"kick", [](const SwingRequest& r) { return r.config.kick; }},
        {"lean", [](const SwingRequest& r) { return r.config.lean; }},
        {"leg", [](const SwingRequest& r) { return r.legOverride.value_or(-1.0); }},
        {"scale", [](const SwingRequest& r) { return r.config.swingScale; }},
    };
    const SwingRequest defaults;
    for (const auto& [key, read] : keys) {
        const SwingRequest request = swing({"--set", std::string(key) + "=0.625"});
        // Its own field changes, and no other key's.
        for (const auto& [other, readOther] : keys)
            EXPECT_EQ(readOther(request), other == key ? 0.625 : readOther(defaults)) << key << " " << other;
        EXPECT_EQ(request.config.fits, defaults.config.fits) << key;
    }
    EXPECT_EQ(swing({"--set", "size=1.3"}).config.fits,
              (std::vector<CharacterFit>{{1.3, 0.0, 0.0}, {1.3, 0.0, 0.0}}));
    // A set needs one key and one number; the last of a key wins.
    for (const char* bad : {"tilt=abc", "tilt", "tilt=", "=5", "tilt==5", "tilt=5=6", "tilt= 5", "tilt=5x",
                            "tilt=inf", "wobble=1"})
        EXPECT_EQ(withoutId(swing({"--set", bad}).config), withoutId(SwingConfig{})) << bad;
    EXPECT_EQ(swing({"--set", "tilt=10", "--set", "tilt=-4"}).config.tiltDegrees, -4.0);
}

TEST(SwingOptions, NamedOptionsTakeKnownNamesTheFirstOccurrenceStyleBeforeSetsAndLookTwoNumbers) {
    const SwingRequest r =
        swing({"--skin", "ice", "--left", "wave", "--right", "loose", "--inner", "chain", "--skin", "gold"});
    EXPECT_EQ(r.config.skin, SwingSkin::ice);
    EXPECT_EQ(r.config.handLeft, HandMode::wave);
    EXPECT_EQ(r.config.handRight, HandMode::loose);
    EXPECT_EQ(r.config.innerHand, HandMode::chain);
    EXPECT_EQ(withoutId(swing({"--skin", "Ice", "--left", "grab", "--style", "wobbly"}).config),
              withoutId(SwingConfig{}));
    // A style is applied before the sets wherever it is written.
    SwingConfig showoff;
    showoff.applyStyle(SwingStyle::showoff);
    EXPECT_EQ(withoutId(swing({"--style", "showoff"}).config), withoutId(showoff));
    const SwingRequest overridden = swing({"--set", "kick=0.1", "--style", "showoff"});
    EXPECT_EQ(overridden.config.kick, 0.1);
    EXPECT_EQ(overridden.config.style, SwingStyle::showoff);
    // A look needs exactly two numbers.
    const std::pair<const char*, std::optional<glm::dvec2>> cases[] = {{"100,250.5", glm::dvec2(100, 250.5)},
                                                                       {"100,x,20", glm::dvec2(100, 20)},
                                                                       {",5,,6,", glm::dvec2(5, 6)},
                                                                       {"100", std::nullopt},
                                                                       {"1,2,3", std::nullopt},
                                                                       {"", std::nullopt},
                                                                       {"a,b", std::nullopt},
                                                                       {" 1,2", std::nullopt}};
    for (const auto& [value, look] : cases) EXPECT_EQ(swing({"--look", value}).look, look) << value;
}

TEST(DecimalTextTest, WholeTextMustBeTheNumberAndAFlagIsTheArgumentAfterItsFirstOccurrence) {
    const std::pair<const char*, std::optional<double>> doubles[] = {
        {"2", 2.0}, {"+2.5", 2.5}, {"-1e-2", -0.01}, {".5", 0.5}};
    for (const auto& [text, value] : doubles) EXPECT_EQ(DecimalText::parseDouble(text), value) << text;
    for (const char* bad : {"", " 1", "1 ", "1,5", "0x10", "nan", "inf", "-inf", "1e999", "+", "+-1", "++1"})
        EXPECT_FALSE(DecimalText::parseDouble(bad)) << '"' << bad << '"';
    for (const auto& [text, value] : {std::pair{"2", 2}, {"-2", -2}, {"+2", 2}})
        EXPECT_EQ(DecimalText::parseInt(text), value) << text;
    for (const char* bad : {"", "2.0", " 2", "2 ", "1e2", "99999999999"})
        EXPECT_FALSE(DecimalText::parseInt(bad)) << '"' << bad << '"';
    // A flag is the argument after its first occurrence.
    const SnapshotArguments arguments({"--a", "1", "--b", "--a", "2", "--c"});
    EXPECT_EQ(arguments.flag("--a"), std::optional<std::string>("1"));
    EXPECT_EQ(arguments.flag("--b"), std::optional<std::string>("--a"));
    EXPECT_FALSE(arguments.flag("--c"));
    EXPECT_FALSE(arguments.flag("--d"));
    EXPECT_EQ(arguments.values("--a"), (Names{"1", "2"}));
    EXPECT_EQ(arguments.after("--a", 2), std::optional<std::string>("--b"));
    EXPECT_TRUE(arguments.has("--c"));
    EXPECT_FALSE(arguments.has("-c"));
}

}  // namespace
}  // namespace plimsa
