// Feeds arbitrary bytes to the pack catalogue decoder. The linear trailing-comma pass must agree with the
// regular expression it replaces (checked on short inputs, where the regular expression's recursion is
// safe), and every link the catalogue yields must pass the link check unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "library/Packs.h"
#include "support/TrailingCommaReference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (size <= 512) {
        if (plimsa::removeTrailingCommas(bytes) !=
            plimsa::testing::trailingCommasRemovedByRegex(std::string(bytes)))
            std::abort();
    }
    const auto file = plimsa::Packs::File::decode(bytes);
    if (!file) return 0;
    for (const auto& pack : file->packs)
        if (const auto link = plimsa::webLink(pack.url);
            link && (*link != pack.url || link->find(' ') != std::string::npos))
            std::abort();
    return 0;
}
