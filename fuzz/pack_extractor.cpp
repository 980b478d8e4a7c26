// Arbitrary bytes as a character pack: extraction must never crash, the destination must stay a folder,
// and whatever it writes must stay inside it as plain files and folders.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "library/PackExtractor.h"

namespace {

std::filesystem::path root;

void removeRoot() {
    std::error_code error;
    std::filesystem::remove_all(root, error);
}

// One folder for the whole run, holding the one destination that every input is extracted into.
std::filesystem::path makeDestination() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plimsa-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root = std::filesystem::canonical(pattern);
    std::atexit(removeRoot);
    const auto destination = root / "out";
    std::filesystem::create_directory(destination);
    return destination;
}

// Every entry is a real folder or regular file whose resolved path lies below the destination.
void checkContained(const std::filesystem::path& destination) {
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(destination))) std::abort();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(destination)) {
        const auto status = entry.symlink_status();
        if (!std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status)) std::abort();
        const auto resolved = std::filesystem::weakly_canonical(entry.path()).string();
        if (!resolved.starts_with(destination.string() + "/")) std::abort();
    }
    // Anything written beside the destination escaped it.
    for (const auto& entry : std::filesystem::directory_iterator(root))
        if (entry.path() != destination) std::abort();
}

void empty(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        std::filesystem::remove_all(entry.path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path destination = makeDestination();
    // Small limits: the limits themselves are tested elsewhere; here they keep each input cheap.
    const plimsa::PackExtractor extractor(
        {.maxEntries = 64, .maxEntryBytes = 64 << 10, .maxTotalBytes = 256 << 10});
    extractor.extract(std::as_bytes(std::span(data, size)), destination);
    checkContained(destination);
    empty(destination);
    return 0;
}
