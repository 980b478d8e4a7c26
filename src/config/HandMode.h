#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "config/CaseNames.h"

namespace plimsa {

/// What a hand does: hold the chain, wave, or hang loose.
enum class HandMode { chain, wave, loose };

template <>
struct CaseNames<HandMode> {
    static constexpr std::array<std::pair<HandMode, std::string_view>, 3> cases{{
        {HandMode::chain, "chain"},
        {HandMode::wave, "wave"},
        {HandMode::loose, "loose"},
    }};
};

}  // namespace plimsa
