// .gltf files with buffers and images beside them: read from the model's folder and nowhere else.
#include "GltfTestDocument.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace plimsa {
namespace {

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class GltfExternalFiles : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("plimsa-gltf-external-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        folder_ = root_ / "model";
        std::filesystem::create_directories(folder_);
        document_ = GltfTestDocument::triangle();
        writeFile(folder_ / "scene.bin", document_.binary);
        writeFile(root_ / "outside.bin", document_.binary);
        const std::vector<uint8_t> png = GltfTestDocument::solidPng(4, 2, 0, 255, 0);
        writeFile(folder_ / "skin.png", png);
        writeFile(root_ / "outside.png", png);
        document_.json["buffers"] = {{{"byteLength", document_.binary.size()}, {"uri", "scene.bin"}}};
        document_.json["images"] = {{{"uri", "skin.png"}}};
        document_.json["textures"] = {{{"source", 0}}};
        document_.json["materials"][0]["pbrMetallicRoughness"]["baseColorTexture"] = {{"index", 0}};
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    GltfLoadResult load() {
        writeFile(folder_ / "scene.gltf", document_.gltfBytes());
        return GltfLoader().loadFile(folder_ / "scene.gltf");
    }
    static const MaterialProperty& diffuse(const GltfLoadResult& result) {
        return result.scene->rootNode().childNodeWithName("Triangle")->geometry()->firstMaterial()->diffuse();
    }
    static bool warned(const GltfLoadResult& result, const std::string& part) {
        for (const std::string& warning : result.warnings)
            if (warning.find(part) != std::string::npos) return true;
        return false;
    }

    std::filesystem::path root_;
    std::filesystem::path folder_;
    GltfTestDocument document_;
};

TEST_F(GltfExternalFiles, BufferAndImageBesideTheGltfAreRead) {
    const GltfLoadResult result = load();
    ASSERT_TRUE(result) << result.error;
    ASSERT_TRUE(diffuse(result).hasImage());
    EXPECT_EQ(diffuse(result).image->width(), 4);
    EXPECT_EQ(diffuse(result).image->image().pixel(1, 1)[1], 255);
}

TEST_F(GltfExternalFiles, ImageUrisLeavingTheFolderAreRefusedAndTheModelLoadsUntextured) {
    const std::string outside = (root_ / "outside.png").string();
    std::filesystem::create_symlink(root_ / "outside.png", folder_ / "link.png");
    for (const std::string& uri :
         std::vector<std::string>{"../outside.png", "%2E%2E/outside.png", outside, "sub/../../outside.png", "link.png"}) {
        document_.json["images"][0]["uri"] = uri;
        const GltfLoadResult result = load();
        ASSERT_TRUE(result) << uri << ": " << result.error;
        EXPECT_FALSE(diffuse(result).hasImage()) << uri;
        EXPECT_TRUE(warned(result, "outside the model's folder")) << uri;
    }
}

TEST_F(GltfExternalFiles, ABufferUriLeavingTheFolderFailsTheLoad) {
    document_.json["buffers"][0]["uri"] = "../outside.bin";
    const GltfLoadResult result = load();
    EXPECT_FALSE(result.scene);
    EXPECT_FALSE(result.error.empty());
}

TEST_F(GltfExternalFiles, AMissingImageLeavesTheModelUntexturedWithAWarning) {
    document_.json["images"][0]["uri"] = "gone.png";
    const GltfLoadResult result = load();
    ASSERT_TRUE(result) << result.error;
    EXPECT_FALSE(diffuse(result).hasImage());
    EXPECT_TRUE(warned(result, "gone.png"));
}

TEST_F(GltfExternalFiles, BytesWithoutAFolderReadNoExternalFiles) {
    const GltfLoadResult result = GltfLoader().loadBytes(document_.gltfBytes());
    EXPECT_FALSE(result.scene) << "the buffer is only reachable through the folder";
    const GltfLoadResult withFolder = GltfLoader().loadBytes(document_.gltfBytes(), folder_);
    EXPECT_TRUE(withFolder) << withFolder.error;
}

TEST_F(GltfExternalFiles, AMissingFileIsAnErrorNotAnException) {
    const GltfLoadResult result = GltfLoader().loadFile(folder_ / "nothing.glb");
    EXPECT_FALSE(result.scene);
    EXPECT_FALSE(result.error.empty());
    EXPECT_FALSE(GltfLoader().loadFile(folder_));  // a folder is not a model
}

}  // namespace
}  // namespace plimsa
