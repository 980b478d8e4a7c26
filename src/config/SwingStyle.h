#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "config/CaseNames.h"

namespace plimsa {

/// The motion preset last applied to a swing with `SwingConfig::applyStyle`.
enum class SwingStyle { classic, lazy, wild, chill, showoff };

template <>
struct CaseNames<SwingStyle> {
    static constexpr std::array<std::pair<SwingStyle, std::string_view>, 5> cases{{
        {SwingStyle::classic, "classic"},
        {SwingStyle::lazy, "lazy"},
        {SwingStyle::wild, "wild"},
        {SwingStyle::chill, "chill"},
        {SwingStyle::showoff, "showoff"},
    }};
};

}  // namespace plimsa
