#pragma once

#include <nlohmann/json.hpp>

#include "config/CharacterFit.h"
#include "config/SwingConfig.h"

namespace plimsa::swing_fields {

// The key-by-key reading of a swing's plain fields, shared by the swing record's decoder and the settings
// document's older flat layout, in which one swing's fields stood beside the global ones. One table
// holds every key, so the two readers cannot drift apart.

/// Where a swing's fields are read from.
enum class Layout {
    swingObject,   // an element of "swings": every plain field, "attach" and "anchorFraction" included
    flatDocument,  // the older flat layout, which had no hanging mode or anchor
};

/// Overwrites each plain field of `swing` (all but id, characters and fits) whose key in `object` holds a
/// readable value; a key that is missing, null or unreadable leaves its field as it was.
void read(const nlohmann::json& object, Layout layout, SwingConfig& swing);

/// The single-seat fit of older documents ("characterSize", "seatLift", "seatForward"), each key falling
/// back on `base`.
CharacterFit readLegacyFit(const nlohmann::json& object, const CharacterFit& base);

}  // namespace plimsa::swing_fields
