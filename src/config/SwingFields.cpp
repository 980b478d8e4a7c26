#include "config/SwingFields.h"

#include <array>
#include <string_view>
#include <type_traits>

#include "config/JsonFields.h"

namespace plimsa::swing_fields {
namespace {

template <typename Value>
std::optional<Value> readValue(const nlohmann::json& object, std::string_view key) {
    if constexpr (std::is_same_v<Value, double>)
        return json_fields::readDouble(object, key);
    else if constexpr (std::is_same_v<Value, bool>)
        return json_fields::readBool(object, key);
    else
        return json_fields::readCase<Value>(object, key);
}

template <auto member>
void assign(const nlohmann::json& object, std::string_view key, SwingConfig& swing) {
    using Value = std::remove_cvref_t<decltype(swing.*member)>;
    if (auto value = readValue<Value>(object, key)) swing.*member = std::move(*value);
}

struct Field {
    std::string_view key;
    void (*read)(const nlohmann::json&, std::string_view, SwingConfig&);
    bool inFlatDocument;
};

constexpr std::array kFields{
    Field{"attach", &assign<&SwingConfig::attach>, false},
    Field{"anchorFraction", &assign<&SwingConfig::anchorFraction>, false},
    Field{"ropeLength", &assign<&SwingConfig::ropeLength>, true},
    Field{"tiltDegrees", &assign<&SwingConfig::tiltDegrees>, true},
    Field{"pumping", &assign<&SwingConfig::pumping>, true},
    Field{"cruiseAmplitudeDegrees", &assign<&SwingConfig::cruiseAmplitudeDegrees>, true},
    Field{"kick", &assign<&SwingConfig::kick>, true},
    Field{"lean", &assign<&SwingConfig::lean>, true},
    Field{"legBias", &assign<&SwingConfig::legBias>, true},
    Field{"gripReach", &assign<&SwingConfig::gripReach>, true},
    Field{"headMode", &assign<&SwingConfig::headMode>, true},
    Field{"handLeft", &assign<&SwingConfig::handLeft>, true},
    Field{"handRight", &assign<&SwingConfig::handRight>, true},
    Field{"innerHand", &assign<&SwingConfig::innerHand>, true},
    Field{"swingScale", &assign<&SwingConfig::swingScale>, true},
    Field{"style", &assign<&SwingConfig::style>, true},
    Field{"shine", &assign<&SwingConfig::shine>, true},
    Field{"skin", &assign<&SwingConfig::skin>, true},
};

}  // namespace

void read(const nlohmann::json& object, Layout layout, SwingConfig& swing) {
    for (const Field& field : kFields)
        if (layout == Layout::swingObject || field.inFlatDocument) field.read(object, field.key, swing);
}

CharacterFit readLegacyFit(const nlohmann::json& object, const CharacterFit& base) {
    return CharacterFit{json_fields::readDouble(object, "characterSize").value_or(base.size),
                        json_fields::readDouble(object, "seatLift").value_or(base.lift),
                        json_fields::readDouble(object, "seatForward").value_or(base.forward)};
}

}  // namespace plimsa::swing_fields
