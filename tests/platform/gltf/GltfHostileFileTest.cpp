// Broken and hostile files give no scene and an error, never a crash, a hang or unbounded memory.
#include "GltfTestDocument.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "support/TestHumanoids.h"

#include <gtest/gtest.h>

#include <cstring>

namespace plimsa {
namespace {

GltfLoadResult loadGltf(const GltfTestDocument& document, GltfLimits limits = {}) {
    return GltfLoader(limits).loadBytes(document.gltfBytes());
}

GltfLoadResult loadGlb(const GltfTestDocument& document, GltfLimits limits = {}) {
    return GltfLoader(limits).loadBytes(document.glbBytes());
}

void expectRefused(const GltfLoadResult& result, const std::string& errorPart = {}) {
    EXPECT_FALSE(result.scene);
    EXPECT_FALSE(result.error.empty());
    if (!errorPart.empty()) {
        EXPECT_NE(result.error.find(errorPart), std::string::npos) << result.error;
    }
}

TEST(GltfHostileFile, TheUntouchedTriangleLoadsBothWays) {
    // The baseline every case below breaks in one place.
    EXPECT_TRUE(loadGltf(GltfTestDocument::triangle()));
    EXPECT_TRUE(loadGlb(GltfTestDocument::triangle()));
}

TEST(GltfHostileFile, TruncatedGlbAtEveryKindOfBoundaryIsRefused) {
    const std::vector<uint8_t> whole = GltfTestDocument::triangle().glbBytes();
    for (size_t length : {size_t{0}, size_t{3}, size_t{11}, size_t{19}, size_t{20}, size_t{40}, whole.size() - 30,
                          whole.size() - 1}) {
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(length));
        expectRefused(GltfLoader().loadBytes(cut));
    }
}

TEST(GltfHostileFile, WrongMagicVersionOrChunkLengthsAreRefused) {
    const std::vector<uint8_t> whole = GltfTestDocument::triangle().glbBytes();
    std::vector<uint8_t> bytes = whole;
    bytes[0] = 'X';  // then it is not JSON either
    expectRefused(GltfLoader().loadBytes(bytes));
    bytes = whole;
    bytes[4] = 1;  // version 1
    expectRefused(GltfLoader().loadBytes(bytes), "version");
    bytes = whole;
    const uint32_t huge = 0x7FFFFFF0;
    std::memcpy(bytes.data() + 12, &huge, 4);  // JSON chunk longer than the file
    expectRefused(GltfLoader().loadBytes(bytes));
    bytes = whole;
    uint32_t jsonLength;
    std::memcpy(&jsonLength, bytes.data() + 12, 4);
    const uint32_t binLength = static_cast<uint32_t>(whole.size()) - 20 - jsonLength - 8 + 4;  // 4 past the end
    std::memcpy(bytes.data() + 20 + jsonLength, &binLength, 4);
    expectRefused(GltfLoader().loadBytes(bytes), "BIN");
}

TEST(GltfHostileFile, NotJsonOrNotAnObjectIsRefused) {
    for (const std::string text : {"", "{", "[]", "42", "{\"asset\":{\"version\":\"2.0\"}} trailing", "\xff\xfe{}"}) {
        expectRefused(GltfLoader().loadBytes(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
    }
}

TEST(GltfHostileFile, DeeplyNestedJsonIsRefusedWithoutRecursing) {
    GltfTestDocument document = GltfTestDocument::triangle();
    std::string text = document.json.dump();
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    text.insert(text.size() - 1, ",\"extras\":" + deep);
    expectRefused(GltfLoader().loadBytes(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())),
                  "nested");
}

TEST(GltfHostileFile, AccessorsOutsideTheirBufferAreRefused) {
    GltfTestDocument document = GltfTestDocument::triangle();
    document.json["accessors"][0]["count"] = 4;  // one position more than the view holds
    expectRefused(loadGltf(document), "outside");
    document = GltfTestDocument::triangle();
    document.json["accessors"][0]["byteOffset"] = 8;
    expectRefused(loadGltf(document), "outside");
    document = GltfTestDocument::triangle();
    document.json["accessors"][1]["count"] = 1000000000;  // absurd count
    expectRefused(loadGltf(document));
    document = GltfTestDocument::triangle();
    document.json["bufferViews"][0]["byteLength"] = 4096;  // view past the buffer
    expectRefused(loadGltf(document), "bufferView 0");
    document = GltfTestDocument::triangle();
    document.json["bufferViews"][1]["byteStride"] = 200;  // strided reads leave the view
    expectRefused(loadGlb(document));
    document = GltfTestDocument::triangle();
    document.json["meshes"][0]["primitives"][0]["attributes"]["NORMAL"] = 99;  // no such accessor
    expectRefused(loadGltf(document));
}

TEST(GltfHostileFile, IndicesPastTheVerticesAreRefused) {
    GltfTestDocument document = GltfTestDocument::triangle();
    const std::vector<uint16_t> indices = {0, 1, 3};
    document.json["meshes"][0]["primitives"][0]["indices"] = document.addAccessor(indices, 3, 5123, "SCALAR");
    expectRefused(loadGltf(document), "past the 3 vertices");
    document = GltfTestDocument::triangle();
    document.json["meshes"][0]["primitives"][0]["indices"] = 0;  // a float VEC3 accessor as indices
    expectRefused(loadGltf(document), "wrong type");
}

GltfTestDocument skinnedTriangle(uint16_t lastJoint) {
    GltfTestDocument document = GltfTestDocument::triangle();
    const std::vector<uint16_t> joints = {0, 0, 0, 0, 1, 0, 0, 0, lastJoint, 0, 0, 0};
    const std::vector<float> weights = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    auto& attributes = document.json["meshes"][0]["primitives"][0]["attributes"];
    attributes["JOINTS_0"] = document.addAccessor(joints, 3, 5123, "VEC4");
    attributes["WEIGHTS_0"] = document.addAccessor(weights, 3, 5126, "VEC4");
    const int hip = document.addNode({{"name", "Hip"}, {"children", {2}}});
    const int knee = document.addNode({{"name", "Knee"}, {"translation", {0, -1, 0}}});
    document.json["scenes"][0]["nodes"].push_back(hip);
    document.json["skins"] = {{{"joints", {hip, knee}}}};
    document.json["nodes"][0]["skin"] = 0;
    (void)knee;
    return document;
}

TEST(GltfHostileFile, JointIndicesPastTheSkinAreRefused) {
    EXPECT_TRUE(loadGltf(skinnedTriangle(1))) << loadGltf(skinnedTriangle(1)).error;
    expectRefused(loadGltf(skinnedTriangle(2)), "joint 2 of 2");
    GltfTestDocument document = skinnedTriangle(1);
    document.json["skins"][0]["joints"].push_back(77);  // a joint node that does not exist
    expectRefused(loadGltf(document));
}

TEST(GltfHostileFile, NodeCyclesSecondParentsAndBadChildrenAreRefused) {
    GltfTestDocument document = GltfTestDocument::triangle();
    document.addNode({{"name", "A"}, {"children", {2}}});
    document.addNode({{"name", "B"}, {"children", {1}}});
    expectRefused(loadGltf(document), "cycle");

    document = GltfTestDocument::triangle();
    document.addNode({{"name", "A"}, {"children", {0}}});
    document.addNode({{"name", "B"}, {"children", {0}}});
    expectRefused(loadGltf(document), "two parents");

    document = GltfTestDocument::triangle();
    document.json["nodes"][0]["children"] = {0};
    expectRefused(loadGltf(document));
    document.json["nodes"][0]["children"] = {-1};
    expectRefused(loadGltf(document));
}

TEST(GltfHostileFile, ARequiredExtensionWeCannotReadIsRefusedByName) {
    GltfTestDocument document = GltfTestDocument::triangle();
    document.json["extensionsRequired"] = {"KHR_texture_transform", "KHR_draco_mesh_compression"};
    expectRefused(loadGltf(document), "KHR_draco_mesh_compression");
    document.json["extensionsRequired"] = {"KHR_texture_transform"};
    EXPECT_TRUE(loadGltf(document));
}

TEST(GltfHostileFile, AChainDeeperThanTheLimitIsRefused) {
    GltfTestDocument document;
    for (int i = 0; i < 40; ++i) {
        nlohmann::json node = {{"name", "N" + std::to_string(i)}};
        if (i + 1 < 40) node["children"] = {i + 1};
        document.addNode(node);
    }
    document.json["scenes"][0]["nodes"] = {0};
    GltfLimits limits;
    EXPECT_TRUE(loadGltf(document, limits));
    limits.maxHierarchyDepth = 39;
    expectRefused(loadGltf(document, limits), "deeply");
}

TEST(GltfHostileFile, AbsurdCountsHitTheLimitsBeforeAnythingIsBuilt) {
    GltfLimits limits;
    limits.maxNodes = 50;
    GltfTestDocument document;
    for (int i = 0; i < 51; ++i) document.addNode({{"name", "N"}});
    expectRefused(loadGltf(document, limits), "nodes");
    limits.maxJsonValues = 20;
    expectRefused(loadGltf(GltfTestDocument::triangle(), limits), "values");
    limits = {};
    limits.maxVertices = 2;
    expectRefused(loadGltf(GltfTestDocument::triangle(), limits), "vertices");
    limits = {};
    limits.maxFileBytes = 100;
    expectRefused(loadGlb(GltfTestDocument::triangle(), limits), "larger than allowed");
}

TEST(GltfHostileFile, ABufferClaimingGigabytesIsRefusedUpFront) {
    GltfTestDocument document = GltfTestDocument::triangle();
    document.json["buffers"] = {{{"byteLength", 4000000000ull}, {"uri", "data:application/octet-stream;base64,AAAA"}}};
    expectRefused(loadGltf(document), "buffers declare");
    document.json["buffers"] = {{{"byteLength", -4}, {"uri", "data:application/octet-stream;base64,AAAA"}}};
    expectRefused(loadGltf(document), "byteLength");
    // In a .glb, a buffer longer than the BIN chunk.
    document = GltfTestDocument::triangle();
    document.json["buffers"] = {{{"byteLength", 1000000}}};
    expectRefused(loadGlb(document));
}

TEST(GltfHostileFile, ManyBuffersCopyingTheBinChunkStayWithinTheBufferLimit) {
    GltfTestDocument document = GltfTestDocument::triangle();
    const size_t length = (document.binary.size() + 3) & ~size_t{3};
    document.json["buffers"] = nlohmann::json::array();
    for (int i = 0; i < 40; ++i) document.json["buffers"].push_back({{"byteLength", length}});
    GltfLimits limits;
    limits.maxBufferBytes = length * 10;
    expectRefused(loadGlb(document, limits), "buffers declare");
}

nlohmann::json imageWith(const std::vector<uint8_t>& png) {
    return {{"uri", "data:image/png;base64," + GltfTestDocument::base64(png)}};
}

void addTexture(GltfTestDocument& document, const nlohmann::json& image) {
    document.json["images"] = {image};
    document.json["textures"] = {{{"source", 0}}};
    document.json["materials"][0]["pbrMetallicRoughness"]["baseColorTexture"] = {{"index", 0}};
}

TEST(GltfHostileFile, ATextureLargerThan16kIsRefusedBeforeDecoding) {
    GltfTestDocument document = GltfTestDocument::triangle();
    addTexture(document, imageWith(GltfTestDocument::pngHeader(20000, 16)));
    expectRefused(loadGltf(document), "20000 x 16");
    // The same from a buffer view inside a .glb.
    document = GltfTestDocument::triangle();
    const std::vector<uint8_t> png = GltfTestDocument::pngHeader(16, 16385);
    addTexture(document, {{"bufferView", document.addView(png.data(), png.size())}, {"mimeType", "image/png"}});
    expectRefused(loadGlb(document), "16 x 16385");
}

TEST(GltfHostileFile, AnUndecodableImageLeavesTheModelUntextured) {
    GltfTestDocument document = GltfTestDocument::triangle();
    std::vector<uint8_t> broken = GltfTestDocument::solidPng(8, 8, 10, 20, 30);
    broken.resize(broken.size() / 2);
    addTexture(document, imageWith(broken));
    GltfLoadResult result = loadGltf(document);
    ASSERT_TRUE(result) << result.error;
    EXPECT_FALSE(result.warnings.empty());
    // And bytes that are not an image at all, and an empty data URI.
    addTexture(document, imageWith({'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_TRUE(loadGltf(document));
    addTexture(document, {{"uri", "data:image/png;base64,"}});
    result = loadGltf(document);
    EXPECT_TRUE(result.scene || !result.error.empty());
}

TEST(GltfHostileFile, MutatedHumanoidBytesNeverCrash) {
    // A cheap deterministic sweep over a real file: flip bytes across the whole JSON chunk and the binary.
    const std::vector<uint8_t> original = TestHumanoids::bytes("humanoid-mixamo-colon.glb");
    ASSERT_FALSE(original.empty());
    uint32_t state = 12345;
    int loaded = 0;
    for (int round = 0; round < 40; ++round) {
        std::vector<uint8_t> bytes = original;
        for (int k = 0; k < 4; ++k) {
            state = state * 1664525u + 1013904223u;
            const size_t at = (round < 20 ? 20 + state % 3000 : state % bytes.size());
            bytes[at] = static_cast<uint8_t>(state >> 24);
        }
        loaded += GltfLoader().loadBytes(bytes) ? 1 : 0;
    }
    EXPECT_GT(loaded, 0);  // binary flips mostly leave a loadable model
}

}  // namespace
}  // namespace plimsa
