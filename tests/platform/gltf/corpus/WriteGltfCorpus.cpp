// Writes the generated seeds of the glTF fuzz corpus: small files that ask the loader for a lot of memory.
// Usage: gltf_corpus_writer <folder> (fuzz/corpus/gltf in the source tree).
#include "../GltfTestDocument.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    using plimsa::GltfTestDocument;
    // VRM avatars in miniature: a skinned triangle whose two joints the humanoid map names, with a toon
    // material (1.0) or toon material properties holding the only texture (0.x).
    GltfTestDocument vrm1 = GltfTestDocument::skinnedTriangle();
    vrm1.json["extensionsUsed"] = vrm1.json["extensionsRequired"] = {"VRMC_vrm", "VRMC_materials_mtoon"};
    vrm1.json["extensions"]["VRMC_vrm"] = {
        {"specVersion", "1.0"},
        {"humanoid", {{"humanBones", {{"hips", {{"node", 1}}}, {"spine", {{"node", 2}}}}}}}};
    vrm1.json["materials"][0]["extensions"]["VRMC_materials_mtoon"] = {{"specVersion", "1.0"}};
    GltfTestDocument vrm0 = GltfTestDocument::skinnedTriangle();
    vrm0.addTexture(GltfTestDocument::dataImage(GltfTestDocument::solidPng(2, 2, 40, 80, 160)));
    vrm0.json["materials"][0]["pbrMetallicRoughness"].erase("baseColorTexture");
    vrm0.json["extensionsUsed"] = {"VRM"};
    vrm0.json["extensions"]["VRM"] = {
        {"specVersion", "0.0"},
        {"humanoid",
         {{"humanBones", {{{"bone", "hips"}, {"node", 1}}, {{"bone", "leftUpperLeg"}, {"node", 2}}}}}},
        {"materialProperties",
         {{{"name", "Red"},
           {"shader", "VRM/MToon"},
           {"textureProperties", {{"_MainTex", 0}}},
           {"vectorProperties", {{"_Color", {1, 1, 1, 1}}}}}}}};
    const std::pair<const char*, GltfTestDocument> seeds[] = {
        {"vrm1-map.glb", vrm1},
        {"vrm0-map.glb", vrm0},
        // Loads: only the two joints' matrices are read, once for all eight nodes.
        {"inverse-binds-24m.glb", GltfTestDocument::endlessInverseBinds(24'000'000, 8)},
        // Refused: 1300 nodes times 2048 joints (one node repeated, to keep the file small), and four
        // million vertices with no data behind them.
        {"hostile-skinned-crowd.glb", GltfTestDocument::skinnedCrowd(1300, 2048, false)},
        {"hostile-empty-vertices.glb", GltfTestDocument::emptyVertices(4'000'000)},
    };
    for (const auto& [name, document] : seeds) {
        const std::vector<uint8_t> bytes = document.glbBytes();
        std::ofstream out(std::filesystem::path(argv[1]) / name, std::ios::binary);
        if (!out.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()))) {
            std::fprintf(stderr, "cannot write %s\n", name);
            return 1;
        }
    }
    return 0;
}
