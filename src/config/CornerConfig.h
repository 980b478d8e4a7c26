#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "config/CornerSide.h"
#include "config/HeadMode.h"
#include "config/Uuid.h"

namespace plimsa {

/// One corner sitter as the user configured it. A plain value: copied freely, compared field by field,
/// identified by `id`. Any thread.
struct CornerConfig {
    Uuid id = Uuid::random();
    std::string character;  // library name, absolute "/" path, or "" for none
    CornerSide side = CornerSide::right;
    double size = 1.0;      // size multiplier
    double opacity = 0.85;  // 0 .. 1
    HeadMode headMode = HeadMode::cursor;

    bool operator==(const CornerConfig&) const = default;

    /// {"id", "character", "side", "size", "opacity", "headMode"}, in that order.
    nlohmann::ordered_json toJson() const;
    /// Lenient: fails only when `json` is not an object; every missing, null or unreadable key takes its
    /// default ("id" a new random one).
    static std::optional<CornerConfig> fromJson(const nlohmann::json& json);
};

}  // namespace plimsa
