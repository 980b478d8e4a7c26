#include "platform/gltf/GltfParser.h"

#include "platform/gltf/GlbContainer.h"
#include "platform/gltf/GltfDocumentData.h"
#include "platform/gltf/GltfFileAccess.h"
#include "platform/gltf/GltfImageDecoder.h"
#include "platform/gltf/JsonPreflight.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <memory>
#include <sstream>

namespace plimsa {
namespace {

// tinygltf's own lines about an external file our file access already reported as missing say it twice
// more ("File not found", then "Failed to load external 'uri' for image"); one line per missing file is kept.
void appendLines(const std::string& text, std::vector<std::string>& lines) {
    std::istringstream stream(text);
    bool afterMissing = false;
    for (std::string line; std::getline(stream, line);) {
        const bool missing = line.rfind("File not found : ", 0) == 0;
        const bool echo = afterMissing && line.rfind("Failed to load external 'uri' for image", 0) == 0;
        afterMissing = missing;
        if (!line.empty() && !missing && !echo) lines.push_back(line);
    }
}

std::string firstLine(const std::string& text, const char* fallback) {
    const std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? fallback : line;
}

bool runTinyGltf(std::span<const uint8_t> bytes, GltfDocumentData& data, const GltfLimits& limits,
                 std::string& error) {
    GltfFileAccess files(data.folder, limits, data.warnings);
    tinygltf::TinyGLTF loader;
    loader.SetFsCallbacks(files.callbacks());
    loader.SetImageLoader(&GltfImageDecoder::inspect, const_cast<GltfLimits*>(&limits));
    std::string errors;
    std::string warnings;
    const std::string folder = data.folder.string();
    bool loaded = false;
    if (GlbContainer::hasMagic(bytes)) {
        const std::optional<GlbContainer> glb = GlbContainer::split(bytes, error);
        if (!glb || !JsonPreflight::check(glb->json, limits, error)) return false;
        loaded = loader.LoadBinaryFromMemory(&data.model, &errors, &warnings, glb->whole.data(),
                                             static_cast<unsigned int>(glb->whole.size()), folder);
    } else {
        const std::string_view json(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (!JsonPreflight::check(json, limits, error)) return false;
        loaded = loader.LoadASCIIFromString(&data.model, &errors, &warnings, json.data(),
                                            static_cast<unsigned int>(json.size()), folder);
    }
    appendLines(warnings, data.warnings);
    if (!loaded) error = firstLine(errors, "the glTF document could not be read");
    return loaded;
}

}  // namespace

std::optional<GltfDocument> GltfParser::parse(std::span<const uint8_t> bytes,
                                              const std::filesystem::path& folder, const GltfLimits& limits,
                                              std::string& error) {
    if (bytes.empty()) {
        error = "the file is empty";
        return std::nullopt;
    }
    // tinygltf takes 32-bit lengths.
    if (bytes.size() > std::min<size_t>(limits.maxFileBytes, UINT32_MAX)) {
        error = "the file is larger than allowed";
        return std::nullopt;
    }
    try {
        auto data = std::make_unique<GltfDocumentData>();
        data->folder = folder;
        if (!runTinyGltf(bytes, *data, limits, error)) return std::nullopt;
        return GltfDocument(std::move(data));
    } catch (const std::exception& exception) {
        // tinygltf reports some malformed input (an empty embedded image, for one) by throwing.
        error = std::string("the glTF document could not be read: ") + exception.what();
        return std::nullopt;
    }
}

}  // namespace plimsa
