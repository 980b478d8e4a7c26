#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "config/CaseNames.h"

namespace plimsa {

/// How a character's head moves: following the cursor, idle glances, or straight ahead.
enum class HeadMode { cursor, idle, forward };

template <>
struct CaseNames<HeadMode> {
    static constexpr std::array<std::pair<HeadMode, std::string_view>, 3> cases{{
        {HeadMode::cursor, "cursor"},
        {HeadMode::idle, "idle"},
        {HeadMode::forward, "forward"},
    }};
};

}  // namespace plimsa
