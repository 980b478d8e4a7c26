#include "platform/gltf/JsonPreflight.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <vector>

namespace plimsa {
namespace {

struct BufferViewRange {
    std::optional<uint64_t> buffer;
    std::optional<uint64_t> byteOffset;
    std::optional<uint64_t> byteLength;
    bool malformed = false;  // one of the three is present but not an unsigned integer
};

// SAX handler that tracks where it is (top-level key, index, member key) and stops at the first breach.
class Preflight final : public nlohmann::json_sax<nlohmann::json> {
public:
    Preflight(const GltfLimits& limits, std::string& error) : limits_(limits), error_(error) {}

    bool null() override { return scalar(); }
    bool boolean(bool) override { return scalar(); }
    bool number_integer(number_integer_t) override { return scalar(); }
    bool number_float(number_float_t, const string_t&) override { return scalar(); }
    bool string(string_t&) override { return scalar(); }
    bool binary(binary_t&) override { return scalar(); }
    bool number_unsigned(number_unsigned_t value) override {
        if (!count()) return false;
        recordUnsigned(value);
        return true;
    }

    bool start_object(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(true); }
    bool end_array() override { return close(); }
    bool key(string_t& key) override {
        frames_.back().key = key;
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) override {
        if (error_.empty()) error_ = "malformed JSON near byte " + std::to_string(position);
        return false;
    }

    bool finish() {
        uint64_t total = 0;
        for (size_t i = 0; i < bufferLengths_.size(); ++i) {
            if (!bufferLengths_[i]) return fail("buffer " + std::to_string(i) + " has a malformed byteLength");
            if (*bufferLengths_[i] > limits_.maxBufferBytes - total) return fail("buffers declare more bytes than allowed");
            total += *bufferLengths_[i];
        }
        for (size_t i = 0; i < views_.size(); ++i) {
            const BufferViewRange& view = views_[i];
            const std::string name = "bufferView " + std::to_string(i);
            if (view.malformed || !view.buffer || !view.byteLength) return fail(name + " is malformed");
            if (*view.buffer >= bufferLengths_.size()) return fail(name + " refers to a missing buffer");
            const uint64_t size = bufferLengths_[*view.buffer].value_or(0);
            const uint64_t offset = view.byteOffset.value_or(0);
            if (offset > size || *view.byteLength > size - offset) return fail(name + " lies outside its buffer");
        }
        return true;
    }

private:
    struct Frame {
        bool isArray = false;
        std::string key;   // current member key (objects)
        size_t items = 0;  // elements so far (arrays)
    };

    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    bool count() {
        if (++values_ > limits_.maxJsonValues) return fail("JSON document has too many values");
        if (!frames_.empty() && frames_.back().isArray) {
            ++frames_.back().items;
            if (frames_.size() == 2) {
                const size_t cap = frames_[0].key == "nodes" ? limits_.maxNodes : limits_.maxArrayEntries;
                if (frames_.back().items > cap) return fail("too many " + frames_[0].key);
            }
        }
        return true;
    }

    bool scalar() {
        if (frames_.empty()) return fail("JSON document is not an object");
        if (!count()) return false;
        markMalformed();
        return true;
    }

    bool open(bool isArray) {
        if (frames_.empty() && isArray) return fail("JSON document is not an object");
        if (!count()) return false;
        markMalformed();
        if (static_cast<int>(frames_.size()) >= limits_.maxJsonDepth) return fail("JSON document is nested too deeply");
        // Entering an element of "buffers" or "bufferViews": start its record.
        if (frames_.size() == 2 && !isArray && frames_[1].isArray) {
            if (frames_[0].key == "buffers") bufferLengths_.push_back(uint64_t{0});
            if (frames_[0].key == "bufferViews") views_.emplace_back();
        }
        frames_.push_back({isArray, {}, 0});
        return true;
    }

    bool close() {
        frames_.pop_back();
        return true;
    }

    // Path "buffers"/"bufferViews" -> [i] -> member: the only places whose numbers are recorded.
    const std::string* memberOfRecord(std::string_view array) const {
        if (frames_.size() != 3 || frames_[0].key != array || !frames_[1].isArray || frames_[2].isArray)
            return nullptr;
        return &frames_[2].key;
    }

    void recordUnsigned(uint64_t value) {
        if (const std::string* key = memberOfRecord("buffers"); key && *key == "byteLength") bufferLengths_.back() = value;
        if (const std::string* key = memberOfRecord("bufferViews")) {
            BufferViewRange& view = views_.back();
            if (*key == "buffer") view.buffer = value;
            if (*key == "byteOffset") view.byteOffset = value;
            if (*key == "byteLength") view.byteLength = value;
        }
    }

    // A non-unsigned value where a buffer length or a view's range belongs.
    void markMalformed() {
        if (const std::string* key = memberOfRecord("buffers"); key && *key == "byteLength")
            bufferLengths_.back() = std::nullopt;
        if (const std::string* key = memberOfRecord("bufferViews");
            key && (*key == "buffer" || *key == "byteOffset" || *key == "byteLength"))
            views_.back().malformed = true;
    }

    const GltfLimits& limits_;
    std::string& error_;
    std::vector<Frame> frames_;
    size_t values_ = 0;
    std::vector<std::optional<uint64_t>> bufferLengths_;  // nullopt: byteLength is not an unsigned integer
    std::vector<BufferViewRange> views_;
};

}  // namespace

bool JsonPreflight::check(std::string_view json, const GltfLimits& limits, std::string& error) {
    Preflight preflight(limits, error);
    const bool parsed = nlohmann::json::sax_parse(json.begin(), json.end(), &preflight,
                                                  nlohmann::json::input_format_t::json, true);
    if (!parsed) {
        if (error.empty()) error = "malformed JSON";
        return false;
    }
    return preflight.finish();
}

}  // namespace plimsa
