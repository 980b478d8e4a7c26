#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/CornerConfig.h"
#include "config/SwingConfig.h"

namespace plimsa {

/// Everything the user configures, as one plain value (`Settings::Values`), and its persisted form: one
/// JSON document {"lightContrast", "frameRate", "swings", "corners"}, without pretty printing.
struct SettingsValues {
    double lightContrast = 0.4;  // 0 .. 1
    int frameRate = 60;          // frames per second of every scene view
    std::vector<SwingConfig> swings;
    std::vector<CornerConfig> corners;

    bool operator==(const SettingsValues&) const = default;

    /// The keys the decoder reads: the four of the current document and the twenty of the older layout in
    /// which one swing's fields stood flat beside them ("fits" among them is never read).
    static constexpr std::array<std::string_view, 24> LegacyKeys{
        "lightContrast", "frameRate",   "swings",    "corners",
        "ropeLength",    "tiltDegrees", "pumping",   "cruiseAmplitudeDegrees",
        "kick",          "lean",        "legBias",   "gripReach",
        "headMode",      "handLeft",    "handRight", "innerHand",
        "characterSize", "swingScale",  "seatLift",  "seatForward",
        "style",         "shine",       "skin",      "fits"};

    /// Documents beyond these bounds are refused before parsing: ours are a few kilobytes and four levels
    /// deep, and the bounds keep a hostile document from exhausting the stack or memory.
    static constexpr std::size_t kMaxDocumentBytes = 4u << 20;
    static constexpr int kMaxNesting = 64;
    static constexpr std::size_t kMaxContainers = 100'000;

    nlohmann::ordered_json toJson() const;
    /// The document's bytes (UTF-8 JSON). Text that is not valid UTF-8 is written with U+FFFD in place of
    /// the bad bytes, so that one bad path cannot stop every later save. Nothing only on an internal
    /// failure (out of memory).
    std::optional<std::string> encode() const;

    /// Lenient decoding of a parsed document. Fails only when `json` is not an object; every key falls
    /// back on its own. A document without "swings" (the older layout) gives one swing made of its flat
    /// keys, and elements of "swings" take missing keys from those flat keys. Swings or corner sitters
    /// that repeat an earlier `id` get a fresh one, so identities stay unique. Sets
    /// `SwingConfig::decodeFallback()` while it runs and resets it to a default record afterwards. Main
    /// thread only.
    static std::optional<SettingsValues> fromJson(const nlohmann::json& json);
    /// Bounds check, parse and `fromJson`. Any bytes give a value or nothing; never throws.
    static std::optional<SettingsValues> decode(std::string_view bytes);
};

}  // namespace plimsa
