#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace plimsa {

/// Unpacks a zip archive (a character pack) into a folder, keeping every entry inside that folder.
///
/// Entries named with an absolute path, with a ".." component, or naming the destination itself (".",
/// "./.") make the whole archive fail; so do more entries, or more bytes in one entry or in all of them,
/// than the limits allow (a zip bomb fails as a whole rather than filling the disk). Only regular files
/// and directories are written: symbolic links, hard links and device entries are skipped, so nothing
/// extracted can point outside the folder.
/// Files are written 0644 and folders 0755 (before the umask) whatever the archive says, so that the
/// caller can always read and remove them. A damaged or non-zip archive is one failure.
///
/// On failure the destination may hold part of the archive; the caller removes it (see ScratchFolder).
/// Any thread; one extraction per destination at a time.
class PackExtractor {
  public:
    struct Limits {
        std::uint64_t maxEntries = 10'000;
        std::uint64_t maxEntryBytes = std::uint64_t{512} << 20;  // one model
        std::uint64_t maxTotalBytes = std::uint64_t{2} << 30;    // the whole pack, uncompressed
    };

    enum class Outcome {
        extracted,
        unreadable,  // not a zip, damaged, or truncated
        unsafePath,  // an entry would land outside the destination
        tooManyEntries,
        tooLarge,     // an entry or the total exceeds its limit
        writeFailed,  // the destination could not be written (missing, full, not a folder)
    };

    PackExtractor() = default;
    explicit PackExtractor(Limits limits) : limits_(limits) {}

    /// `destination` must be an existing folder, normally empty.
    Outcome extract(const std::filesystem::path& archive, const std::filesystem::path& destination) const;
    Outcome extract(std::span<const std::byte> archiveBytes, const std::filesystem::path& destination) const;

    /// True when `entryName` (as stored in the archive) names a place inside the destination: relative,
    /// with no ".." component, and with at least one component other than "." (so not the destination).
    static bool isSafeEntryName(std::string_view entryName);

    const Limits& limits() const { return limits_; }

  private:
    Limits limits_;
};

}  // namespace plimsa
