#include "config/CharacterFit.h"

#include "config/JsonFields.h"

namespace plimsa {

nlohmann::ordered_json CharacterFit::toJson() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["size"] = size;
    json["lift"] = lift;
    json["forward"] = forward;
    return json;
}

std::optional<CharacterFit> CharacterFit::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) return std::nullopt;
    const auto size = json_fields::readDouble(json, "size");
    const auto lift = json_fields::readDouble(json, "lift");
    const auto forward = json_fields::readDouble(json, "forward");
    if (!size || !lift || !forward) return std::nullopt;
    return CharacterFit{*size, *lift, *forward};
}

}  // namespace plimsa
