#pragma once

#include <filesystem>
#include <string_view>

namespace plimsa {

/// The user's home folder: $HOME when it is absolute, else the password database's entry; empty when
/// neither names one. Read on every call. Any thread.
std::filesystem::path homeFolder();

/// The user's configuration folder by the XDG base-directory rules: $XDG_CONFIG_HOME when absolute (a
/// relative value is invalid and ignored), else ~/.config; empty without a home folder. Never created here.
std::filesystem::path userConfigFolder();

/// Replaces `path` with `bytes` so that a crash or a full disk at any moment leaves either the old file or
/// the new one: a temporary beside the file, written, synced, renamed over it, and the folder synced.
/// Creates missing folders. When `path` is a symbolic link the file it points to is replaced and the link
/// kept (dotfile managers link configuration files). The file keeps its permissions; a new one gets 0644.
/// False, with the old file untouched and no temporary left, on any failure.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

/// Writes all of `bytes` to the open file `fd`, going on after short writes and interruptions.
bool writeAll(int fd, std::string_view bytes);

}  // namespace plimsa
