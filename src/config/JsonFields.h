#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/CaseNames.h"
#include "config/Uuid.h"

namespace plimsa::json_fields {

// Readers of one key of a JSON object for the lenient decoders. Each gives nothing when the key is
// missing, null or holds a value of another type, so the caller can take its fallback key by key.

/// The value under `key`, or null when `object` lacks it or holds null there.
const nlohmann::json* field(const nlohmann::json& object, std::string_view key);

/// A JSON number (integer or fractional); booleans are not numbers.
std::optional<double> readDouble(const nlohmann::json& object, std::string_view key);
/// A JSON number with an integral value that fits an int (45 and 45.0 read as 45; 30.5 does not read).
std::optional<int> readInt(const nlohmann::json& object, std::string_view key);
std::optional<bool> readBool(const nlohmann::json& object, std::string_view key);
std::optional<std::string> readString(const nlohmann::json& object, std::string_view key);
/// An array whose elements are all strings.
std::optional<std::vector<std::string>> readStrings(const nlohmann::json& object, std::string_view key);
/// A string holding a UUID in the canonical form (any case).
std::optional<Uuid> readUuid(const nlohmann::json& object, std::string_view key);

/// A string that is exactly one of the case names of `Enum`.
template <typename Enum>
std::optional<Enum> readCase(const nlohmann::json& object, std::string_view key) {
    const auto text = readString(object, key);
    if (!text) return std::nullopt;
    return caseNamed<Enum>(*text);
}

}  // namespace plimsa::json_fields
