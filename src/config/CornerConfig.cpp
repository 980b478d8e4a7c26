#include "config/CornerConfig.h"

#include "config/JsonFields.h"

namespace plimsa {

nlohmann::ordered_json CornerConfig::toJson() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["id"] = id.string();
    json["character"] = character;
    json["side"] = caseName(side);
    json["size"] = size;
    json["opacity"] = opacity;
    json["headMode"] = caseName(headMode);
    return json;
}

std::optional<CornerConfig> CornerConfig::fromJson(const nlohmann::json& json) {
    using namespace json_fields;
    if (!json.is_object()) return std::nullopt;
    CornerConfig config;  // every field starts at its default, the id a new random one
    config.id = readUuid(json, "id").value_or(config.id);
    config.character = readString(json, "character").value_or(config.character);
    config.side = readCase<CornerSide>(json, "side").value_or(config.side);
    config.size = readDouble(json, "size").value_or(config.size);
    config.opacity = readDouble(json, "opacity").value_or(config.opacity);
    config.headMode = readCase<HeadMode>(json, "headMode").value_or(config.headMode);
    return config;
}

}  // namespace plimsa
