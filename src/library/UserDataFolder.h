#pragma once

#include <filesystem>

namespace plimsa {

/// The user's data folder for this application, following the XDG base-directory rules:
/// $XDG_DATA_HOME when it is set to an absolute path, else $HOME/.local/share (the home folder from the
/// password database when HOME is unset), with "Plimsa" appended. Read from the environment on every call
/// (tests point XDG_DATA_HOME at a temporary folder); never created here. Empty when no home folder can
/// be found. Any thread.
std::filesystem::path userDataFolder();

}  // namespace plimsa
