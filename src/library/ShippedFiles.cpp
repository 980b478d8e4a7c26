#include "library/ShippedFiles.h"

#include <algorithm>
#include <system_error>

namespace plimsa {

namespace {

#if defined(PLIMSA_BUILD_TREE)
bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const auto end = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first;
    return !folder.empty() && end == folder.end();
}
#endif

}  // namespace

std::filesystem::path shippedFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const auto installed = executable.parent_path().parent_path() / "share" / "plimsa";
    if (std::filesystem::is_directory(installed, error)) return installed;
#if defined(PLIMSA_BUILD_TREE)
    // Only programs of this build tree: a copy moved elsewhere must not read a build tree by chance.
    const std::filesystem::path buildTree = PLIMSA_BUILD_TREE;
    const auto built = buildTree / "share" / "plimsa";
    if (isInside(executable, buildTree) && std::filesystem::is_directory(built, error)) return built;
#endif
    return {};
}

}  // namespace plimsa
