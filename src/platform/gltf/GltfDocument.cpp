#include "platform/gltf/GltfDocument.h"

#include "platform/gltf/GltfDocumentData.h"

namespace plimsa {

GltfDocument::GltfDocument(std::unique_ptr<GltfDocumentData> data) : data_(std::move(data)) {}
GltfDocument::~GltfDocument() = default;
GltfDocument::GltfDocument(GltfDocument&&) noexcept = default;
GltfDocument& GltfDocument::operator=(GltfDocument&&) noexcept = default;

const std::vector<std::string>& GltfDocument::warnings() const { return data_->warnings; }
const std::filesystem::path& GltfDocument::folder() const { return data_->folder; }

}  // namespace plimsa
