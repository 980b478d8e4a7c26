#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plimsa {

/// The chunks of a binary glTF (.glb) container, checked strictly: magic "glTF", version 2, a declared
/// length within the bytes, a JSON chunk first, and every chunk (header and data) inside the declared
/// length. Views into the caller's bytes. Any thread.
struct GlbContainer {
    std::string_view json;
    std::span<const uint8_t> binary;  // empty when the file has no BIN chunk
    std::span<const uint8_t> whole;   // the bytes up to the declared length

    static bool hasMagic(std::span<const uint8_t> bytes);
    /// No container and `error` set when the bytes are not a well-formed .glb.
    static std::optional<GlbContainer> split(std::span<const uint8_t> bytes, std::string& error);
};

}  // namespace plimsa
