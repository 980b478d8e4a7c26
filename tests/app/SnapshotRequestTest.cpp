#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DecimalText.h"
#include "app/SnapshotRequest.h"

namespace plimsa {
namespace {

std::optional<SnapshotRequest> parse(std::vector<std::string> arguments) {
    return SnapshotRequests::parse(SnapshotArguments(std::move(arguments)));
}

SwingRequest swing(std::vector<std::string> arguments) {
    const auto request = parse(std::move(arguments));
    EXPECT_TRUE(request && std::holds_alternative<SwingRequest>(*request));
    return request && std::holds_alternative<SwingRequest>(*request) ? std::get<SwingRequest>(*request)
                                                                     : SwingRequest{};
}

/// The record without its random id, for comparing with a default one.
SwingConfig withoutId(SwingConfig config) {
    config.id = Uuid{};
    return config;
}

TEST(SnapshotForms, NoFormOrAFormMissingItsValuesStartsTheApplication) {
    EXPECT_FALSE(parse({}));
    EXPECT_FALSE(parse({"--panel", "--store-test"}));
    EXPECT_FALSE(parse({"--snapshot"}));
    EXPECT_FALSE(parse({"--scan-min"}));
    EXPECT_FALSE(parse({"--corner"}));
    EXPECT_FALSE(parse({"--preview", "model.glb"}));
    EXPECT_FALSE(parse({"--model", "A", "--snapshot"}));
}

TEST(SnapshotForms, TriedInOrderScanCornerPreviewSnapshot) {
    const std::vector<std::string> all{"--snapshot", "s.png", "--preview",  "m.glb", "p.png",
                                       "--corner",   "c.png", "--scan-min", "Robo"};
    EXPECT_EQ(std::get<SizeScanRequest>(*parse(all)).name, "Robo");

    std::vector<std::string> noScan(all.begin(), all.end() - 2);
    EXPECT_EQ(std::get<CornerRequest>(*parse(noScan)).out, "c.png");

    std::vector<std::string> noCorner(all.begin(), all.begin() + 5);
    EXPECT_EQ(std::get<PreviewRequest>(*parse(noCorner)), (PreviewRequest{"m.glb", "p.png"}));

    EXPECT_EQ(std::get<SwingRequest>(*parse({"--snapshot", "s.png"})).out, "s.png");
}

TEST(SnapshotForms, AFormMissingItsValuesFallsThroughToTheNext) {
    // "--scan-min" last: the corner form is next.
    EXPECT_EQ(std::get<CornerRequest>(*parse({"--corner", "c.png", "--scan-min"})).out, "c.png");
    // "--corner" last: the preview form.
    EXPECT_TRUE(std::holds_alternative<PreviewRequest>(*parse({"--preview", "m.glb", "p.png", "--corner"})));
    // "--preview" with its model but no output: the swing form.
    EXPECT_EQ(std::get<SwingRequest>(*parse({"--snapshot", "s.png", "--preview", "m.glb"})).out, "s.png");
}

TEST(SnapshotForms, CornerReadsModelAndOnlyLeftChangesTheSide) {
    EXPECT_EQ(std::get<CornerRequest>(*parse({"--corner", "c.png"})),
              (CornerRequest{"c.png", "", CornerSide::right}));
    EXPECT_EQ(std::get<CornerRequest>(*parse({"--corner", "c.png", "--side", "left", "--model", "Robo"})),
              (CornerRequest{"c.png", "Robo", CornerSide::left}));
    for (const char* side : {"up", "right", "LEFT", ""})
        EXPECT_EQ(std::get<CornerRequest>(*parse({"--corner", "c.png", "--side", side})).side,
                  CornerSide::right)
            << side;
    // The first "--side" counts.
    EXPECT_EQ(std::get<CornerRequest>(*parse({"--corner", "c", "--side", "up", "--side", "left"})).side,
              CornerSide::right);
}

TEST(SwingOptions, SnapshotAloneIsTheDefaultSwingWithTheBuiltInFigureAtAngleZero) {
    const SwingRequest request = swing({"--snapshot", "out.png"});
    EXPECT_EQ(request.out, "out.png");
    EXPECT_EQ(request.thetaDegrees, 0.0);
    EXPECT_EQ(withoutId(request.config), withoutId(SwingConfig{}));
    EXPECT_EQ(request.characters, std::vector<std::string>{""});
    EXPECT_FALSE(request.legOverride);
    EXPECT_FALSE(request.look);
}

TEST(SwingOptions, ThetaIsTheArgumentAfterOutWhenItIsANumber) {
    EXPECT_EQ(swing({"--snapshot", "o.png", "12.5"}).thetaDegrees, 12.5);
    EXPECT_EQ(swing({"--snapshot", "o.png", "-30"}).thetaDegrees, -30.0);
    EXPECT_EQ(swing({"--snapshot", "o.png", "abc"}).thetaDegrees, 0.0);
    EXPECT_EQ(swing({"--snapshot", "o.png", "--seats", "2"}).thetaDegrees, 0.0);
    EXPECT_EQ(swing({"--snapshot", "o.png", "nan"}).thetaDegrees, 0.0);
}

TEST(SwingOptions, SeatsRepeatTheFirstNameWhenThereAreFewerNames) {
    EXPECT_EQ(swing({"--snapshot", "o", "--seats", "2", "--model", "Robo"}).characters,
              (std::vector<std::string>{"Robo", "Robo"}));
    EXPECT_EQ(swing({"--snapshot", "o", "--seats", "2", "--model", "A,B,C"}).characters,
              (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(swing({"--snapshot", "o", "--model", "A,B"}).characters, std::vector<std::string>{"A"});
    EXPECT_EQ(swing({"--snapshot", "o", "--seats", "two", "--model", "A,B"}).characters,
              std::vector<std::string>{"A"});
    EXPECT_EQ(swing({"--snapshot", "o", "--seats", "2.0", "--model", "A,B"}).seats, 1);
    // Out-of-range counts are held to what a swing has: never more than two, never a negative count.
    EXPECT_EQ(swing({"--snapshot", "o", "--seats", "9", "--model", "A"}).characters,
              (std::vector<std::string>{"A", "A"}));
    EXPECT_TRUE(swing({"--snapshot", "o", "--seats", "-3", "--model", "A"}).characters.empty());
    EXPECT_TRUE(swing({"--snapshot", "o", "--seats", "99999999999999", "--model", "A"}).characters.size() ==
                1);
}

TEST(SwingOptions, ModelWithNoNamesIsTheBuiltInFigure) {
    for (const char* value : {"", ",", ",,,"})
        EXPECT_EQ(swing({"--snapshot", "o", "--seats", "2", "--model", value}).characters,
                  (std::vector<std::string>{"", ""}))
            << '"' << value << '"';
    EXPECT_EQ(swing({"--snapshot", "o", "--model", ",Robo,,Kit,"}).characters,
              std::vector<std::string>{"Robo"});
    EXPECT_EQ(SnapshotRequests::modelNames(std::string(",Robo,,Kit,")),
              (std::vector<std::string>{"Robo", "Kit"}));
}

TEST(SwingOptions, SetNeedsOneKeyAndOneNumber) {
    const double tilt = SwingConfig{}.tiltDegrees;
    for (const char* bad :
         {"tilt=abc", "tilt", "tilt=", "=5", "tilt==5", "tilt=5=6", "tilt= 5", "tilt=5x", "tilt=inf"})
        EXPECT_EQ(swing({"--snapshot", "o", "--set", bad}).config.tiltDegrees, tilt) << bad;
    const SwingRequest two = swing({"--snapshot", "o", "--set", "tilt=10", "--set", "rope=3.5"});
    EXPECT_EQ(two.config.tiltDegrees, 10.0);
    EXPECT_EQ(two.config.ropeLength, 3.5);
    // A later "--set" of the same key wins; an unknown key changes nothing.
    const SwingRequest again =
        swing({"--snapshot", "o", "--set", "tilt=10", "--set", "tilt=-4", "--set", "wobble=1"});
    EXPECT_EQ(again.config.tiltDegrees, -4.0);
    EXPECT_EQ(withoutId(swing({"--snapshot", "o", "--set", "wobble=1"}).config), withoutId(SwingConfig{}));
}

TEST(SwingOptions, EverySetKeyReachesItsField) {
    const SwingRequest r =
        swing({"--snapshot", "o",        "--set", "rope=1.5",  "--set", "tilt=5",   "--set", "amp=40",
               "--set",      "grip=0.8", "--set", "legs=-0.5", "--set", "kick=0.3", "--set", "lean=2",
               "--set",      "size=1.3", "--set", "leg=0.7",   "--set", "scale=0.6"});
    EXPECT_EQ(r.config.ropeLength, 1.5);
    EXPECT_EQ(r.config.tiltDegrees, 5.0);
    EXPECT_EQ(r.config.cruiseAmplitudeDegrees, 40.0);
    EXPECT_EQ(r.config.gripReach, 0.8);
    EXPECT_EQ(r.config.legBias, -0.5);
    EXPECT_EQ(r.config.kick, 0.3);
    EXPECT_EQ(r.config.lean, 2.0);
    EXPECT_EQ(r.config.fits, (std::vector<CharacterFit>{{1.3, 0.0, 0.0}, {1.3, 0.0, 0.0}}));
    EXPECT_EQ(r.legOverride, std::optional(0.7));
    EXPECT_EQ(r.config.swingScale, 0.6);
}

TEST(SwingOptions, NamedOptionsTakeOnlyKnownCaseNamesAndTheFirstOccurrence) {
    const SwingRequest r = swing({"--snapshot", "o", "--skin", "ice", "--left", "wave", "--right", "loose",
                                  "--inner", "chain", "--skin", "gold"});
    EXPECT_EQ(r.config.skin, SwingSkin::ice);
    EXPECT_EQ(r.config.handLeft, HandMode::wave);
    EXPECT_EQ(r.config.handRight, HandMode::loose);
    EXPECT_EQ(r.config.innerHand, HandMode::chain);
    const SwingRequest bad =
        swing({"--snapshot", "o", "--skin", "Ice", "--left", "grab", "--style", "wobbly"});
    EXPECT_EQ(withoutId(bad.config), withoutId(SwingConfig{}));
}

TEST(SwingOptions, StyleIsAppliedBeforeTheSetsThatFollowIt) {
    SwingConfig showoff;
    showoff.applyStyle(SwingStyle::showoff);
    const SwingRequest styled = swing({"--snapshot", "o", "--style", "showoff"});
    EXPECT_EQ(withoutId(styled.config), withoutId(showoff));
    const SwingRequest overridden = swing({"--snapshot", "o", "--set", "kick=0.1", "--style", "showoff"});
    EXPECT_EQ(overridden.config.kick, 0.1);
    EXPECT_EQ(overridden.config.style, SwingStyle::showoff);
}

TEST(SwingOptions, LookNeedsExactlyTwoNumbers) {
    EXPECT_EQ(swing({"--snapshot", "o", "--look", "100,250.5"}).look, std::optional(glm::dvec2(100, 250.5)));
    EXPECT_EQ(swing({"--snapshot", "o", "--look", "100,x,20"}).look, std::optional(glm::dvec2(100, 20)));
    EXPECT_EQ(swing({"--snapshot", "o", "--look", ",5,,6,"}).look, std::optional(glm::dvec2(5, 6)));
    for (const char* bad : {"100", "1,2,3", "", "a,b", " 1,2"})
        EXPECT_FALSE(swing({"--snapshot", "o", "--look", bad}).look) << bad;
}

TEST(DecimalTextTest, WholeTextMustBeTheNumber) {
    EXPECT_EQ(DecimalText::parseDouble("2"), std::optional(2.0));
    EXPECT_EQ(DecimalText::parseDouble("+2.5"), std::optional(2.5));
    EXPECT_EQ(DecimalText::parseDouble("-1e-2"), std::optional(-0.01));
    EXPECT_EQ(DecimalText::parseDouble(".5"), std::optional(0.5));
    for (const char* bad : {"", " 1", "1 ", "1,5", "0x10", "nan", "inf", "-inf", "1e999", "+", "+-1", "++1"})
        EXPECT_FALSE(DecimalText::parseDouble(bad)) << '"' << bad << '"';
    EXPECT_EQ(DecimalText::parseInt("2"), std::optional(2));
    EXPECT_EQ(DecimalText::parseInt("-2"), std::optional(-2));
    EXPECT_EQ(DecimalText::parseInt("+2"), std::optional(2));
    for (const char* bad : {"", "2.0", " 2", "2 ", "1e2", "99999999999"})
        EXPECT_FALSE(DecimalText::parseInt(bad)) << '"' << bad << '"';
}

TEST(SnapshotArgumentsTest, FlagIsTheArgumentAfterTheFirstOccurrence) {
    const SnapshotArguments arguments({"--a", "1", "--b", "--a", "2", "--c"});
    EXPECT_EQ(arguments.flag("--a"), std::optional<std::string>("1"));
    EXPECT_EQ(arguments.flag("--b"), std::optional<std::string>("--a"));
    EXPECT_FALSE(arguments.flag("--c"));
    EXPECT_FALSE(arguments.flag("--d"));
    EXPECT_EQ(arguments.values("--a"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(arguments.after("--a", 2), std::optional<std::string>("--b"));
    EXPECT_TRUE(arguments.has("--c"));
    EXPECT_FALSE(arguments.has("-c"));
}

}  // namespace
}  // namespace plimsa
