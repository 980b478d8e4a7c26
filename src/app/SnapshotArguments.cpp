#include "app/SnapshotArguments.h"

#include <algorithm>

namespace plimsa {

SnapshotArguments SnapshotArguments::fromMain(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
    return SnapshotArguments(std::move(arguments));
}

bool SnapshotArguments::has(std::string_view name) const {
    return std::find(arguments_.begin(), arguments_.end(), name) != arguments_.end();
}

std::optional<std::string> SnapshotArguments::flag(std::string_view name) const {
    return after(name, 1);
}

std::optional<std::string> SnapshotArguments::after(std::string_view name, size_t offset) const {
    const auto found = std::find(arguments_.begin(), arguments_.end(), name);
    if (found == arguments_.end()) return std::nullopt;
    const size_t index = static_cast<size_t>(found - arguments_.begin()) + offset;
    if (index >= arguments_.size()) return std::nullopt;
    return arguments_[index];
}

std::vector<std::string> SnapshotArguments::values(std::string_view name) const {
    std::vector<std::string> found;
    for (size_t i = 0; i + 1 < arguments_.size(); ++i)
        if (arguments_[i] == name) found.push_back(arguments_[i + 1]);
    return found;
}

}  // namespace plimsa
