// Feeds arbitrary bytes to the settings document decoder, as if they had been found under the settings key.
// Whatever decodes must encode, and the encoding must decode to the same value (nothing is lost on the next
// save); the process-wide swing fallback must be back at its defaults afterwards.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/SettingsValues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using plimsa::SettingsValues;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto values = SettingsValues::decode(bytes);
    if (values) {
        const auto document = values->encode();
        if (!document) std::abort();
        const auto again = SettingsValues::decode(*document);
        if (!again || !(*again == *values)) std::abort();
    }
    plimsa::SwingConfig fallback = plimsa::SwingConfig::decodeFallback();
    fallback.id = plimsa::SwingConfig().id;
    plimsa::SwingConfig fresh;
    fresh.id = fallback.id;
    if (!(fallback == fresh)) std::abort();
    return 0;
}
