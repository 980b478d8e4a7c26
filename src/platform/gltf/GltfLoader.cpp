#include "platform/gltf/GltfLoader.h"

#include "platform/gltf/GltfDocumentData.h"
#include "platform/gltf/GltfParser.h"
#include "platform/gltf/GltfSceneBuilder.h"
#include "platform/gltf/GltfValidator.h"
#include "platform/scene/Scene.h"

#include <exception>
#include <fstream>
#include <system_error>

namespace plimsa {

GltfLoader::GltfLoader(GltfLimits limits) : limits_(limits) {}

GltfLoadResult GltfLoader::loadFile(const std::filesystem::path& file) const {
    GltfLoadResult result;
    std::error_code error;
    const uint64_t size = std::filesystem::file_size(file, error);
    if (error || !std::filesystem::is_regular_file(file, error)) {
        result.error = "cannot read " + file.string();
        return result;
    }
    if (size > limits_.maxFileBytes) {
        result.error = file.string() + " is larger than allowed";
        return result;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    std::ifstream in(file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        result.error = "cannot read " + file.string();
        return result;
    }
    // An absolute folder: a missing image beside a model given by a bare relative name is then reported
    // like any other, rather than mistaken for the working-directory lookup that is not reported.
    std::filesystem::path folder = std::filesystem::absolute(file, error).parent_path();
    if (error) folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    return loadBytes(bytes, folder);
}

GltfLoadResult GltfLoader::loadBytes(std::span<const uint8_t> bytes,
                                     const std::filesystem::path& folder) const {
    GltfLoadResult result;
    std::optional<GltfDocument> document = parse(bytes, folder, result.error);
    if (document && validate(*document, result.error)) result.scene = build(*document, result.error);
    if (document) result.warnings = document->warnings();
    if (result.scene) result.humanoid = std::move(document->data().humanoid);
    return result;
}

std::optional<GltfDocument> GltfLoader::parse(std::span<const uint8_t> bytes,
                                              const std::filesystem::path& folder, std::string& error) const {
    return GltfParser::parse(bytes, folder, limits_, error);
}

bool GltfLoader::validate(const GltfDocument& document, std::string& error) const {
    return GltfValidator(document.data().model, limits_).validate(error);
}

std::shared_ptr<Scene> GltfLoader::build(GltfDocument& document, std::string& error) const {
    try {
        GltfSceneBuilder builder(document.data().model, limits_, document.data().warnings);
        std::shared_ptr<Scene> scene = builder.build(error);
        document.data().humanoid = std::move(builder.humanoid());
        return scene;
    } catch (const std::exception& exception) {
        error = std::string("the glTF scene could not be built: ") + exception.what();
        return nullptr;
    }
}

}  // namespace plimsa
