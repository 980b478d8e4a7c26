#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "config/CaseNames.h"

namespace plimsa {

/// The look of a swing's seat and ropes.
enum class SwingSkin { classic, forest, ice, gold, rope };

template <>
struct CaseNames<SwingSkin> {
    static constexpr std::array<std::pair<SwingSkin, std::string_view>, 5> cases{{
        {SwingSkin::classic, "classic"},
        {SwingSkin::forest, "forest"},
        {SwingSkin::ice, "ice"},
        {SwingSkin::gold, "gold"},
        {SwingSkin::rope, "rope"},
    }};
};

}  // namespace plimsa
