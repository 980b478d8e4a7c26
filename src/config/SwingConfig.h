#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/CharacterFit.h"
#include "config/HandMode.h"
#include "config/HeadMode.h"
#include "config/SwingAttach.h"
#include "config/SwingSkin.h"
#include "config/SwingStyle.h"
#include "config/Uuid.h"

namespace plimsa {

/// One swing as the user configured it. A plain value: copied freely, compared field by field, identified
/// by `id`. The record clamps nothing; readers guard the values they use. Angles in degrees, lengths in
/// scene units. Any thread, except `decodeFallback` (see there).
struct SwingConfig {
    Uuid id = Uuid::random();
    std::vector<std::string> characters{""};  // one per seat, left to right: library name, "/" path or ""
    SwingAttach attach = SwingAttach::screen;
    double anchorFraction = 0.72;  // hanging point across the window or screen width
    double ropeLength = 2.2;
    double tiltDegrees = 28.0;
    bool pumping = true;
    double cruiseAmplitudeDegrees = 32.0;
    double kick = 1.0;
    double lean = 1.0;
    double legBias = 0.0;  // -1 tucked .. +1 extended
    double gripReach = 0.62;
    HeadMode headMode = HeadMode::cursor;
    HandMode handLeft = HandMode::chain;
    HandMode handRight = HandMode::chain;
    HandMode innerHand = HandMode::loose;
    std::vector<CharacterFit> fits{CharacterFit{}};  // by seat index; may be shorter than `characters`
    double swingScale = 1.0;
    SwingStyle style = SwingStyle::classic;
    double shine = 0.1;  // 0 .. 1
    SwingSkin skin = SwingSkin::classic;

    bool operator==(const SwingConfig&) const = default;

    /// Sets `style`, pumping on, both outer hands on the chain, then the preset's amplitude, kick, lean,
    /// leg bias and grip (and, for chill and showoff, the right hand). Leaves every other field alone.
    void applyStyle(SwingStyle preset);

    /// Replaces the fit of `seat` (0 or more), first growing `fits` with copies of its last element (or of
    /// the default fit when empty) so that seats in between take the last seat's adjustment.
    void setFit(int seat, const CharacterFit& fit);

    /// The record as a JSON object with every field, in declaration order. Never writes the legacy
    /// single-seat keys "characterSize", "seatLift", "seatForward".
    nlohmann::ordered_json toJson() const;

    /// Lenient decoding: fails only when `json` is not an object. Every other key that is missing, null or
    /// unreadable takes `fallback`'s value, except "id" (a new random one), "characters" ([""]) and
    /// "fits" (built from the legacy single-seat keys over `fallback`'s first fit).
    static std::optional<SwingConfig> fromJson(const nlohmann::json& json, const SwingConfig& fallback);
    /// The same with `decodeFallback()` as the fallback.
    static std::optional<SwingConfig> fromJson(const nlohmann::json& json);

    /// The process-wide fallback record of `fromJson(json)`: a default record, except while a settings
    /// document is being decoded. Main thread only; documents are decoded one at a time.
    static SwingConfig& decodeFallback();
};

}  // namespace plimsa
