#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plimsa {

/// A 128-bit universally unique identifier, the identity of a swing or corner sitter.
/// Written in the canonical 36-character form with upper-case hex digits
/// ("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"); read in any case. Plain value, any thread.
class Uuid {
  public:
    /// The nil UUID (all zero bits).
    Uuid() = default;
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}

    /// A fresh random (version 4, RFC 4122 variant) UUID. Thread-safe.
    static Uuid random();
    /// The UUID written in `text` (8-4-4-4-12 hex digits with hyphens, any case), or nothing when `text`
    /// is anything else (braces, missing hyphens, surrounding spaces included).
    static std::optional<Uuid> parse(std::string_view text);

    /// Canonical upper-case form, 36 characters.
    std::string string() const;
    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }
    bool isNil() const { return *this == Uuid(); }

    auto operator<=>(const Uuid&) const = default;

  private:
    std::array<std::uint8_t, 16> bytes_{};
};

/// Hash for unordered containers keyed by identity.
struct UuidHash {
    std::size_t operator()(const Uuid& uuid) const noexcept;
};

}  // namespace plimsa
