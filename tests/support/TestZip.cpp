#include "support/TestZip.h"

#include <archive.h>
#include <archive_entry.h>

#include <fstream>
#include <memory>
#include <stdexcept>

namespace plimsa::testing {

namespace {

la_ssize_t appendBytes(archive*, void* client, const void* buffer, size_t length) {
    auto* bytes = static_cast<std::vector<std::byte>*>(client);
    const auto* first = static_cast<const std::byte*>(buffer);
    bytes->insert(bytes->end(), first, first + length);
    return static_cast<la_ssize_t>(length);
}

void check(int status, archive* writer) {
    if (status < ARCHIVE_WARN) throw std::runtime_error(archive_error_string(writer));
}

}  // namespace

TestZip::TestZip() : writer_(archive_write_new()) {
    check(archive_write_set_format_zip(writer_), writer_);
    archive_write_set_bytes_in_last_block(writer_, 1);
    check(archive_write_open(writer_, &bytes_, nullptr, appendBytes, nullptr), writer_);
}

TestZip::~TestZip() {
    archive_write_free(writer_);
}

TestZip& TestZip::add(std::string_view name, unsigned type, int mode, std::string_view contents,
                      std::string_view target) {
    const std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                              archive_entry_free);
    archive_entry_set_pathname(entry.get(), std::string(name).c_str());
    archive_entry_set_filetype(entry.get(), type);
    archive_entry_set_perm(entry.get(), static_cast<mode_t>(mode));
    if (type == AE_IFREG) archive_entry_set_size(entry.get(), static_cast<la_int64_t>(contents.size()));
    if (type == AE_IFLNK) archive_entry_set_symlink(entry.get(), std::string(target).c_str());
    check(archive_write_header(writer_, entry.get()), writer_);
    if (!contents.empty()) archive_write_data(writer_, contents.data(), contents.size());
    return *this;
}

TestZip& TestZip::file(std::string_view name, std::string_view contents, int mode) {
    return add(name, AE_IFREG, mode, contents);
}

TestZip& TestZip::folder(std::string_view name) {
    return add(name, AE_IFDIR, 0755, {});
}

TestZip& TestZip::symlink(std::string_view name, std::string_view target) {
    return add(name, AE_IFLNK, 0777, {}, target);
}

const std::vector<std::byte>& TestZip::bytes() {
    if (!finished_) {
        check(archive_write_close(writer_), writer_);
        finished_ = true;
    }
    return bytes_;
}

std::filesystem::path TestZip::save(const std::filesystem::path& path) {
    const auto& data = bytes();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return path;
}

}  // namespace plimsa::testing
