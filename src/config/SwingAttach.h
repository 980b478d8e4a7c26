#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "config/CaseNames.h"

namespace plimsa {

/// Where a swing hangs: from the top edge of the front window, or under the top edge of the screen.
enum class SwingAttach { window, screen };

template <>
struct CaseNames<SwingAttach> {
    static constexpr std::array<std::pair<SwingAttach, std::string_view>, 2> cases{{
        {SwingAttach::window, "window"},
        {SwingAttach::screen, "screen"},
    }};
};

}  // namespace plimsa
