#pragma once

#include <string>
#include <vector>

#include <glm/glm.hpp>

namespace plimsa {

/// Number formatting for the diagnostic lines of the snapshot mode: the shortest decimal form that reads
/// back to the same value. Any thread.
namespace DiagnosticText {

std::string number(double value);
/// Shortest form of the float itself (0.99, not 0.9900000095367432).
std::string number(float value);
/// "(x, y, z)".
std::string vector(const glm::vec3& value);
/// "(x, y)".
std::string vector(const glm::vec2& value);
/// "[a, b, ...]".
std::string list(const std::vector<double>& values);
std::string list(const std::vector<std::string>& values);

}  // namespace DiagnosticText

}  // namespace plimsa
