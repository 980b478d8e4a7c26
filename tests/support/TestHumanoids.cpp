#include "support/TestHumanoids.h"

#include "humanoids/HumanoidSpec.h"
#include "humanoids/HumanoidWriter.h"

#include <unistd.h>

#include <atomic>
#include <mutex>
#include <system_error>

namespace plimsa {
namespace {

std::mutex& lock() {
    static std::mutex mutex;
    return mutex;
}

// Owns the temporary folder and removes it with everything in it at process exit.
struct TemporaryFolder {
    std::filesystem::path path;

    TemporaryFolder() {
        static std::atomic<int> counter{0};
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        path = (error ? std::filesystem::path("/tmp") : base) /
               ("plimsa-humanoids-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path, error);
    }
    ~TemporaryFolder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};

bool isStandard(const std::string& fileName) {
    for (const HumanoidSpec& spec : HumanoidSpec::standardSet())
        if (spec.fileName == fileName) return true;
    return false;
}

}  // namespace

const std::filesystem::path& TestHumanoids::folder() {
    static const TemporaryFolder folder;
    return folder.path;
}

std::filesystem::path TestHumanoids::path(const std::string& fileName) {
    if (!isStandard(fileName)) return {};
    const std::filesystem::path target = folder() / fileName;
    std::lock_guard guard(lock());
    std::error_code error;
    if (std::filesystem::exists(target, error)) return target;
    if (!HumanoidWriter::write(HumanoidSpec::named(fileName), folder())) return {};
    return target;
}

std::vector<uint8_t> TestHumanoids::bytes(const std::string& fileName) {
    if (!isStandard(fileName)) return {};
    return HumanoidWriter::glb(HumanoidSpec::named(fileName));
}

std::vector<std::string> TestHumanoids::fileNames() {
    std::vector<std::string> names;
    for (const HumanoidSpec& spec : HumanoidSpec::standardSet()) names.push_back(spec.fileName);
    return names;
}

std::filesystem::path TestHumanoids::sharedModel(const std::string& fileName) {
    const std::filesystem::path model = std::filesystem::path(PLIMSA_SHARED_MODELS) / fileName;
    std::error_code error;
    return std::filesystem::is_regular_file(model, error) ? model : std::filesystem::path();
}

}  // namespace plimsa
