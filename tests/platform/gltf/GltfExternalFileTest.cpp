// .gltf files with buffers and images beside them: read from the model's folder and nowhere else.
#include "GltfTestDocument.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace plimsa {
namespace {

void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    testing::writeFile(path, std::string(bytes.begin(), bytes.end()));
}

class GltfExternalFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        writeBytes(folder_ / "scene.bin", document_.binary);
        writeBytes(temporary_.path() / "outside.bin", document_.binary);
        const std::vector<uint8_t> png = GltfTestDocument::solidPng(4, 2, 0, 255, 0);
        writeBytes(folder_ / "skin.png", png);
        writeBytes(temporary_.path() / "outside.png", png);
        document_.json["buffers"] = {{{"byteLength", document_.binary.size()}, {"uri", "scene.bin"}}};
        document_.addTexture({{"uri", "skin.png"}});
    }

    GltfLoadResult load() {
        writeBytes(folder_ / "scene.gltf", document_.gltfBytes());
        return GltfLoader().loadFile(folder_ / "scene.gltf");
    }
    static const MaterialProperty& diffuse(const GltfLoadResult& result) {
        return result.scene->rootNode().childNodeWithName("Triangle")->geometry()->firstMaterial()->diffuse();
    }

    testing::TemporaryFolder temporary_;
    std::filesystem::path folder_ = temporary_.path() / "model";
    GltfTestDocument document_ = GltfTestDocument::triangle();
};

TEST_F(GltfExternalFiles, BufferAndImageBesideTheGltfAreRead) {
    const GltfLoadResult result = load();
    ASSERT_TRUE(result) << result.error;
    ASSERT_TRUE(diffuse(result).hasImage());
    EXPECT_EQ(diffuse(result).image->width(), 4);
    EXPECT_EQ(diffuse(result).image->image().pixel(1, 1)[1], 255);
}

TEST_F(GltfExternalFiles, ImagesMissingOrLeavingTheFolderLeaveTheModelUntexturedWithAWarning) {
    const std::string outside = (temporary_.path() / "outside.png").string();
    std::filesystem::create_symlink(outside, folder_ / "link.png");
    for (const std::string uri : {"../outside.png", "%2E%2E/outside.png", outside.c_str(),
                                  "sub/../../outside.png", "link.png", "gone.png"}) {
        document_.json["images"][0]["uri"] = uri;
        const GltfLoadResult result = load();
        ASSERT_TRUE(result) << uri << ": " << result.error;
        EXPECT_FALSE(diffuse(result).hasImage()) << uri;
        EXPECT_TRUE(hasWarning(result, "not found or outside the model's folder")) << uri;
    }
}

TEST_F(GltfExternalFiles, AMissingImageIsReportedForAModelGivenByABareRelativeName) {
    document_.json["images"][0]["uri"] = "gone.png";
    writeBytes(folder_ / "scene.gltf", document_.gltfBytes());
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    const GltfLoadResult result = GltfLoader().loadFile("scene.gltf");
    std::filesystem::current_path(before);
    ASSERT_TRUE(result) << result.error;
    EXPECT_TRUE(hasWarning(result, "not found or outside the model's folder"));
}

TEST_F(GltfExternalFiles, ABufferLeavingTheFolderOrWithoutAFolderFailsTheLoad) {
    const GltfLoadResult withoutFolder = GltfLoader().loadBytes(document_.gltfBytes());
    EXPECT_FALSE(withoutFolder.scene);
    EXPECT_FALSE(withoutFolder.error.empty());
    EXPECT_TRUE(GltfLoader().loadBytes(document_.gltfBytes(), folder_));
    document_.json["buffers"][0]["uri"] = "../outside.bin";
    const GltfLoadResult result = load();
    EXPECT_FALSE(result.scene);
    EXPECT_FALSE(result.error.empty());
}

TEST_F(GltfExternalFiles, AMissingFileOrAFolderIsAnErrorNotAnException) {
    const GltfLoadResult result = GltfLoader().loadFile(folder_ / "nothing.glb");
    EXPECT_FALSE(result.scene);
    EXPECT_FALSE(result.error.empty());
    EXPECT_FALSE(GltfLoader().loadFile(folder_));
}

}  // namespace
}  // namespace plimsa
