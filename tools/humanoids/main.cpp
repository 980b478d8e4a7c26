// Writes the test humanoids (rigged .glb files) into a folder.
// Usage: plimsa_humanoids FOLDER [FILE_NAME...]   (no names: the whole standard set)
#include "humanoids/HumanoidSpec.h"
#include "humanoids/HumanoidWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [FILE_NAME...]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::vector<plimsa::HumanoidSpec> specs;
    if (argc == 2) specs = plimsa::HumanoidSpec::standardSet();
    for (int i = 2; i < argc; ++i) specs.push_back(plimsa::HumanoidSpec::named(argv[i]));
    int failures = 0;
    for (const auto& spec : specs) {
        const bool ok = plimsa::HumanoidWriter::write(spec, folder);
        std::printf("%s %s\n", ok ? "wrote" : "FAILED", (folder / spec.fileName).c_str());
        failures += ok ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
