#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plimsa {

/// One newer version on offer, as the feed announces it. Equal when all three fields are equal.
struct FeedEntry {
    /// The announced version, verbatim.
    std::string version;
    /// The page to open for it: always an http or https URL.
    std::string url;
    /// Release notes; empty when the feed has none.
    std::string notes;

    bool operator==(const FeedEntry&) const = default;
};

/// Reading the version feed and building its request. Pure functions, any thread.
namespace update_feed {

/// The environment variable whose value, when present, replaces the built-in feed URL.
inline constexpr const char* kEnvironmentVariable = "PLIMSA_UPDATE_FEED";

/// The feed document: a JSON object with a string "version", a string "url" that is an http(s) URL, and
/// optionally a string "notes" (anything else there gives empty notes); other keys are ignored. Nothing
/// when the bytes are not such a document. Only the top level is kept while parsing, so deep or large
/// nested values cost no memory.
std::optional<FeedEntry> parse(std::string_view bytes);

/// Whether `url` is an absolute http or https URL with a host, made only of the characters a URL may hold
/// (no spaces, no controls, no non-ASCII, every "%" followed by two hex digits).
bool isWebUrl(std::string_view url);

/// `feed` with the query item "t=<seconds>" added (after "&" when it already has a query), before any
/// fragment.
std::string withTimestamp(std::string_view feed, std::int64_t seconds);

/// The feed URL to ask: `environmentValue` when it is not null (set, even to ""), else `builtIn`. Nothing
/// when that is not a web URL, which means no checks at all.
std::optional<std::string> chooseFeed(const char* environmentValue, std::string_view builtIn);

/// `chooseFeed` with the process environment's `kEnvironmentVariable`.
std::optional<std::string> feedFromEnvironment(std::string_view builtIn);

}  // namespace update_feed
}  // namespace plimsa
