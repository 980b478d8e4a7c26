// What the scene gets from glTF features: transforms, shared meshes, primitives, materials, skins.
#include "GltfTestDocument.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"

#include <gtest/gtest.h>
#include <glm/gtc/quaternion.hpp>

#include <filesystem>
#include <thread>

namespace plimsa {
namespace {

std::shared_ptr<Scene> load(const GltfTestDocument& document) {
    const GltfLoadResult result = GltfLoader().loadBytes(document.gltfBytes());
    EXPECT_TRUE(result) << result.error;
    return result.scene;
}

std::shared_ptr<Node> node(const std::shared_ptr<Scene>& scene, const std::string& name) {
    return scene ? scene->rootNode().childNodeWithName(name) : nullptr;
}

TEST(GltfFeatures, TransformsHierarchyAndAMeshSharedByTwoNodes) {
    GltfTestDocument document = GltfTestDocument::triangle();
    const glm::quat turn = glm::angleAxis(glm::radians(30.0f), glm::vec3(0, 0, 1));
    document.json["nodes"][0]["translation"] = {1, 2, 3};
    document.json["nodes"][0]["rotation"] = {turn.x, turn.y, turn.z, turn.w};  // glTF order: x, y, z, w
    document.json["nodes"][0]["scale"] = {2, 2, 2};
    const int matrix =
        document.addNode({{"name", "Matrix"}, {"matrix", {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1}}});
    document.json["nodes"][0]["children"] = {matrix};
    document.json["scenes"][0]["nodes"].push_back(document.addNode({{"name", "Twin"}, {"mesh", 0}}));
    const auto scene = load(document);
    const auto triangle = node(scene, "Triangle");
    const auto child = node(scene, "Matrix");
    ASSERT_TRUE(triangle && child && node(scene, "Twin"));
    EXPECT_EQ(node(scene, "Twin")->geometry(), triangle->geometry());
    EXPECT_EQ(triangle->position(), glm::vec3(1, 2, 3));
    EXPECT_NEAR(glm::dot(triangle->orientation(), turn), 1.0f, 1e-6f);
    EXPECT_EQ(triangle->scale(), glm::vec3(2.0f));
    EXPECT_EQ(child->parent(), triangle.get());
    EXPECT_EQ(child->position(), glm::vec3(5, 6, 7));
    const glm::vec3 x = child->orientation() * glm::vec3(1, 0, 0);  // the matrix turns +X to +Y
    EXPECT_NEAR(x.y, 1.0f, 1e-6f);
}

TEST(GltfFeatures, PrimitivesBecomeElementsWithTheirMaterialsAndStripsAndFansBecomeTriangles) {
    GltfTestDocument document = GltfTestDocument::triangle();
    const std::vector<float> quad = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    const int positions = document.addAccessor(quad, 4, 5126, "VEC3");
    const int blue = document.addMaterial(
        {{"name", "Blue"}, {"pbrMetallicRoughness", {{"baseColorFactor", {0, 0, 1, 1}}}}});
    auto& primitives = document.json["meshes"][0]["primitives"];
    primitives.push_back(
        {{"attributes", {{"POSITION", positions}}}, {"mode", 5}, {"material", blue}});  // strip
    primitives.push_back({{"attributes", {{"POSITION", positions}}}, {"mode", 6}});     // fan
    primitives.push_back({{"attributes", {{"POSITION", positions}}}, {"mode", 1}});     // lines
    const auto scene = load(document);
    const auto geometry = node(scene, "Triangle")->geometry();
    ASSERT_EQ(geometry->elements().size(), 3u) << "lines are not drawn";
    EXPECT_EQ(geometry->materialForElement(0)->name(), "Red");
    EXPECT_EQ(geometry->materialForElement(1)->name(), "Blue");
    const auto& strip = geometry->elements()[1].indices;
    ASSERT_EQ(strip.size(), 6u);
    // Both strip triangles face +Z like the quad's vertices (counter-clockwise seen from +Z).
    const auto& p = geometry->mesh().positions;
    for (size_t t = 0; t < strip.size(); t += 3) {
        const glm::vec3 n = glm::cross(p[strip[t + 1]] - p[strip[t]], p[strip[t + 2]] - p[strip[t]]);
        EXPECT_GT(n.z, 0.0f);
    }
    EXPECT_EQ(geometry->elements()[2].indices.size(), 6u);
    // No material on a primitive: glTF's default material, fully metallic and rough.
    EXPECT_FLOAT_EQ(geometry->materialForElement(2)->metalness(), 1.0f);
    // Primitives without normals get generated ones.
    EXPECT_NEAR(geometry->mesh().normals[strip[0]].z, 1.0f, 1e-5f);
}

TEST(GltfFeatures, MaterialFactorsAlphaModesAndSidedness) {
    GltfTestDocument document = GltfTestDocument::triangle();
    auto& material = document.json["materials"][0];
    material["pbrMetallicRoughness"] = {
        {"baseColorFactor", {0.5, 0.0, 1.0, 0.25}}, {"roughnessFactor", 0.3}, {"metallicFactor", 0.1}};
    material["alphaMode"] = "MASK";
    material["alphaCutoff"] = 0.4;
    material["doubleSided"] = true;
    material["emissiveFactor"] = {1, 0, 0};
    const auto scene = load(document);
    const auto m = node(scene, "Triangle")->geometry()->firstMaterial();
    EXPECT_NEAR(m->diffuse().color.r, 0.7354f, 1e-3f) << "linear 0.5 is sRGB 0.735";
    EXPECT_FLOAT_EQ(m->diffuse().color.b, 1.0f);
    EXPECT_FLOAT_EQ(m->diffuse().color.a, 0.25f);
    EXPECT_FLOAT_EQ(m->roughness(), 0.3f);
    EXPECT_FLOAT_EQ(m->metalness(), 0.1f);
    ASSERT_TRUE(m->alphaCutoff());
    EXPECT_FLOAT_EQ(*m->alphaCutoff(), 0.4f);
    EXPECT_TRUE(m->isDoubleSided());
    EXPECT_FLOAT_EQ(m->emission().color.r, 1.0f);

    material["alphaMode"] = "OPAQUE";
    EXPECT_EQ(node(load(document), "Triangle")->geometry()->firstMaterial()->transparencyMode(),
              TransparencyMode::opaque);
    material["alphaMode"] = "BLEND";
    const auto blended = node(load(document), "Triangle")->geometry()->firstMaterial();
    EXPECT_EQ(blended->transparencyMode(), TransparencyMode::aOne);
    EXPECT_FALSE(blended->alphaCutoff());
    EXPECT_TRUE(blended->needsBlending());
}

TEST(GltfFeatures, OneImageBehindTwoTexturesAndANormalMapIsDecodedOnce) {
    GltfTestDocument document = GltfTestDocument::triangle();
    document.json["images"] = {
        GltfTestDocument::dataImage(GltfTestDocument::solidPng(2, 2, 200, 100, 50, 128))};
    document.json["samplers"] = {{{"wrapS", 33071}, {"wrapT", 33648}}};
    document.json["textures"] = {{{"source", 0}, {"sampler", 0}}, {{"source", 0}}};
    document.json["materials"][0]["pbrMetallicRoughness"]["baseColorTexture"] = {{"index", 0}};
    document.json["materials"][0]["normalTexture"] = {{"index", 1}};
    const int second =
        document.addMaterial({{"pbrMetallicRoughness", {{"baseColorTexture", {{"index", 1}}}}}});
    auto& primitives = document.json["meshes"][0]["primitives"];
    nlohmann::json copy = primitives[0];
    copy["material"] = second;
    primitives.push_back(copy);
    const auto scene = load(document);
    const auto geometry = node(scene, "Triangle")->geometry();
    const auto first = geometry->materialForElement(0);
    const auto other = geometry->materialForElement(1);
    ASSERT_TRUE(first->diffuse().hasImage());
    EXPECT_EQ(first->diffuse().image, other->diffuse().image);
    EXPECT_EQ(first->normal().image, first->diffuse().image);
    EXPECT_EQ(first->diffuse().wrapS, WrapMode::clamp);
    EXPECT_EQ(first->diffuse().wrapT, WrapMode::mirror);
    EXPECT_EQ(other->diffuse().wrapS, WrapMode::repeat) << "no sampler means repeat";
    const Image& image = first->diffuse().image->image();
    EXPECT_FALSE(image.premultiplied);
    EXPECT_EQ(image.pixel(0, 0)[0], 200);
    EXPECT_EQ(image.pixel(1, 1)[3], 128);
    // The red factor tints the texture rather than being lost.
    EXPECT_FLOAT_EQ(first->multiply().color.g, 0.0f);
}

TEST(GltfFeatures, WeightsAreNormalisedAndZeroWeightJointsCleared) {
    GltfTestDocument document = GltfTestDocument::triangle();
    const std::vector<uint8_t> joints = {0, 1, 0, 0, 1, 0, 0, 9, 0, 0, 0, 0};
    const std::vector<uint8_t> weights = {128, 128, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0};  // normalised bytes
    auto& attributes = document.json["meshes"][0]["primitives"][0]["attributes"];
    attributes["JOINTS_0"] = document.addAccessor(joints, 3, 5121, "VEC4");
    attributes["WEIGHTS_0"] = document.addAccessor(weights, 3, 5121, "VEC4", true);
    const int root = document.addNode({{"name", "Root"}, {"children", {2}}});
    document.addNode({{"name", "Tip"}, {"translation", {0, 1, 0}}});
    document.json["scenes"][0]["nodes"].push_back(root);
    const std::vector<float> inverseBind = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0,  0, 1,
                                            1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -1, 0, 1};
    document.json["skins"] = {{{"joints", {1, 2}},
                               {"skeleton", 1},
                               {"inverseBindMatrices", document.addAccessor(inverseBind, 2, 5126, "MAT4")}}};
    document.json["nodes"][0]["skin"] = 0;
    const auto scene = load(document);
    const auto triangle = node(scene, "Triangle");
    ASSERT_TRUE(triangle && triangle->skinner());
    const MeshData& mesh = triangle->geometry()->mesh();
    EXPECT_FLOAT_EQ(mesh.weights[0].x, 0.5f);
    EXPECT_FLOAT_EQ(mesh.weights[0].y, 0.5f);
    EXPECT_EQ(mesh.joints[1], glm::u16vec4(1, 0, 0, 0)) << "joint 9 had no weight";
    EXPECT_EQ(mesh.weights[2], glm::vec4(1, 0, 0, 0)) << "all-zero weights fall back to the first joint";
    const Skinner& skinner = *triangle->skinner();
    EXPECT_EQ(skinner.skeleton(), node(scene, "Root"));
    ASSERT_EQ(skinner.boneInverseBindTransforms().size(), 2u);
    EXPECT_FLOAT_EQ(skinner.boneInverseBindTransforms()[1][3][1], -1.0f);
    // Bind pose skins to the stored positions; moving the tip moves vertex 1 only.
    EXPECT_NEAR(glm::length(skinner.skinnedPosition(*triangle->geometry(), 1) - mesh.positions[1]), 0.0f,
                1e-6f);
    node(scene, "Tip")->setPosition({0, 1, 2});
    EXPECT_NEAR(skinner.skinnedPosition(*triangle->geometry(), 1).z, 2.0f, 1e-6f);
    EXPECT_NEAR(skinner.skinnedPosition(*triangle->geometry(), 2).z, 0.0f, 1e-6f);
}

TEST(GltfFeatures, SparseAccessorsOverrideTheirBase) {
    GltfTestDocument document = GltfTestDocument::triangle();
    const std::vector<uint16_t> indices = {2};
    const std::vector<float> values = {0, 5, 0};
    auto& accessor = document.json["accessors"][0];
    accessor["sparse"] = {
        {"count", 1},
        {"indices", {{"bufferView", document.addView(indices.data(), 2)}, {"componentType", 5123}}},
        {"values", {{"bufferView", document.addView(values.data(), 12)}}}};
    auto scene = load(document);
    EXPECT_FLOAT_EQ(node(scene, "Triangle")->geometry()->mesh().positions[2].y, 5.0f);
    const std::vector<uint16_t> outOfRange = {3};
    accessor["sparse"]["indices"]["bufferView"] = document.addView(outOfRange.data(), 2);
    EXPECT_FALSE(GltfLoader().loadBytes(document.gltfBytes()));
}

TEST(GltfFeatures, ScenesPickTheDefaultOrTheFirstOrEveryRoot) {
    GltfTestDocument document = GltfTestDocument::triangle();
    document.addNode({{"name", "Other"}});
    document.json["scenes"].push_back({{"nodes", {1}}});
    document.json["scene"] = 1;
    EXPECT_TRUE(node(load(document), "Other"));
    EXPECT_FALSE(node(load(document), "Triangle"));
    document.json.erase("scene");
    EXPECT_TRUE(node(load(document), "Triangle"));
    document.json.erase("scenes");
    const auto scene = load(document);
    EXPECT_TRUE(node(scene, "Triangle") && node(scene, "Other"));
}

TEST(GltfFeatures, FuzzSeedsLoadCleanlyOrAreHostileAndRefusedForTheirMemory) {
    // Valid seeds start the fuzzer from deep inside the loader; hostile ones from just past the budget.
    int valid = 0;
    int hostile = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(PLIMSA_SOURCE_DIR) / "fuzz/corpus/gltf")) {
        SCOPED_TRACE(entry.path().filename());
        const GltfLoadResult result = GltfLoader().loadFile(entry.path());
        if (entry.path().filename().string().rfind("hostile-", 0) == 0) {
            EXPECT_FALSE(result);
            EXPECT_NE(result.error.find("of memory"), std::string::npos) << result.error;
            ++hostile;
            continue;
        }
        EXPECT_TRUE(result) << result.error;
        EXPECT_TRUE(result.warnings.empty()) << result.warnings.front();
        EXPECT_EQ(result.humanoid.has_value(), entry.path().filename().string().rfind("vrm", 0) == 0);
        ++valid;
    }
    EXPECT_GE(valid, 5);
    EXPECT_GE(hostile, 2);
}

TEST(GltfFeatures, LoadsOnSeveralThreadsAtOnce) {
    GltfTestDocument document = GltfTestDocument::triangle();
    document.addTexture(GltfTestDocument::dataImage(GltfTestDocument::solidPng(16, 16, 1, 2, 3)));
    const std::vector<uint8_t> bytes = document.glbBytes();
    const GltfLoader loader;
    std::atomic<int> loaded{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                const GltfLoadResult result = loader.loadBytes(bytes);
                if (result &&
                    node(result.scene, "Triangle")->geometry()->firstMaterial()->diffuse().hasImage())
                    ++loaded;
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(loaded.load(), 80);
}

}  // namespace
}  // namespace plimsa

namespace plimsa {
namespace {

// Toon materials of VRM avatars draw with their base colour, never metallic; a VRM 0.x material without a
// glTF texture takes its toon properties' main texture, and their colour when the glTF one is left white.
TEST(GltfFeatures, ToonMaterialsDrawWithTheirBaseColourAndVrm0PropertiesFillAMissingTexture) {
    using J = nlohmann::json;
    const auto properties = [](const char* name, J mainTexture) {
        return J{{"VRM",
                  {{"materialProperties",
                    {{{"name", name},
                      {"shader", "VRM/MToon"},
                      {"textureProperties", {{"_MainTex", std::move(mainTexture)}}},
                      {"vectorProperties", {{"_Color", {0, 0, 1, 1}}}}}}}}}};
    };
    struct Case {
        const char* what;
        J materialExtensions;
        J fileExtensions;
        bool whiteFactor;
        bool image;
        glm::vec3 colour;  // of the diffuse colour, or of the tint over the image
        float metalness;
    };
    const std::vector<Case> cases = {
        {"1.0 toon material",
         {{"VRMC_materials_mtoon", J::object()}},
         J::object(),
         false,
         false,
         {1, 0, 0},
         0},
        {"0.x texture, glTF colour kept", J::object(), properties("Red", 0), false, true, {1, 0, 0}, 0},
        {"0.x texture and colour", J::object(), properties("Red", 0), true, true, {0, 0, 1}, 0},
        {"0.x texture past the textures", J::object(), properties("Red", 5), false, false, {1, 0, 0}, 0},
        {"0.x properties of another material",
         J::object(),
         properties("Blue", 0),
         false,
         false,
         {1, 0, 0},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GltfTestDocument document = GltfTestDocument::triangle();
        document.addTexture(GltfTestDocument::dataImage(GltfTestDocument::solidPng(4, 4, 0, 255, 0)));
        J& material = document.json["materials"][0];
        material["pbrMetallicRoughness"].erase("baseColorTexture");
        if (c.whiteFactor) material["pbrMetallicRoughness"].erase("baseColorFactor");
        material["extensions"] = c.materialExtensions;
        document.json["extensions"] = c.fileExtensions;
        const auto scene = load(document);
        const auto shown = node(scene, "Triangle")->geometry()->firstMaterial();
        EXPECT_EQ(shown->diffuse().hasImage(), c.image);
        const glm::vec4 colour = c.image ? shown->multiply().color : shown->diffuse().color;
        EXPECT_EQ(glm::vec3(colour), c.colour);
        EXPECT_EQ(shown->metalness(), c.metalness);
    }
}

}  // namespace
}  // namespace plimsa
