#include "GltfTestDocument.h"

#include <stb/stb_image_write.h>

#include <cstring>

namespace plimsa {

GltfTestDocument::GltfTestDocument() {
    json = {{"asset", {{"version", "2.0"}}},
            {"buffers", nlohmann::json::array()},
            {"bufferViews", nlohmann::json::array()},
            {"accessors", nlohmann::json::array()},
            {"nodes", nlohmann::json::array()},
            {"scenes", {{{"nodes", nlohmann::json::array()}}}},
            {"scene", 0}};
}

int GltfTestDocument::addView(const void* data, size_t bytes) {
    binary.resize((binary.size() + 3) & ~size_t{3});
    const size_t offset = binary.size();
    const auto* begin = static_cast<const uint8_t*>(data);
    binary.insert(binary.end(), begin, begin + bytes);
    json["bufferViews"].push_back({{"buffer", 0}, {"byteOffset", offset}, {"byteLength", bytes}});
    return static_cast<int>(json["bufferViews"].size()) - 1;
}

int GltfTestDocument::addAccessor(const void* data, size_t bytes, size_t count, int componentType,
                                  const std::string& type, bool normalized) {
    const int view = addView(data, bytes);
    nlohmann::json accessor = {
        {"bufferView", view}, {"componentType", componentType}, {"count", count}, {"type", type}};
    if (normalized) accessor["normalized"] = true;
    json["accessors"].push_back(accessor);
    return static_cast<int>(json["accessors"].size()) - 1;
}

int GltfTestDocument::addMaterial(nlohmann::json material) {
    json["materials"].push_back(std::move(material));
    return static_cast<int>(json["materials"].size()) - 1;
}

int GltfTestDocument::addNode(nlohmann::json node) {
    json["nodes"].push_back(std::move(node));
    return static_cast<int>(json["nodes"].size()) - 1;
}

void GltfTestDocument::addTexture(const nlohmann::json& image) {
    json["images"] = {image};
    json["textures"] = {{{"source", 0}}};
    json["materials"][0]["pbrMetallicRoughness"]["baseColorTexture"] = {{"index", 0}};
}

nlohmann::json GltfTestDocument::dataImage(const std::vector<uint8_t>& png) {
    return {{"uri", "data:image/png;base64," + base64(png)}};
}

GltfTestDocument GltfTestDocument::triangle() {
    GltfTestDocument document;
    const std::vector<float> positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const std::vector<float> normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    const std::vector<float> texcoords = {0, 0, 1, 0, 0, 1};
    const std::vector<uint16_t> indices = {0, 1, 2};
    const int position = document.addAccessor(positions, 3, 5126, "VEC3");
    document.json["accessors"][static_cast<size_t>(position)]["min"] = {0, 0, 0};
    document.json["accessors"][static_cast<size_t>(position)]["max"] = {1, 1, 0};
    const int normal = document.addAccessor(normals, 3, 5126, "VEC3");
    const int uv = document.addAccessor(texcoords, 3, 5126, "VEC2");
    const int index = document.addAccessor(indices, 3, 5123, "SCALAR");
    const int material = document.addMaterial(
        {{"name", "Red"}, {"pbrMetallicRoughness", {{"baseColorFactor", {1, 0, 0, 1}}}}});
    nlohmann::json primitive;
    primitive["attributes"] = {{"POSITION", position}, {"NORMAL", normal}, {"TEXCOORD_0", uv}};
    primitive["indices"] = index;
    primitive["material"] = material;
    nlohmann::json mesh;
    mesh["name"] = "TriangleMesh";
    mesh["primitives"] = nlohmann::json::array({primitive});
    document.json["meshes"] = nlohmann::json::array({mesh});
    const int node = document.addNode({{"name", "Triangle"}, {"mesh", 0}});
    document.json["scenes"][0]["nodes"].push_back(node);
    return document;
}

GltfTestDocument GltfTestDocument::skinnedTriangle(uint16_t lastJoint) {
    GltfTestDocument document = triangle();
    const std::vector<uint16_t> joints = {0, 0, 0, 0, 1, 0, 0, 0, lastJoint, 0, 0, 0};
    const std::vector<float> weights = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    auto& attributes = document.json["meshes"][0]["primitives"][0]["attributes"];
    attributes["JOINTS_0"] = document.addAccessor(joints, 3, 5123, "VEC4");
    attributes["WEIGHTS_0"] = document.addAccessor(weights, 3, 5126, "VEC4");
    const int hip = document.addNode({{"name", "Hip"}, {"children", {2}}});
    const int knee = document.addNode({{"name", "Knee"}, {"translation", {0, -1, 0}}});
    document.json["scenes"][0]["nodes"].push_back(hip);
    document.json["skins"] = {{{"joints", {hip, knee}}}};
    document.json["nodes"][0]["skin"] = 0;
    return document;
}

GltfTestDocument GltfTestDocument::endlessInverseBinds(size_t matrices, int nodes) {
    GltfTestDocument document = skinnedTriangle();
    document.json["accessors"].push_back({{"componentType", 5126}, {"count", matrices}, {"type", "MAT4"}});
    document.json["skins"][0]["inverseBindMatrices"] = document.json["accessors"].size() - 1;
    for (int i = 1; i < nodes; ++i)
        document.json["scenes"][0]["nodes"].push_back(document.addNode({{"mesh", 0}, {"skin", 0}}));
    return document;
}

GltfTestDocument GltfTestDocument::skinnedCrowd(int nodes, int joints, bool distinct) {
    GltfTestDocument document = skinnedTriangle();
    auto& skin = document.json["skins"][0]["joints"];
    for (int i = 2; i < joints; ++i) {
        skin.push_back(distinct ? document.addNode(nlohmann::json::object()) : 2);
        if (distinct) document.json["scenes"][0]["nodes"].push_back(skin.back());
    }
    for (int i = 1; i < nodes; ++i)
        document.json["scenes"][0]["nodes"].push_back(document.addNode({{"mesh", 0}, {"skin", 0}}));
    return document;
}

GltfTestDocument GltfTestDocument::emptyVertices(size_t vertices) {
    GltfTestDocument document;
    document.json["accessors"].push_back({{"componentType", 5126}, {"count", vertices}, {"type", "VEC3"}});
    document.json["meshes"] = {{{"primitives", {{{"attributes", {{"POSITION", 0}}}}}}}};
    document.json["scenes"][0]["nodes"].push_back(document.addNode({{"mesh", 0}}));
    return document;
}

nlohmann::json GltfTestDocument::finalJson(bool forGlb) const {
    nlohmann::json out = json;
    if (out["buffers"].empty() && !binary.empty()) {
        nlohmann::json buffer = {{"byteLength", binary.size()}};
        if (!forGlb) buffer["uri"] = "data:application/octet-stream;base64," + base64(binary);
        out["buffers"].push_back(buffer);
    }
    if (out["buffers"].empty()) out.erase("buffers");
    if (out["bufferViews"].empty()) out.erase("bufferViews");
    if (out["accessors"].empty()) out.erase("accessors");
    return out;
}

std::vector<uint8_t> GltfTestDocument::gltfBytes() const {
    const std::string text = finalJson(false).dump();
    return {text.begin(), text.end()};
}

std::vector<uint8_t> GltfTestDocument::glbBytes() const {
    std::string text = finalJson(true).dump();
    text.resize((text.size() + 3) & ~size_t{3}, ' ');
    std::vector<uint8_t> bin = binary;
    bin.resize((bin.size() + 3) & ~size_t{3}, 0);
    const auto word = [](std::vector<uint8_t>& out, uint32_t value) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    std::vector<uint8_t> out = {'g', 'l', 'T', 'F'};
    word(out, 2);
    word(out, static_cast<uint32_t>(12 + 8 + text.size() + (bin.empty() ? 0 : 8 + bin.size())));
    word(out, static_cast<uint32_t>(text.size()));
    word(out, 0x4E4F534A);
    out.insert(out.end(), text.begin(), text.end());
    if (!bin.empty()) {
        word(out, static_cast<uint32_t>(bin.size()));
        word(out, 0x004E4942);
        out.insert(out.end(), bin.begin(), bin.end());
    }
    return out;
}

std::string GltfTestDocument::base64(const std::vector<uint8_t>& bytes) {
    static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= bytes[i + 2];
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::vector<uint8_t> GltfTestDocument::pngHeader(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<uint8_t>(value >> shift));
    png.insert(png.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});  // RGBA 8 bit, then a CRC nobody checks
    png.insert(png.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    return png;
}

std::vector<uint8_t> GltfTestDocument::solidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b,
                                                uint8_t a) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b, a});
    std::vector<uint8_t> png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<uint8_t>*>(context);
            out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &png, width, height, 4, pixels.data(), width * 4);
    return png;
}

}  // namespace plimsa
