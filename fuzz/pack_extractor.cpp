// Arbitrary bytes as a character pack: extraction must never crash, and whatever it writes must stay
// inside the destination as plain files and folders.
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

std::filesystem::path makeRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plimsa-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root = std::filesystem::canonical(pattern);
    std::atexit(removeRoot);
    return root;
}

// Every entry is a real folder or regular file whose resolved path lies below the destination.
void checkContained(const std::filesystem::path& destination) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(destination)) {
        const auto status = entry.symlink_status();
        if (!std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status)) std::abort();
        const auto resolved = std::filesystem::weakly_canonical(entry.path()).string();
        if (!resolved.starts_with(destination.string() + "/")) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path folder = makeRoot();
    const auto destination = folder / "out";
    std::filesystem::create_directory(destination);
    const plimsa::PackExtractor extractor(
        {.maxEntries = 256, .maxEntryBytes = 1 << 20, .maxTotalBytes = 4 << 20});
    extractor.extract(std::as_bytes(std::span(data, size)), destination);
    checkContained(destination);
    // Anything written beside the destination escaped it.
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path() != destination) std::abort();
    std::filesystem::remove_all(destination);
    return 0;
}
