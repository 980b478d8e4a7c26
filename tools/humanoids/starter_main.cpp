// Writes the starter characters (Poppy.glb, Basil.glb) into a folder.
// Usage: plimsa_starter_characters FOLDER
#include "humanoids/StarterCharacters.h"
#include "humanoids/StarterWriter.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    int failures = 0;
    for (const plimsa::StarterDesign& design : plimsa::StarterCharacters::all()) {
        const bool ok = plimsa::StarterWriter::write(design, folder);
        std::printf("%s %s\n", ok ? "wrote" : "FAILED", (folder / (design.name + ".glb")).c_str());
        failures += ok ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
