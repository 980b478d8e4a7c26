#include "panel/ValueText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace plimsa {

std::string fixedText(double value, int decimals) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    std::array<char, 400> buffer{};  // the widest double in fixed notation fits with room to spare
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, std::clamp(decimals, 0, 6));
    std::string text(buffer.data(), result.ptr);
    // "-0.00" reads as a fault to a person; the sign of a value too small to show carries nothing.
    if (text.starts_with('-') && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
    return text;
}

std::string valueText(double value, std::string_view unit) {
    if (unit.empty()) return fixedText(value, 2);
    return fixedText(value, 0).append(unit);
}

}  // namespace plimsa
