#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "config/CaseNames.h"

namespace plimsa {

/// The bottom corner of the screen a corner sitter sits in.
enum class CornerSide { left, right };

template <>
struct CaseNames<CornerSide> {
    static constexpr std::array<std::pair<CornerSide, std::string_view>, 2> cases{{
        {CornerSide::left, "left"},
        {CornerSide::right, "right"},
    }};
};

}  // namespace plimsa
