#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace plimsa {

/// A uniquely named folder in the system's temporary directory ("plimsapack-" and an upper-case UUID),
/// created on construction and removed with everything in it on destruction, on every path out.
/// If the folder cannot be created, `path()` still names it and `exists()` is false. Sole owner; move only.
class ScratchFolder {
  public:
    explicit ScratchFolder(std::string_view prefix = "plimsapack-");
    ~ScratchFolder();
    ScratchFolder(ScratchFolder&& other) noexcept;
    ScratchFolder& operator=(ScratchFolder&& other) noexcept;
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    bool exists() const;

    /// A new random (version 4) UUID in its canonical upper-case hyphenated form.
    static std::string makeUuid();

  private:
    void remove() noexcept;

    std::filesystem::path path_;
};

}  // namespace plimsa
