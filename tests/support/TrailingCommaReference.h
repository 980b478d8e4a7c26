#pragma once

// GCC 12 at -O2 with the sanitizers wrongly reports uninitialised reads inside <regex>.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#include <string>

namespace plimsa::testing {

/// The catalogue's trailing-comma replacement as a regular expression: the reference the linear pass
/// must agree with. Recursive inside: use it on short texts only.
inline std::string trailingCommasRemovedByRegex(const std::string& text) {
    static const std::regex pattern(R"(,(\s*[\]\}]))");
    return std::regex_replace(text, pattern, "$1");
}

}  // namespace plimsa::testing
