#pragma once

#include <optional>
#include <string_view>

namespace plimsa {

/// Strict number parsing for command-line values: the whole text must be the number (no blanks, no
/// trailing remainder, no empty text). Any thread.
namespace DecimalText {

/// A finite decimal floating-point number ("2", "-0.5", "+1e3"); nothing otherwise (also "nan", "inf").
std::optional<double> parseDouble(std::string_view text);
/// A decimal integer with an optional sign that fits an int; nothing otherwise.
std::optional<int> parseInt(std::string_view text);

}  // namespace DecimalText

}  // namespace plimsa
