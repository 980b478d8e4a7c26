#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plimsa {

/// The command line as the snapshot mode reads it: a flag is present when one argument equals it
/// exactly, and its value is the argument that follows the flag's first occurrence. Plain value; any
/// thread.
class SnapshotArguments {
  public:
    /// `arguments` without the program name.
    explicit SnapshotArguments(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}
    /// argv[1] ... argv[argc - 1].
    static SnapshotArguments fromMain(int argc, const char* const* argv);

    bool has(std::string_view name) const;
    /// The argument after the first one equal to `name`; nothing when the flag is absent or last.
    std::optional<std::string> flag(std::string_view name) const;
    /// The argument `offset` places after the first one equal to `name` (`flag` is offset 1); nothing
    /// when the flag is absent or the command line ends before.
    std::optional<std::string> after(std::string_view name, size_t offset) const;
    /// The argument after every occurrence of `name`, in order (a repeatable option).
    std::vector<std::string> values(std::string_view name) const;

    const std::vector<std::string>& all() const { return arguments_; }

  private:
    std::vector<std::string> arguments_;
};

}  // namespace plimsa
