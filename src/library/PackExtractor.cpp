#include "library/PackExtractor.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>
#include <string>
#include <system_error>

namespace plimsa {

namespace {

struct ReaderDeleter {
    void operator()(archive* reader) const { archive_read_free(reader); }
};
struct WriterDeleter {
    void operator()(archive* writer) const { archive_write_free(writer); }
};
using Reader = std::unique_ptr<archive, ReaderDeleter>;
using Writer = std::unique_ptr<archive, WriterDeleter>;

using Outcome = PackExtractor::Outcome;

Reader makeZipReader() {
    Reader reader(archive_read_new());
    if (reader) archive_read_support_format_zip(reader.get());
    return reader;
}

// Names are checked by isSafeEntryName before they get the destination prefix. The prefix makes every
// path absolute, so libarchive's own NOABSOLUTEPATHS check cannot be used; NODOTDOT and SYMLINKS still
// guard the write itself.
Writer makeDiskWriter() {
    Writer writer(archive_write_disk_new());
    if (writer) {
        archive_write_disk_set_options(writer.get(),
                                       ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_SECURE_SYMLINKS);
    }
    return writer;
}

const char* entryName(archive_entry* entry) {
    const char* name = archive_entry_pathname_utf8(entry);
    return name != nullptr ? name : archive_entry_pathname(entry);
}

bool isWritableType(archive_entry* entry) {
    const auto type = archive_entry_filetype(entry);
    if (type == AE_IFDIR) return true;
    return type == AE_IFREG && archive_entry_hardlink(entry) == nullptr;
}

class Extraction {
  public:
    Extraction(archive* reader, archive* writer, std::filesystem::path base,
               const PackExtractor::Limits& limits)
        : reader_(reader), writer_(writer), base_(std::move(base)), limits_(limits) {}

    Outcome run() {
        for (;;) {
            archive_entry* entry = nullptr;
            const int status = archive_read_next_header(reader_, &entry);
            if (status == ARCHIVE_EOF) break;
            if (status < ARCHIVE_WARN) return Outcome::unreadable;
            if (++entries_ > limits_.maxEntries) return Outcome::tooManyEntries;
            const Outcome outcome = extractEntry(entry);
            if (outcome != Outcome::extracted) return outcome;
        }
        return archive_write_close(writer_) == ARCHIVE_OK ? Outcome::extracted : Outcome::writeFailed;
    }

  private:
    Outcome extractEntry(archive_entry* entry) {
        const char* name = entryName(entry);
        if (name == nullptr) return skip();
        if (!PackExtractor::isSafeEntryName(name)) return Outcome::unsafePath;
        if (!isWritableType(entry)) return skip();
        const bool isFile = archive_entry_filetype(entry) == AE_IFREG;
        if (isFile && archive_entry_size_is_set(entry) != 0 && archive_entry_size(entry) > 0 &&
            static_cast<std::uint64_t>(archive_entry_size(entry)) > limits_.maxEntryBytes) {
            return Outcome::tooLarge;
        }
        const std::string target = (base_ / name).string();
        archive_entry_set_pathname(entry, target.c_str());
        archive_entry_set_perm(entry, isFile ? 0644 : 0755);
        // Without a declared size the writer never pads a file to what the header claims.
        archive_entry_unset_size(entry);
        if (archive_write_header(writer_, entry) < ARCHIVE_WARN) return Outcome::writeFailed;
        const Outcome outcome = isFile ? copyData() : Outcome::extracted;
        if (outcome != Outcome::extracted) return outcome;
        return archive_write_finish_entry(writer_) < ARCHIVE_WARN ? Outcome::writeFailed : Outcome::extracted;
    }

    Outcome skip() {
        return archive_read_data_skip(reader_) < ARCHIVE_WARN ? Outcome::unreadable : Outcome::extracted;
    }

    // Counts what is actually inflated, not what the header claims, so a lying size cannot slip past.
    Outcome copyData() {
        std::uint64_t entryBytes = 0;
        for (;;) {
            const void* block = nullptr;
            size_t size = 0;
            la_int64_t offset = 0;
            const int status = archive_read_data_block(reader_, &block, &size, &offset);
            if (status == ARCHIVE_EOF) return Outcome::extracted;
            if (status < ARCHIVE_WARN || offset < 0) return Outcome::unreadable;
            const std::uint64_t end = static_cast<std::uint64_t>(offset) + size;
            if (end > entryBytes) {
                totalBytes_ += end - entryBytes;
                entryBytes = end;
            }
            if (entryBytes > limits_.maxEntryBytes || totalBytes_ > limits_.maxTotalBytes)
                return Outcome::tooLarge;
            if (archive_write_data_block(writer_, block, size, offset) < ARCHIVE_WARN)
                return Outcome::writeFailed;
        }
    }

    archive* reader_;
    archive* writer_;
    std::filesystem::path base_;
    const PackExtractor::Limits& limits_;
    std::uint64_t entries_ = 0;
    std::uint64_t totalBytes_ = 0;
};

// The SYMLINKS guard refuses any link on the way to a file, including one above the destination (a
// TMPDIR that is a link), so the destination is resolved first.
std::filesystem::path resolvedFolder(const std::filesystem::path& destination) {
    std::error_code error;
    auto folder = std::filesystem::canonical(destination, error);
    if (error || !std::filesystem::is_directory(folder, error)) return {};
    return folder;
}

Outcome extractWith(archive* reader, int openStatus, const std::filesystem::path& destination,
                    const PackExtractor::Limits& limits) {
    if (openStatus != ARCHIVE_OK) return Outcome::unreadable;
    const auto base = resolvedFolder(destination);
    if (base.empty()) return Outcome::writeFailed;
    Writer writer = makeDiskWriter();
    if (!writer) return Outcome::writeFailed;
    return Extraction(reader, writer.get(), base, limits).run();
}

}  // namespace

bool PackExtractor::isSafeEntryName(std::string_view entryName) {
    if (entryName.empty() || entryName.front() == '/') return false;
    // "", "." and "./." name the destination itself: a file entry there would replace the folder.
    bool namesSomething = false;
    size_t start = 0;
    while (start <= entryName.size()) {
        const size_t end = std::min(entryName.find('/', start), entryName.size());
        const std::string_view component = entryName.substr(start, end - start);
        if (component == "..") return false;
        if (!component.empty() && component != ".") namesSomething = true;
        start = end + 1;
    }
    return namesSomething;
}

PackExtractor::Outcome PackExtractor::extract(const std::filesystem::path& archivePath,
                                              const std::filesystem::path& destination) const {
    Reader reader = makeZipReader();
    if (!reader) return Outcome::unreadable;
    const int status = archive_read_open_filename(reader.get(), archivePath.c_str(), 64 * 1024);
    return extractWith(reader.get(), status, destination, limits_);
}

PackExtractor::Outcome PackExtractor::extract(std::span<const std::byte> archiveBytes,
                                              const std::filesystem::path& destination) const {
    Reader reader = makeZipReader();
    if (!reader) return Outcome::unreadable;
    const int status = archive_read_open_memory(reader.get(), archiveBytes.data(), archiveBytes.size());
    return extractWith(reader.get(), status, destination, limits_);
}

}  // namespace plimsa
