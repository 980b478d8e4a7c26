#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace plimsa {

struct GltfDocumentData;

/// A glTF asset after the parse phase: the document with its buffers loaded and its images still
/// encoded (their sizes checked, decoded only when the build phase needs them). Produced and consumed by
/// GltfLoader; move-only; used by one thread at a time.
class GltfDocument {
public:
    explicit GltfDocument(std::unique_ptr<GltfDocumentData> data);
    ~GltfDocument();
    GltfDocument(GltfDocument&&) noexcept;
    GltfDocument& operator=(GltfDocument&&) noexcept;

    /// Non-fatal problems met so far (an image that could not be found or decoded, a skipped primitive).
    const std::vector<std::string>& warnings() const;
    /// The folder external files were looked up in (empty when loaded from memory without one).
    const std::filesystem::path& folder() const;

    GltfDocumentData& data() { return *data_; }
    const GltfDocumentData& data() const { return *data_; }

private:
    std::unique_ptr<GltfDocumentData> data_;
};

}  // namespace plimsa
