#include "platform/gltf/GlbContainer.h"

#include <cstring>

namespace plimsa {
namespace {

constexpr uint32_t kJsonChunk = 0x4E4F534A;    // "JSON"
constexpr uint32_t kBinaryChunk = 0x004E4942;  // "BIN\0"
constexpr size_t kHeaderBytes = 12;
constexpr size_t kChunkHeaderBytes = 8;

uint32_t readWord(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

bool GlbContainer::hasMagic(std::span<const uint8_t> bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
}

std::optional<GlbContainer> GlbContainer::split(std::span<const uint8_t> bytes, std::string& error) {
    if (!hasMagic(bytes)) {
        error = "not a binary glTF file (wrong magic)";
        return std::nullopt;
    }
    if (bytes.size() < kHeaderBytes + kChunkHeaderBytes) {
        error = "binary glTF file is truncated";
        return std::nullopt;
    }
    if (readWord(bytes, 4) != 2) {
        error = "binary glTF version " + std::to_string(readWord(bytes, 4)) + " is not supported";
        return std::nullopt;
    }
    const size_t length = readWord(bytes, 8);
    if (length > bytes.size() || length < kHeaderBytes + kChunkHeaderBytes) {
        error = "binary glTF file is truncated (declares " + std::to_string(length) + " bytes, has " +
                std::to_string(bytes.size()) + ")";
        return std::nullopt;
    }
    const std::span<const uint8_t> whole = bytes.first(length);
    const size_t jsonLength = readWord(whole, 12);
    if (readWord(whole, 16) != kJsonChunk || jsonLength == 0 ||
        jsonLength > length - kHeaderBytes - kChunkHeaderBytes) {
        error = "binary glTF file has no valid JSON chunk";
        return std::nullopt;
    }
    GlbContainer container;
    container.whole = whole;
    container.json = std::string_view(reinterpret_cast<const char*>(whole.data()) + kHeaderBytes + kChunkHeaderBytes,
                                      jsonLength);
    const size_t next = kHeaderBytes + kChunkHeaderBytes + jsonLength;
    if (length - next >= kChunkHeaderBytes) {
        const size_t binaryLength = readWord(whole, next);
        if (readWord(whole, next + 4) == kBinaryChunk) {
            if (binaryLength > length - next - kChunkHeaderBytes) {
                error = "binary glTF BIN chunk runs past the end of the file";
                return std::nullopt;
            }
            container.binary = whole.subspan(next + kChunkHeaderBytes, binaryLength);
        }
    }
    return container;
}

}  // namespace plimsa
