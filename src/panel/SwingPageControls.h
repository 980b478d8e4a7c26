#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "config/HandMode.h"
#include "config/HeadMode.h"
#include "config/SwingAttach.h"
#include "config/SwingSkin.h"
#include "config/SwingStyle.h"

namespace plimsa {

/// One capsule of a pill picker: the value it selects and its label.
template <typename Value>
struct PillOption {
    Value value;
    std::string_view label;
};

/// The sliders of the swing page, each bound to one field of the swing's record.
enum class SwingSlider {
    position,     // anchorFraction
    overallSize,  // swingScale
    ropeLength,
    tilt,       // tiltDegrees
    amplitude,  // cruiseAmplitudeDegrees
    kick,
    lean,
    legs,        // legBias
    gripHeight,  // gripReach
    shine,
};

/// The sliders of one seat's block in the character fit card, each bound to a field of its `CharacterFit`.
enum class FitSlider { size, seatHeight, forward };

/// The hand pickers: the outer hands of a single seat, or the facing hands of a two-seater.
enum class HandSlot { left, right, inner };

/// The colour a hint is drawn in (the panel theme's `dim` or `gold`).
enum class HintTone { dim, gold };

/// What a slider row shows: its caption, its closed range, its unit ("" for none), the bound value and
/// the value as printed beside it (`valueText`).
struct SliderRow {
    std::string title;
    double minimum = 0.0;
    double maximum = 1.0;
    std::string_view unit;
    double value = 0.0;
    std::string text;
};

/// A hint under a control.
struct Hint {
    std::string text;
    HintTone tone = HintTone::dim;

    bool operator==(const Hint&) const = default;
};

/// The fixed texts and options of the swing page's controls, in display order. Any thread.
namespace swing_page {

inline constexpr std::array<PillOption<int>, 2> kSeatCounts{{{1, "Single seat"}, {2, "Two-seater"}}};
inline constexpr std::array<PillOption<HandMode>, 3> kHands{
    {{HandMode::chain, "On the chain"}, {HandMode::wave, "Waving"}, {HandMode::loose, "Hanging loose"}}};
inline constexpr std::array<PillOption<SwingAttach>, 2> kAttach{
    {{SwingAttach::window, "Front window"}, {SwingAttach::screen, "Top of the screen"}}};
inline constexpr std::array<PillOption<SwingStyle>, 5> kStyles{{{SwingStyle::classic, "Classic pump"},
                                                                {SwingStyle::lazy, "Lazy"},
                                                                {SwingStyle::wild, "Wild"},
                                                                {SwingStyle::chill, "One-hand chill"},
                                                                {SwingStyle::showoff, "Show-off wave"}}};
inline constexpr std::array<PillOption<HeadMode>, 3> kHeads{{{HeadMode::cursor, "Follow the cursor"},
                                                             {HeadMode::idle, "Look around"},
                                                             {HeadMode::forward, "Look ahead"}}};
inline constexpr std::array<PillOption<SwingSkin>, 5> kSkins{{{SwingSkin::classic, "Classic wood & chains"},
                                                              {SwingSkin::forest, "Forest: log & lianas"},
                                                              {SwingSkin::ice, "Ice"},
                                                              {SwingSkin::gold, "Gold & marble"},
                                                              {SwingSkin::rope, "Driftwood & rope"}}};

inline constexpr std::string_view kOverallSizeHint =
    "Overall size scales the swing and the characters together, from miniature to large.";
inline constexpr std::string_view kMotionHint =
    "Negative tilt faces the swing the other way. Amplitude 180 makes full loops over the bar.";
inline constexpr std::string_view kEmptySeat = "Empty seat";

/// The hint under "Hangs from" for the chosen way of hanging.
std::string_view attachHint(SwingAttach attach);

/// The caption of a seat's cell and fit block: "Character" when the swing has a single seat, else
/// "Left seat" for the first and "Right seat" for the others.
std::string_view seatCaption(int seat, int seatCount);

/// At most one hint for a seat's chosen size, given the swing's published largest and smallest sizes for
/// that seat (nothing when none was published): the board is full when the maximum is below the size by
/// more than 0.005; else the arms cannot reach when the minimum is 1.99 or more; else the character is
/// shown larger when the size is below the minimum by more than 0.005.
std::optional<Hint> fitHint(double size, std::optional<double> maximum, std::optional<double> minimum);

}  // namespace swing_page
}  // namespace plimsa
