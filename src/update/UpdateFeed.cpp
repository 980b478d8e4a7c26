#include "update/UpdateFeed.h"

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>

namespace plimsa::update_feed {
namespace {

using nlohmann::json;

// ASCII only, whatever the process locale (the app's is the user's).
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHex(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isAlphaNumeric(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Characters of a URL outside percent escapes: unreserved, general and sub-delimiters.
bool isUrlCharacter(char c) {
    static constexpr std::string_view kOthers = "-._~:/?#[]@!$&'()*+,;=";
    return isAlphaNumeric(c) || kOthers.find(c) != std::string_view::npos;
}

bool hasValidEscapes(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return false;
            i += 2;
        } else if (!isUrlCharacter(text[i])) {
            return false;
        }
    }
    return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return b == a || (b >= 'A' && b <= 'Z' && b - 'A' + 'a' == a); });
}

bool isPort(std::string_view port) {
    if (port.size() > 5 || !std::all_of(port.begin(), port.end(), isDigit)) return false;
    return port.empty() || std::atoi(std::string(port).c_str()) <= 65535;
}

// host[:port], with the host a name (letters, digits, "-._~", escapes, sub-delimiters) or a bracketed
// IPv6 literal.
bool isHostAndPort(std::string_view authority) {
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    std::string_view host = authority;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos || close == 1) return false;
        host = authority.substr(1, close - 1);
        if (!std::all_of(host.begin(), host.end(), [](char c) { return isHex(c) || c == ':' || c == '.'; }))
            return false;
        const auto rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return false;
        return rest.empty() || isPort(rest.substr(1));
    }
    if (const auto colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
        if (!isPort(port)) return false;
    }
    return !host.empty() && host.find_first_of("[]@") == std::string_view::npos;
}

}  // namespace

bool isWebUrl(std::string_view url) {
    std::size_t schemeLength = 0;
    if (startsWithNoCase(url, "https://"))
        schemeLength = 8;
    else if (startsWithNoCase(url, "http://"))
        schemeLength = 7;
    else
        return false;
    if (!hasValidEscapes(url)) return false;
    const auto rest = url.substr(schemeLength);
    return isHostAndPort(rest.substr(0, rest.find_first_of("/?#")));
}

std::optional<FeedEntry> parse(std::string_view bytes) {
    // Anything below the top level is dropped as it is read: the feed's keys are plain strings.
    const auto keepTopLevel = [](int depth, json::parse_event_t event, json&) {
        return depth == 0 ||
               (event != json::parse_event_t::object_start && event != json::parse_event_t::array_start);
    };
    const json document = json::parse(bytes, keepTopLevel, false);
    if (!document.is_object()) return std::nullopt;
    const auto version = document.find("version");
    const auto url = document.find("url");
    if (version == document.end() || !version->is_string()) return std::nullopt;
    if (url == document.end() || !url->is_string() || !isWebUrl(url->get_ref<const std::string&>()))
        return std::nullopt;
    FeedEntry entry{version->get<std::string>(), url->get<std::string>(), {}};
    if (const auto notes = document.find("notes"); notes != document.end() && notes->is_string())
        entry.notes = notes->get<std::string>();
    return entry;
}

std::string withTimestamp(std::string_view feed, std::int64_t seconds) {
    const auto fragment = std::min(feed.find('#'), feed.size());
    std::string url(feed.substr(0, fragment));
    const auto query = url.find('?');
    if (query == std::string::npos)
        url += '?';
    else if (url.back() != '?' && url.back() != '&')
        url += '&';
    url += "t=" + std::to_string(seconds);
    url += feed.substr(fragment);
    return url;
}

std::optional<std::string> chooseFeed(const char* environmentValue, std::string_view builtIn) {
    std::string feed = environmentValue != nullptr ? std::string(environmentValue) : std::string(builtIn);
    if (!isWebUrl(feed)) return std::nullopt;
    return feed;
}

std::optional<std::string> feedFromEnvironment(std::string_view builtIn) {
    return chooseFeed(std::getenv(kEnvironmentVariable), builtIn);
}

}  // namespace plimsa::update_feed
