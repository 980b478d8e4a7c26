#include "app/DiagnosticText.h"

#include <charconv>

namespace plimsa {

std::string DiagnosticText::number(double value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string DiagnosticText::number(float value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string DiagnosticText::vector(const glm::vec3& value) {
    return "(" + number(value.x) + ", " + number(value.y) + ", " + number(value.z) + ")";
}

std::string DiagnosticText::vector(const glm::vec2& value) {
    return "(" + number(value.x) + ", " + number(value.y) + ")";
}

std::string DiagnosticText::list(const std::vector<double>& values) {
    std::vector<std::string> texts;
    for (double value : values) texts.push_back(number(value));
    return list(texts);
}

std::string DiagnosticText::list(const std::vector<std::string>& values) {
    std::string text = "[";
    for (size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + values[i];
    return text + "]";
}

}  // namespace plimsa
