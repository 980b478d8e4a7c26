#include "platform/gltf/GltfFileAccess.h"

#include <fstream>
#include <system_error>

namespace plimsa {
namespace {

bool isInside(const std::filesystem::path& file, const std::filesystem::path& folder) {
    auto f = folder.begin();
    auto p = file.begin();
    for (; f != folder.end(); ++f, ++p) {
        if (f->empty()) continue;  // a trailing separator
        if (p == file.end() || *p != *f) return false;
    }
    return p != file.end();
}

}  // namespace

GltfFileAccess::GltfFileAccess(const std::filesystem::path& folder, const GltfLimits& limits,
                               std::vector<std::string>& warnings)
    : limits_(limits), warnings_(warnings) {
    std::error_code error;
    if (!folder.empty()) folder_ = std::filesystem::canonical(folder, error);
    if (error) folder_.clear();
}

tinygltf::FsCallbacks GltfFileAccess::callbacks() {
    return {&GltfFileAccess::fileExists, &GltfFileAccess::expandFilePath, &GltfFileAccess::readWholeFile,
            &GltfFileAccess::writeWholeFile, this};
}

std::filesystem::path GltfFileAccess::resolve(const std::string& path) const {
    if (folder_.empty() || path.empty() || path.find('\0') != std::string::npos) return {};
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(std::filesystem::path(path), error);
    if (error || !isInside(resolved, folder_)) return {};
    if (!std::filesystem::is_regular_file(resolved, error) || error) return {};
    return resolved;
}

bool GltfFileAccess::fileExists(const std::string& path, void* self) {
    auto& access = *static_cast<GltfFileAccess*>(self);
    if (!access.resolve(path).empty()) return true;
    // tinygltf also tries the working directory; only the model's folder counts, so report that one.
    if (path.rfind("./", 0) != 0) access.warnings_.push_back("external file not found or outside the model's folder: " + path);
    return false;
}

std::string GltfFileAccess::expandFilePath(const std::string& path, void*) { return path; }

bool GltfFileAccess::readWholeFile(std::vector<unsigned char>* out, std::string* error, const std::string& path,
                                   void* self) {
    auto& access = *static_cast<GltfFileAccess*>(self);
    const std::filesystem::path file = access.resolve(path);
    std::error_code sizeError;
    const uint64_t size = file.empty() ? 0 : std::filesystem::file_size(file, sizeError);
    const uint64_t cap = access.limits_.maxBufferBytes;
    if (file.empty() || sizeError || size > cap || size > 2 * cap - access.bytesRead_) {
        if (error) *error = "refused";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    out->resize(size);
    if (size > 0 && !in.read(reinterpret_cast<char*>(out->data()), static_cast<std::streamsize>(size))) {
        out->clear();
        if (error) *error = "unreadable";
        return false;
    }
    access.bytesRead_ += size;
    return true;
}

bool GltfFileAccess::writeWholeFile(std::string* error, const std::string&, const std::vector<unsigned char>&, void*) {
    if (error) *error = "loading never writes files";
    return false;
}

}  // namespace plimsa
