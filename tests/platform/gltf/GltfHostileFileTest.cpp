// Broken and hostile files give no scene and an error, never a crash, a hang or unbounded memory.
#include "GltfTestDocument.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>

namespace plimsa {
namespace {

using Bytes = std::vector<uint8_t>;

void expectRefused(const GltfLoadResult& result, const std::string& errorPart) {
    EXPECT_FALSE(result.scene);
    EXPECT_FALSE(result.error.empty());
    EXPECT_NE(result.error.find(errorPart), std::string::npos) << result.error;
}

Bytes text(const std::string& json) {
    return {json.begin(), json.end()};
}

// One change to an otherwise loadable triangle (or to the limits), and the words its refusal must use.
using Change = std::function<void(GltfTestDocument&, GltfLimits&)>;
struct Damage {
    const char* what;
    Change apply;
    std::string errorPart;
    bool glb = false;
};

Change set(const std::string& pointer, const nlohmann::json& value) {
    return [=](GltfTestDocument& d, GltfLimits&) { d.json[nlohmann::json::json_pointer(pointer)] = value; };
}
template <typename T>
Change limit(T GltfLimits::*field, T value) {
    return [=](GltfTestDocument&, GltfLimits& limits) { limits.*field = value; };
}
Change replace(const GltfTestDocument& document) {
    return [=](GltfTestDocument& d, GltfLimits&) { d = document; };
}
Change both(Change first, Change second) {
    return [=](GltfTestDocument& d, GltfLimits& limits) { first(d, limits), second(d, limits); };
}
Change withTexture(const nlohmann::json& image) {
    return [=](GltfTestDocument& d, GltfLimits&) { d.addTexture(image); };
}
Change addNodes(int count, const std::function<nlohmann::json(int index)>& node) {
    return [=](GltfTestDocument& d, GltfLimits&) {
        for (int i = 0; i < count; ++i) d.addNode(node(static_cast<int>(d.json["nodes"].size())));
    };
}

const std::vector<Damage>& damages() {
    using D = GltfTestDocument;
    using J = nlohmann::json;
    const J dataUri = "data:application/octet-stream;base64,AAAA";
    const Bytes tallPng = D::pngHeader(16, 16385);
    static const std::vector<Damage> list = {
        {"one position more than the view holds", set("/accessors/0/count", 4), "outside"},
        {"accessor offset past its view", set("/accessors/0/byteOffset", 8), "outside"},
        {"absurd accessor count", set("/accessors/1/count", 1000000000), "too many"},
        {"view past its buffer", set("/bufferViews/0/byteLength", 4096), "bufferView 0"},
        {"stride leaving the view", set("/bufferViews/1/byteStride", 200), "outside", true},
        {"missing accessor", set("/meshes/0/primitives/0/attributes/NORMAL", 99), "does not exist"},
        {"index past the vertices",
         [](D& d, GltfLimits&) {
             d.json["meshes"][0]["primitives"][0]["indices"] =
                 d.addAccessor(std::vector<uint16_t>{0, 1, 3}, 3, 5123, "SCALAR");
         },
         "past the 3 vertices"},
        {"float positions as indices", set("/meshes/0/primitives/0/indices", 0), "wrong type"},
        {"joint past the skin", replace(D::skinnedTriangle(2)), "joint 2 of 2"},
        {"skin joint that is no node", both(replace(D::skinnedTriangle()), set("/skins/0/joints/2", 77)),
         "missing nodes"},
        {"cycle",
         addNodes(2,
                  [](int i) {
                      return J{{"children", {i == 1 ? 2 : 1}}};
                  }),
         "cycle"},
        {"second parent",
         addNodes(2,
                  [](int) {
                      return J{{"children", {0}}};
                  }),
         "two parents"},
        {"own child", set("/nodes/0/children", J::array({0})), "invalid child"},
        {"negative child", set("/nodes/0/children", J::array({-1})), "invalid child"},
        {"required extension we cannot read",
         set("/extensionsRequired", J::array({"KHR_texture_transform", "KHR_draco_mesh_compression"})),
         "KHR_draco_mesh_compression"},
        {"chain deeper than the limit",
         both(addNodes(40,
                       [](int i) {
                           return i < 40 ? J{{"children", {i + 1}}} : J::object();
                       }),
              limit(&GltfLimits::maxHierarchyDepth, 39)),
         "deeply"},
        {"more nodes than the limit",
         both(addNodes(50, [](int) { return J::object(); }), limit<size_t>(&GltfLimits::maxNodes, 50)),
         "too many nodes"},
        {"more JSON values than the limit", limit<size_t>(&GltfLimits::maxJsonValues, 20), "values"},
        {"more vertices than the limit", limit<size_t>(&GltfLimits::maxVertices, 2), "vertices"},
        {"file larger than the limit", limit<size_t>(&GltfLimits::maxFileBytes, 100), "larger than allowed",
         true},
        {"buffer claiming gigabytes",
         set("/buffers", J::array({{{"byteLength", 4000000000ull}, {"uri", dataUri}}})), "buffers declare"},
        {"negative buffer length", set("/buffers", J::array({{{"byteLength", -4}, {"uri", dataUri}}})),
         "byteLength"},
        {"buffer longer than the BIN chunk", set("/buffers", J::array({{{"byteLength", 1000000}}})), "",
         true},
        {"many buffers copying the BIN chunk",
         [](D& d, GltfLimits& limits) {
             const size_t length = (d.binary.size() + 3) & ~size_t{3};
             for (int i = 0; i < 40; ++i) d.json["buffers"].push_back({{"byteLength", length}});
             limits.maxBufferBytes = length * 10;
         },
         "buffers declare", true},
        {"texture wider than 16k pixels", withTexture(D::dataImage(D::pngHeader(20000, 16))), "20000 x 16"},
        {"texture taller than 16k pixels in a buffer view",
         [=](D& d, GltfLimits&) {
             d.addTexture(
                 {{"bufferView", d.addView(tallPng.data(), tallPng.size())}, {"mimeType", "image/png"}});
         },
         "16 x 16385", true},
        {"skinned nodes past the budget", replace(D::skinnedCrowd(2048, 2048)), "more than 256 MB of memory"},
        {"vertices without data past the budget", replace(D::emptyVertices(4'000'000)),
         "more than 256 MB of memory"},
        {"a skinned triangle past a 500-byte budget",
         both(replace(D::skinnedTriangle()), limit<size_t>(&GltfLimits::maxDecodedBytes, 500)),
         "more than 1 KB of memory"},
    };
    return list;
}

TEST(GltfHostileFile, EachDamageIsRefusedWithItsReasonAndTheUndamagedFileLoads) {
    EXPECT_TRUE(GltfLoader().loadBytes(GltfTestDocument::triangle().gltfBytes()));
    EXPECT_TRUE(GltfLoader().loadBytes(GltfTestDocument::skinnedTriangle().glbBytes()));
    for (const Damage& damage : damages()) {
        SCOPED_TRACE(damage.what);
        GltfTestDocument document = GltfTestDocument::triangle();
        GltfLimits limits;
        damage.apply(document, limits);
        expectRefused(GltfLoader(limits).loadBytes(damage.glb ? document.glbBytes() : document.gltfBytes()),
                      damage.errorPart);
    }
}

TEST(GltfHostileFile, BrokenContainersAndJsonAreRefused) {
    const Bytes whole = GltfTestDocument::triangle().glbBytes();
    uint32_t jsonLength = 0;
    std::memcpy(&jsonLength, whole.data() + 12, 4);
    const auto patched = [&](size_t at, uint32_t word) {
        Bytes bytes = whole;
        std::memcpy(bytes.data() + at, &word, 4);
        return bytes;
    };
    std::vector<std::pair<Bytes, std::string>> cases = {
        {patched(0, 0x46546c58), ""},   // wrong magic, and not JSON either
        {patched(4, 1), "version"},     // version 1
        {patched(12, 0x7FFFFFF0), ""},  // JSON chunk longer than the file
        {patched(20 + jsonLength, static_cast<uint32_t>(whole.size()) - 24 - jsonLength),
         "BIN"},  // 4 past the end
        {text(""), ""},
        {text("{"), ""},
        {text("[]"), "not an object"},
        {text("42"), ""},
        {text("{\"asset\":{\"version\":\"2.0\"}} trailing"), ""},
        {text("\xff\xfe{}"), ""},
        {text("{\"extras\":" + std::string(200000, '[') + std::string(200000, ']') + "}"), "nested"},
    };
    for (size_t length :
         {size_t{3}, size_t{11}, size_t{19}, size_t{20}, size_t{40}, whole.size() - 30, whole.size() - 1})
        cases.emplace_back(Bytes(whole.begin(), whole.begin() + static_cast<long>(length)), "");
    for (const auto& [bytes, errorPart] : cases) {
        SCOPED_TRACE(std::string(bytes.begin(),
                                 bytes.begin() + static_cast<long>(std::min<size_t>(bytes.size(), 24))));
        expectRefused(GltfLoader().loadBytes(bytes), errorPart);
    }
}

TEST(GltfHostileFile, ImagesThatCannotBeShownLeaveTheModelUntextured) {
    Bytes broken = GltfTestDocument::solidPng(8, 8, 10, 20, 30);
    broken.resize(broken.size() / 2);
    const std::vector<std::pair<nlohmann::json, std::string>> images = {
        {GltfTestDocument::dataImage(broken), "could not be decoded"},
        {GltfTestDocument::dataImage({'G', 'I', 'F', '8', '9', 'a'}), "not a readable PNG"},
        {GltfTestDocument::dataImage(GltfTestDocument::pngHeader(16384, 4096)),
         "more memory than is left"},  // 256 MB of texels
    };
    for (const auto& [image, warning] : images) {
        GltfTestDocument document = GltfTestDocument::triangle();
        document.addTexture(image);
        const GltfLoadResult result = GltfLoader().loadBytes(document.gltfBytes());
        ASSERT_TRUE(result) << warning << ": " << result.error;
        EXPECT_TRUE(hasWarning(result, warning)) << warning;
        const auto material =
            result.scene->rootNode().childNodeWithName("Triangle")->geometry()->firstMaterial();
        EXPECT_FALSE(material->diffuse().hasImage()) << warning;
    }
}

// A VRM humanoid map is read entry by entry: bad entries are dropped (with one warning), the model loads.
TEST(GltfHostileFile, MalformedVrmHumanoidMapsLoseOnlyTheirBadEntries) {
    using J = nlohmann::json;
    const auto vrm1 = [](J bones) {
        return J{{"VRMC_vrm", {{"humanoid", {{"humanBones", std::move(bones)}}}}}};
    };
    const auto vrm0 = [](J bones) { return J{{"VRM", {{"humanoid", {{"humanBones", std::move(bones)}}}}}}; };
    J crowd = J::array();
    for (int i = 0; i < 20000; ++i)
        crowd.push_back({{"bone", i % 2 ? "hips" : "spine"}, {"node", 1 + i % 2}});
    // Nodes: 1 "Hip" (in the scene) with child 2 "Knee"; node 3 lies outside the scene.
    const std::vector<std::tuple<const char*, J, std::vector<std::string>, bool>> cases = {
        {"both bones", vrm1({{"hips", {{"node", 1}}}, {"spine", {{"node", 2}}}}), {"hips", "spine"}, false},
        {"bad indices",
         vrm1({{"hips", {{"node", 99}}}, {"spine", {{"node", -1}}}, {"chest", {{"node", 2}}}}),
         {"chest"},
         true},
        {"wrong types",
         vrm1({{"hips", 1},
               {"spine", {{"node", "1"}}},
               {"chest", {{"node", 1.5}}},
               {"neck", {{"node", 1e300}}},
               {"head", {{"node", 2.0}}}}),
         {"head"},
         true},
        {"a node named twice", vrm1({{"hips", {{"node", 1}}}, {"spine", {{"node", 1}}}}), {"hips"}, true},
        {"unknown bone and node outside the scene",
         vrm1({{"tail", {{"node", 2}}}, {"hips", {{"node", 3}}}}),
         {},
         true},
        {"humanBones not an object", vrm1("hips"), {}, false},
        {"extension not an object", J{{"VRMC_vrm", 5}, {"VRM", {1, 2}}}, {}, false},
        {"0.x: a bone named twice, a bone as a number",
         vrm0({{{"bone", "hips"}, {"node", 1}},
               {{"bone", "hips"}, {"node", 2}},
               {{"bone", 7}, {"node", 2}},
               4}),
         {"hips"},
         true},
        {"0.x: twenty thousand entries", vrm0(crowd), {"spine", "hips"}, true},
        {"1.0 wins over 0.x",
         J{{"VRMC_vrm", vrm1({{"head", {{"node", 2}}}})["VRMC_vrm"]},
           {"VRM", vrm0({{{"bone", "hips"}, {"node", 1}}})["VRM"]}},
         {"head"},
         false},
    };
    for (const auto& [what, extensions, bones, warned] : cases) {
        SCOPED_TRACE(what);
        GltfTestDocument document = GltfTestDocument::skinnedTriangle();
        document.addNode({{"name", "Stray"}});
        document.json["extensions"] = extensions;
        document.json["extensionsRequired"] = {"VRM", "VRMC_vrm", "VRMC_springBone", "VRMC_materials_mtoon",
                                               "KHR_materials_emissive_strength"};
        const GltfLoadResult result = GltfLoader().loadBytes(document.gltfBytes());
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(hasWarning(result, "VRM humanoid map"), warned);
        ASSERT_EQ(result.humanoid.has_value(), !bones.empty());
        if (bones.empty()) continue;
        std::vector<std::string> names;
        for (const auto& [bone, node] : result.humanoid->bones) {
            names.push_back(bone + "=" + node->name());
            EXPECT_EQ(node.get(), result.scene->rootNode().childNodeWithName(node->name()).get());
        }
        ASSERT_EQ(names.size(), bones.size());
        for (size_t i = 0; i < bones.size(); ++i) EXPECT_EQ(names[i].substr(0, names[i].find('=')), bones[i]);
    }
}

// A few hundred bytes declaring 24 million inverse bind matrices: only the joints' own are read, once for
// all the nodes that use the skin.
TEST(GltfHostileFile, InverseBindsPastTheJointsAreNeitherReadNorCopiedPerNode) {
    GltfTestDocument document = GltfTestDocument::endlessInverseBinds(24'000'000, 8);
    const Bytes bytes = document.glbBytes();
    EXPECT_LT(bytes.size(), 2048u);
    const GltfLoadResult result = GltfLoader().loadBytes(bytes);
    ASSERT_TRUE(result) << result.error;
    std::set<const glm::mat4*> copies;
    int skinned = 0;
    result.scene->rootNode().enumerateHierarchy([&](Node& node, bool&) {
        if (!node.skinner()) return;
        ++skinned;
        ASSERT_EQ(node.skinner()->boneInverseBindTransforms().size(), 2u);
        EXPECT_EQ(node.skinner()->boneInverseBindTransforms()[1], glm::mat4(0.0f)) << "no buffer: zeros";
        copies.insert(node.skinner()->boneInverseBindTransforms().data());
    });
    EXPECT_EQ(skinned, 8);
    EXPECT_EQ(copies.size(), 1u);
}

}  // namespace
}  // namespace plimsa
