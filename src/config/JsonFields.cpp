#include "config/JsonFields.h"

#include <cstdint>
#include <limits>

namespace plimsa::json_fields {

const nlohmann::json* field(const nlohmann::json& object, std::string_view key) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

std::optional<double> readDouble(const nlohmann::json& object, std::string_view key) {
    const nlohmann::json* value = field(object, key);
    if (value == nullptr || !value->is_number()) return std::nullopt;
    return value->get<double>();
}

std::optional<int> readInt(const nlohmann::json& object, std::string_view key) {
    const nlohmann::json* value = field(object, key);
    if (value == nullptr) return std::nullopt;
    if (value->is_number_unsigned()) {
        const auto number = value->get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return std::nullopt;
        return static_cast<int>(number);
    }
    if (value->is_number_integer()) {
        const auto number = value->get<std::int64_t>();
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
            return std::nullopt;
        return static_cast<int>(number);
    }
    if (value->is_number_float()) {
        const double number = value->get<double>();
        // The range test also rejects NaN; the exact comparison rejects fractions.
        if (!(number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max()))
            return std::nullopt;
        if (static_cast<double>(static_cast<int>(number)) != number) return std::nullopt;
        return static_cast<int>(number);
    }
    return std::nullopt;
}

std::optional<bool> readBool(const nlohmann::json& object, std::string_view key) {
    const nlohmann::json* value = field(object, key);
    if (value == nullptr || !value->is_boolean()) return std::nullopt;
    return value->get<bool>();
}

std::optional<std::string> readString(const nlohmann::json& object, std::string_view key) {
    const nlohmann::json* value = field(object, key);
    if (value == nullptr || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

std::optional<std::vector<std::string>> readStrings(const nlohmann::json& object, std::string_view key) {
    const nlohmann::json* value = field(object, key);
    if (value == nullptr || !value->is_array()) return std::nullopt;
    std::vector<std::string> strings;
    strings.reserve(value->size());
    for (const auto& element : *value) {
        if (!element.is_string()) return std::nullopt;
        strings.push_back(element.get<std::string>());
    }
    return strings;
}

std::optional<Uuid> readUuid(const nlohmann::json& object, std::string_view key) {
    const auto text = readString(object, key);
    if (!text) return std::nullopt;
    return Uuid::parse(*text);
}

}  // namespace plimsa::json_fields
