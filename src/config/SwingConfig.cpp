#include "config/SwingConfig.h"

#include "config/JsonFields.h"

namespace plimsa {
namespace {

struct StylePreset {
    double cruiseAmplitudeDegrees;
    double kick;
    double lean;
    double legBias;
    double gripReach;
    HandMode handRight;
};

StylePreset presetFor(SwingStyle style) {
    switch (style) {
        case SwingStyle::lazy:
            return {12, 0.3, 0.3, -0.2, 0.55, HandMode::chain};
        case SwingStyle::wild:
            return {55, 1.3, 1.5, 0.2, 0.7, HandMode::chain};
        case SwingStyle::chill:
            return {16, 0.4, 0.4, -0.1, 0.5, HandMode::loose};
        case SwingStyle::showoff:
            return {26, 0.9, 0.8, 0.0, 0.6, HandMode::wave};
        case SwingStyle::classic:
            break;
    }
    return {32, 1.0, 1.0, 0.0, 0.62, HandMode::chain};
}

template <typename Value>
nlohmann::ordered_json caseArray(const std::vector<Value>& values) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const auto& value : values) array.push_back(value.toJson());
    return array;
}

std::optional<std::vector<CharacterFit>> readFits(const nlohmann::json& json) {
    const nlohmann::json* value = json_fields::field(json, "fits");
    if (value == nullptr || !value->is_array() || value->empty()) return std::nullopt;
    std::vector<CharacterFit> fits;
    fits.reserve(value->size());
    for (const auto& element : *value) {
        auto fit = CharacterFit::fromJson(element);
        if (!fit) return std::nullopt;
        fits.push_back(*fit);
    }
    return fits;
}

CharacterFit legacyFit(const nlohmann::json& json, const SwingConfig& fallback) {
    const CharacterFit base = fallback.fits.empty() ? CharacterFit{} : fallback.fits.front();
    return CharacterFit{json_fields::readDouble(json, "characterSize").value_or(base.size),
                        json_fields::readDouble(json, "seatLift").value_or(base.lift),
                        json_fields::readDouble(json, "seatForward").value_or(base.forward)};
}

}  // namespace

void SwingConfig::applyStyle(SwingStyle preset) {
    const StylePreset values = presetFor(preset);
    style = preset;
    pumping = true;
    handLeft = HandMode::chain;
    handRight = values.handRight;
    cruiseAmplitudeDegrees = values.cruiseAmplitudeDegrees;
    kick = values.kick;
    lean = values.lean;
    legBias = values.legBias;
    gripReach = values.gripReach;
}

void SwingConfig::setFit(int seat, const CharacterFit& fit) {
    if (seat < 0) return;
    const auto index = static_cast<std::size_t>(seat);
    while (fits.size() <= index) fits.push_back(fits.empty() ? CharacterFit{} : fits.back());
    fits[index] = fit;
}

nlohmann::ordered_json SwingConfig::toJson() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["id"] = id.string();
    json["characters"] = characters;
    json["attach"] = caseName(attach);
    json["anchorFraction"] = anchorFraction;
    json["ropeLength"] = ropeLength;
    json["tiltDegrees"] = tiltDegrees;
    json["pumping"] = pumping;
    json["cruiseAmplitudeDegrees"] = cruiseAmplitudeDegrees;
    json["kick"] = kick;
    json["lean"] = lean;
    json["legBias"] = legBias;
    json["gripReach"] = gripReach;
    json["headMode"] = caseName(headMode);
    json["handLeft"] = caseName(handLeft);
    json["handRight"] = caseName(handRight);
    json["innerHand"] = caseName(innerHand);
    json["fits"] = caseArray(fits);
    json["swingScale"] = swingScale;
    json["style"] = caseName(style);
    json["shine"] = shine;
    json["skin"] = caseName(skin);
    return json;
}

std::optional<SwingConfig> SwingConfig::fromJson(const nlohmann::json& json, const SwingConfig& fallback) {
    using namespace json_fields;
    if (!json.is_object()) return std::nullopt;
    SwingConfig config = fallback;
    config.id = readUuid(json, "id").value_or(Uuid::random());
    config.characters = readStrings(json, "characters").value_or(std::vector<std::string>{});
    if (config.characters.empty()) config.characters = {""};
    config.attach = readCase<SwingAttach>(json, "attach").value_or(fallback.attach);
    config.anchorFraction = readDouble(json, "anchorFraction").value_or(fallback.anchorFraction);
    config.ropeLength = readDouble(json, "ropeLength").value_or(fallback.ropeLength);
    config.tiltDegrees = readDouble(json, "tiltDegrees").value_or(fallback.tiltDegrees);
    config.pumping = readBool(json, "pumping").value_or(fallback.pumping);
    config.cruiseAmplitudeDegrees =
        readDouble(json, "cruiseAmplitudeDegrees").value_or(fallback.cruiseAmplitudeDegrees);
    config.kick = readDouble(json, "kick").value_or(fallback.kick);
    config.lean = readDouble(json, "lean").value_or(fallback.lean);
    config.legBias = readDouble(json, "legBias").value_or(fallback.legBias);
    config.gripReach = readDouble(json, "gripReach").value_or(fallback.gripReach);
    config.headMode = readCase<HeadMode>(json, "headMode").value_or(fallback.headMode);
    config.handLeft = readCase<HandMode>(json, "handLeft").value_or(fallback.handLeft);
    config.handRight = readCase<HandMode>(json, "handRight").value_or(fallback.handRight);
    config.innerHand = readCase<HandMode>(json, "innerHand").value_or(fallback.innerHand);
    config.fits = readFits(json).value_or(std::vector<CharacterFit>{legacyFit(json, fallback)});
    config.swingScale = readDouble(json, "swingScale").value_or(fallback.swingScale);
    config.style = readCase<SwingStyle>(json, "style").value_or(fallback.style);
    config.shine = readDouble(json, "shine").value_or(fallback.shine);
    config.skin = readCase<SwingSkin>(json, "skin").value_or(fallback.skin);
    return config;
}

std::optional<SwingConfig> SwingConfig::fromJson(const nlohmann::json& json) {
    return fromJson(json, decodeFallback());
}

SwingConfig& SwingConfig::decodeFallback() {
    static SwingConfig fallback;
    return fallback;
}

}  // namespace plimsa
