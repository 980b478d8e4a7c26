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
    const std::pair<const char*, GltfTestDocument> seeds[] = {
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
