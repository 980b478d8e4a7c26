#include "app/DecimalText.h"

#include <charconv>
#include <cmath>

namespace plimsa {

namespace {

// from_chars refuses the leading '+' a decimal number may carry; a sign after it stays an error.
std::string_view withoutPlus(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    return text;
}

}  // namespace

std::optional<double> DecimalText::parseDouble(std::string_view text) {
    text = withoutPlus(text);
    if (text.empty()) return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> DecimalText::parseInt(std::string_view text) {
    text = withoutPlus(text);
    if (text.empty()) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace plimsa
