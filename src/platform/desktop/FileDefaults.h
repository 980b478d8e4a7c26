#pragma once

#include <filesystem>

#include "platform/desktop/Defaults.h"

namespace plimsa {

/// User defaults kept as plain files a person can read, back up and edit: a domain is a folder, and the
/// value under a key is the whole of one file in it, "settings.json" for the settings store's document
/// and `<key>.json` for any other key. Suites are folders inside the domain's folder. Writes are atomic
/// (`writeFileAtomically`). Keys and suite names that are not plain file names are refused.
///
/// A file that is not valid JSON is never silently lost: before the first write over it, it is kept
/// beside as `<file>.broken` (one copy, the latest), so a hand edit with a typo can be recovered.
/// Files larger than 16 MiB read as no value. Main thread only.
class FileDefaults final : public Defaults {
  public:
    explicit FileDefaults(std::filesystem::path folder);

    /// The application's own domain: `userConfigFolder()` + "plimsa"; empty without a home folder.
    static std::filesystem::path standardFolder();
    /// The file that holds `key`'s value in `folder`; empty for a key that is not a plain file name.
    static std::filesystem::path fileFor(const std::filesystem::path& folder, std::string_view key);

    const std::filesystem::path& folder() const { return folder_; }

    std::optional<std::string> data(std::string_view key) const override;
    bool setData(std::string_view key, std::string_view bytes) override;
    std::unique_ptr<Defaults> suite(std::string_view name) const override;

  private:
    std::filesystem::path folder_;
};

}  // namespace plimsa
