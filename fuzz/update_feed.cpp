// Feeds arbitrary bytes to the update feed reader. A feed that reads must carry a web link, and adding the
// request's time item to that link must keep it one. The same bytes, cut at the first newline, are two
// versions: no version is newer than itself, and of two versions at most one is newer.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "update/UpdateChecker.h"
#include "update/UpdateFeed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace plimsa;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto entry = update_feed::parse(bytes)) {
        if (!update_feed::isWebUrl(entry->url)) std::abort();
        if (!update_feed::isWebUrl(update_feed::withTimestamp(entry->url, -1234567890123))) std::abort();
    }
    if (update_feed::isWebUrl(bytes) && !update_feed::isWebUrl(update_feed::withTimestamp(bytes, 0)))
        std::abort();
    const auto cut = bytes.find('\n');
    const auto a = bytes.substr(0, cut);
    const auto b = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);
    if (UpdateChecker::isNewer(a, a) || (UpdateChecker::isNewer(a, b) && UpdateChecker::isNewer(b, a)))
        std::abort();
    return 0;
}
