#include "config/SwingConfig.h"

#include "config/JsonFields.h"
#include "config/SwingFields.h"

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
    swing_fields::read(json, swing_fields::Layout::swingObject, config);
    const CharacterFit base = fallback.fits.empty() ? CharacterFit{} : fallback.fits.front();
    config.fits = readFits(json).value_or(std::vector<CharacterFit>{swing_fields::readLegacyFit(json, base)});
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
