#pragma once

#include <optional>

#include <nlohmann/json.hpp>

namespace plimsa {

/// The size and placement adjustment of the character on one seat. Plain value, any thread.
struct CharacterFit {
    double size = 1.0;     // size multiplier of the character
    double lift = 0.0;     // extra height above its seated place, scene units
    double forward = 0.0;  // extra forward offset, scene units

    bool operator==(const CharacterFit&) const = default;

    /// {"size", "lift", "forward"}, in that order.
    nlohmann::ordered_json toJson() const;
    /// Strict: all three keys must hold numbers, otherwise nothing.
    static std::optional<CharacterFit> fromJson(const nlohmann::json& json);
};

}  // namespace plimsa
