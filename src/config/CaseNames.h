#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace plimsa {

/// Specialised next to each persisted enumeration: `cases` lists every case with its case name, in the
/// order the panel shows them. The case name is the persisted form.
template <typename Enum>
struct CaseNames;

/// The persisted name of `value` ("classic", "showoff", "window").
template <typename Enum>
constexpr std::string_view caseName(Enum value) {
    for (const auto& [candidate, name] : CaseNames<Enum>::cases)
        if (candidate == value) return name;
    return {};
}

/// The case whose name is exactly `name` (case-sensitive), or nothing.
template <typename Enum>
constexpr std::optional<Enum> caseNamed(std::string_view name) {
    for (const auto& [candidate, candidateName] : CaseNames<Enum>::cases)
        if (candidateName == name) return candidate;
    return std::nullopt;
}

/// Every case, in display order.
template <typename Enum>
constexpr auto allCases() {
    constexpr auto& cases = CaseNames<Enum>::cases;
    std::array<Enum, std::tuple_size_v<std::remove_cvref_t<decltype(cases)>>> values{};
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = cases[i].first;
    return values;
}

}  // namespace plimsa
