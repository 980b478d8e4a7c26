#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace plimsa {

/// "Start at login" on desktops that follow the XDG autostart rules: a desktop entry
/// `$XDG_CONFIG_HOME/autostart/plimsa.desktop` (`~/.config/autostart` when XDG_CONFIG_HOME is unset or
/// not absolute) that starts `executable`. Written only when the user asks for it. Main thread.
class Autostart {
  public:
    static constexpr const char* kFileName = "plimsa.desktop";

    /// `executable`: the absolute path of the running program.
    explicit Autostart(std::filesystem::path executable);

    /// The entry's path; nothing when no configuration folder can be found (no home folder).
    static std::optional<std::filesystem::path> entryPath();
    /// Whether the entry exists.
    bool isEnabled() const;
    /// Writes the entry atomically (a temporary file in the same folder, flushed, then renamed over it),
    /// creating the folder when needed. False, with nothing changed, when the executable path is not
    /// absolute or cannot be written in an Exec line, or the file cannot be written.
    bool enable() const;
    /// Removes the entry; true when it is gone afterwards.
    bool disable() const;

    /// The entry's text, or nothing when `executable` cannot be written in an Exec line.
    static std::optional<std::string> entryText(const std::filesystem::path& executable);

  private:
    std::filesystem::path executable_;
};

}  // namespace plimsa
