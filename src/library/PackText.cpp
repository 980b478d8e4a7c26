// Text helpers of the pack catalogue: the trailing-comma pass, the UTF-8 check and the link check.
#include <cstdint>

#include "library/Packs.h"

namespace plimsa {

namespace {

// The white space of the regular expression's \s in the C locale.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::string removeTrailingCommas(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != ',') {
            result += text[i++];
            continue;
        }
        std::size_t next = i + 1;
        while (next < text.size() && isSpace(text[next])) ++next;
        const bool closes = next < text.size() && (text[next] == ']' || text[next] == '}');
        // The white space after a comma cannot start a match, so it is copied in the same step; that
        // keeps the pass linear however the commas and spaces are arranged.
        if (!closes) result += ',';
        result.append(text.substr(i + 1, next - i - 1));
        i = next;
    }
    return result;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        int length = 0;
        std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
        } else {
            return false;
        }
        if (bytes.size() - i < static_cast<std::size_t>(length)) return false;
        const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
        if (second < low || second > high) return false;
        for (int k = 2; k < length; ++k) {
            const auto continuation = static_cast<std::uint8_t>(bytes[i + static_cast<std::size_t>(k)]);
            if (continuation < 0x80 || continuation > 0xBF) return false;
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

std::optional<std::string> webLink(std::string_view text) {
    for (const char c : text)
        if (c <= ' ' || c >= 0x7F) return std::nullopt;  // also every byte of a non-ASCII character
    if (startsWithNoCase(text, "mailto:")) {
        if (text.size() == 7) return std::nullopt;
        return std::string(text);
    }
    std::string_view rest;
    if (startsWithNoCase(text, "https://"))
        rest = text.substr(8);
    else if (startsWithNoCase(text, "http://"))
        rest = text.substr(7);
    else
        return std::nullopt;
    const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    const std::string_view host = authority.substr(authority.rfind('@') + 1);  // npos + 1 == 0
    if (host.empty() || host[0] == ':') return std::nullopt;
    if (authority.find('\\') != std::string_view::npos) return std::nullopt;
    return std::string(text);
}

}  // namespace plimsa
