#pragma once

#include <string>
#include <string_view>

namespace plimsa {

/// The value printed beside a panel slider: rounded to a whole number followed by `unit` ("32°") when the
/// row has a unit, else with two decimals ("0.62"). Always a "." decimal point, whatever the process
/// locale; a value that rounds to zero never shows a minus sign. Any thread.
std::string valueText(double value, std::string_view unit = {});

/// `value` with exactly `decimals` digits after a "." (0 to 6), without a minus sign when it rounds to
/// zero; "nan" or "inf"/"-inf" for values that are not finite. Any thread.
std::string fixedText(double value, int decimals);

}  // namespace plimsa
