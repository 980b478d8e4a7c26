#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct archive;

namespace plimsa::testing {

/// Builds a zip archive in memory with libarchive's writer, entry by entry, including entries no honest
/// archiver would write (absolute names, "..", ".", links pointing anywhere).
class TestZip {
  public:
    TestZip();
    ~TestZip();
    TestZip(const TestZip&) = delete;
    TestZip& operator=(const TestZip&) = delete;

    TestZip& file(std::string_view name, std::string_view contents, int mode = 0644);
    TestZip& folder(std::string_view name);
    TestZip& symlink(std::string_view name, std::string_view target);

    /// Finishes the archive; no entries may be added afterwards.
    const std::vector<std::byte>& bytes();
    /// Finishes the archive and writes it to `path`.
    std::filesystem::path save(const std::filesystem::path& path);

  private:
    TestZip& add(std::string_view name, unsigned type, int mode, std::string_view contents,
                 std::string_view target = {});

    archive* writer_;
    std::vector<std::byte> bytes_;
    bool finished_ = false;
};

}  // namespace plimsa::testing
