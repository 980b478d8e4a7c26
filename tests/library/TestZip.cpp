#include "TestZip.h"

#include <archive.h>
#include <archive_entry.h>

#include <fstream>
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

TestZip& TestZip::file(std::string_view name, std::string_view contents, int mode) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, std::string(name).c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, static_cast<mode_t>(mode));
    archive_entry_set_size(entry, static_cast<la_int64_t>(contents.size()));
    check(archive_write_header(writer_, entry), writer_);
    if (!contents.empty()) archive_write_data(writer_, contents.data(), contents.size());
    archive_entry_free(entry);
    return *this;
}

TestZip& TestZip::folder(std::string_view name) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, std::string(name).c_str());
    archive_entry_set_filetype(entry, AE_IFDIR);
    archive_entry_set_perm(entry, 0755);
    check(archive_write_header(writer_, entry), writer_);
    archive_entry_free(entry);
    return *this;
}

TestZip& TestZip::symlink(std::string_view name, std::string_view target) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, std::string(name).c_str());
    archive_entry_set_filetype(entry, AE_IFLNK);
    archive_entry_set_perm(entry, 0777);
    archive_entry_set_symlink(entry, std::string(target).c_str());
    check(archive_write_header(writer_, entry), writer_);
    archive_entry_free(entry);
    return *this;
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
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return path;
}

}  // namespace plimsa::testing
