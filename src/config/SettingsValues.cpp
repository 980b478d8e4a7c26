#include "config/SettingsValues.h"

#include <new>
#include <unordered_set>

#include "config/JsonFields.h"
#include "config/SwingFields.h"

namespace plimsa {
namespace {

// Restores the process-wide fallback however decoding ends.
class FallbackScope {
  public:
    explicit FallbackScope(const SwingConfig& fallback) { SwingConfig::decodeFallback() = fallback; }
    ~FallbackScope() { SwingConfig::decodeFallback() = SwingConfig(); }
    FallbackScope(const FallbackScope&) = delete;
    FallbackScope& operator=(const FallbackScope&) = delete;
};

// One pass over the raw bytes, aware of strings and escapes, that measures nesting and container count
// without building anything.
bool withinBounds(std::string_view bytes) {
    if (bytes.size() > SettingsValues::kMaxDocumentBytes) return false;
    int depth = 0;
    std::size_t containers = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : bytes) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > SettingsValues::kMaxNesting || ++containers > SettingsValues::kMaxContainers)
                return false;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

// The one swing of the older flat layout, also the fallback of every element of "swings".
SwingConfig legacySwing(const nlohmann::json& document) {
    SwingConfig swing;  // new random id, characters [""], attach screen, anchor 0.72
    swing_fields::read(document, swing_fields::Layout::flatDocument, swing);
    swing.fits = {swing_fields::readLegacyFit(document, CharacterFit{})};
    return swing;
}

// Every element must be an object; one that is not makes the whole list unreadable.
template <typename Record, typename Decode>
std::optional<std::vector<Record>> readList(const nlohmann::json& document, std::string_view key,
                                            Decode decode) {
    const nlohmann::json* array = json_fields::field(document, key);
    if (array == nullptr || !array->is_array()) return std::nullopt;
    std::vector<Record> records;
    records.reserve(array->size());
    for (const auto& element : *array) {
        auto record = decode(element);
        if (!record) return std::nullopt;
        records.push_back(std::move(*record));
    }
    return records;
}

template <typename Record>
void makeIdsUnique(std::vector<Record>& records) {
    std::unordered_set<Uuid, UuidHash> seen;
    for (auto& record : records)
        while (!seen.insert(record.id).second) record.id = Uuid::random();
}

template <typename Record>
nlohmann::ordered_json arrayOf(const std::vector<Record>& records) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const auto& record : records) array.push_back(record.toJson());
    return array;
}

}  // namespace

nlohmann::ordered_json SettingsValues::toJson() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["lightContrast"] = lightContrast;
    json["frameRate"] = frameRate;
    json["swings"] = arrayOf(swings);
    json["corners"] = arrayOf(corners);
    return json;
}

std::optional<std::string> SettingsValues::encode() const {
    try {
        return toJson().dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<SettingsValues> SettingsValues::fromJson(const nlohmann::json& json) {
    using namespace json_fields;
    if (!json.is_object()) return std::nullopt;
    SettingsValues values;
    values.lightContrast = readDouble(json, "lightContrast").value_or(values.lightContrast);
    values.frameRate = readInt(json, "frameRate").value_or(values.frameRate);

    const SwingConfig legacy = legacySwing(json);
    {
        FallbackScope scope(legacy);
        auto swings = readList<SwingConfig>(
            json, "swings", [](const nlohmann::json& element) { return SwingConfig::fromJson(element); });
        values.swings = swings ? std::move(*swings) : std::vector<SwingConfig>{legacy};
    }
    values.corners = readList<CornerConfig>(json, "corners", [](const nlohmann::json& element) {
                         return CornerConfig::fromJson(element);
                     }).value_or(std::vector<CornerConfig>{});
    makeIdsUnique(values.swings);
    makeIdsUnique(values.corners);
    return values;
}

std::optional<SettingsValues> SettingsValues::decode(std::string_view bytes) {
    if (!withinBounds(bytes)) return std::nullopt;
    try {
        const auto json = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
        if (json.is_discarded()) return std::nullopt;
        return fromJson(json);
    } catch (const std::exception&) {
        return std::nullopt;  // out of memory, or a parser error reported by exception after all
    }
}

}  // namespace plimsa
