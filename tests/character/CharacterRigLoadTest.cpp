#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "character/CharacterLoader.h"
#include "character/CharacterRig.h"
#include "character/SkinnedCharacter.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"

namespace plimsa {
namespace {

using nlohmann::json;

// A glTF document whose nodes form a figure: `parts` maps names to parents ("" for a scene root) and
// optional translations.
struct FigureFile {
    struct Part {
        std::string name;
        std::string parent;
        glm::vec3 translation{0.0f};
    };

    static json document(const std::vector<Part>& parts) {
        json nodes = json::array();
        json roots = json::array();
        for (size_t i = 0; i < parts.size(); ++i) {
            json node = {{"name", parts[i].name}};
            const auto& t = parts[i].translation;
            if (t != glm::vec3(0.0f)) node["translation"] = {t.x, t.y, t.z};
            json children = json::array();
            for (size_t j = 0; j < parts.size(); ++j)
                if (parts[j].parent == parts[i].name) children.push_back(j);
            if (!children.empty()) node["children"] = children;
            nodes.push_back(node);
            if (parts[i].parent.empty()) roots.push_back(i);
        }
        return {{"asset", {{"version", "2.0"}}},
                {"scene", 0},
                {"scenes", {{{"nodes", roots}}}},
                {"nodes", nodes}};
    }

    static std::vector<Part> required() {
        return {{"Root", ""},       {"Torso", "Root"},   {"Head", "Torso"},  {"ThighL", "Root"},
                {"ThighR", "Root"}, {"ShinL", "ThighL"}, {"ShinR", "ThighR"}};
    }
};

class CharacterRigLoad : public ::testing::Test {
  protected:
    std::filesystem::path write(const std::string& name, const std::string& contents) const {
        testing::writeFile(temporary.path() / name, contents);
        return temporary.path() / name;
    }
    std::filesystem::path writeFigure(const std::string& name,
                                      const std::vector<FigureFile::Part>& parts) const {
        return write(name, FigureFile::document(parts).dump());
    }

    testing::TemporaryFolder temporary;
};

TEST_F(CharacterRigLoad, RequiredPartsMakeAFigureWithAStandardArmOrOneAsLongAsItsHandAndNoneWithoutOne) {
    const auto rig = CharacterRig::load(writeFigure("figure.gltf", FigureFile::required()));
    ASSERT_TRUE(rig);
    EXPECT_EQ(rig->root()->name(), "Root");
    EXPECT_EQ(rig->root()->parent(), nullptr);
    EXPECT_EQ(rig->headNode()->name(), "Head");
    EXPECT_TRUE(rig->parts().eyes.empty());
    EXPECT_TRUE(rig->parts().arms.empty());
    EXPECT_EQ(rig->armLength(), 0.55);
    const auto frame = Node::make();
    frame->addChildNode(rig->root());
    CharacterPose pose;
    pose.leg = 1;
    pose.blink = 0;
    rig->apply(pose, *frame);
    EXPECT_NEAR(rig->parts().shins.at(1)->eulerAngles().x, -1.1f, 1e-5f);
    // Any missing required part gives nothing.
    const auto required = FigureFile::required();
    for (size_t skip = 0; skip < required.size(); ++skip) {
        auto parts = required;
        parts[skip].name = "Other";
        EXPECT_FALSE(CharacterRig::load(writeFigure("figure.gltf", parts))) << required[skip].name;
    }
    // A hand position gives the arm length, the left hand first.
    auto armed = FigureFile::required();
    armed.push_back({"ArmL", "Torso", {-0.3f, 0.4f, 0}});
    armed.push_back({"ArmR", "Torso", {0.3f, 0.4f, 0}});
    armed.push_back({"HandR", "ArmR", {0, 0.8f, 0}});
    auto rightOnly = CharacterRig::load(writeFigure("right.gltf", armed));
    ASSERT_TRUE(rightOnly);
    EXPECT_NEAR(rightOnly->armLength(), 0.8, 1e-6);
    EXPECT_EQ(rightOnly->parts().arms.size(), 2u);

    armed.push_back({"HandL", "ArmL", {0, 0.7f, 0}});
    auto both = CharacterRig::load(writeFigure("both.gltf", armed));
    ASSERT_TRUE(both);
    EXPECT_NEAR(both->armLength(), 0.7, 1e-6);
}

TEST_F(CharacterRigLoad, TheRigLoaderReadsWhateverTheExtensionAndTheLoaderKnowsGltfInAnyCase) {
    const auto text = FigureFile::document(FigureFile::required()).dump();
    EXPECT_TRUE(CharacterRig::load(write("figure.scn", text)));
    EXPECT_FALSE(CharacterRig::load(write("figure.usdz", "PK\x03\x04 not a scene we can read")));
    EXPECT_FALSE(CharacterRig::load(write("empty.gltf", "")));
    EXPECT_FALSE(CharacterRig::load(temporary.path() / "missing.gltf"));
    EXPECT_FALSE(CharacterRig::load(temporary.path()));
    // The loader recognises glTF extensions whatever their case.
    for (const char* name : {"Robo.glb", "/a/Robo.GLB", "robo.GlTf"})
        EXPECT_TRUE(CharacterLoader::isGltf(name)) << name;
    for (const char* name : {"robo.scn", "robo.glb.txt", "glb", ".glb/robo", ""})
        EXPECT_FALSE(CharacterLoader::isGltf(name)) << name;
}

TEST_F(CharacterRigLoad, LoaderSendsGlbToTheSkinnedCharacterOtherFilesToTheRigAndBrokenModelsToNothing) {
    const auto text = FigureFile::document(FigureFile::required()).dump();
    const auto character = CharacterLoader::load(write("figure.scn", text));
    ASSERT_TRUE(character);
    EXPECT_NE(dynamic_cast<CharacterRig*>(character.get()), nullptr);
    const auto upper = temporary.path() / "UPPER-CASE.GLB";
    std::filesystem::copy_file(TestHumanoids::path("humanoid-mixamo-colon.glb"), upper);
    const auto skinned = CharacterLoader::load(upper);
    ASSERT_TRUE(skinned);
    EXPECT_NE(dynamic_cast<SkinnedCharacter*>(skinned.get()), nullptr);
    const char truncated[] = "glTF\x02\0\0\0 truncated";  // a binary header cut short
    EXPECT_FALSE(CharacterLoader::load(write("broken.glb", std::string(truncated, sizeof truncated - 1))));
    EXPECT_FALSE(CharacterLoader::load(write("BROKEN.GLB", "{ not json")));
    EXPECT_FALSE(CharacterLoader::load(temporary.path() / "missing.glb"));
    EXPECT_FALSE(CharacterLoader::load(write("notes.txt", "just notes")));
}

// A scene holding the figure's required parts under "Root".
struct FigureScene {
    FigureScene() {
        sceneRoot->addChildNode(root);
        for (const char* name : {"Torso", "ThighL", "ThighR"}) root->addChildNode(Node::make(name));
        root->childNodeWithName("Torso")->addChildNode(Node::make("Head"));
        root->childNodeWithName("ThighL")->addChildNode(Node::make("ShinL"));
        root->childNodeWithName("ThighR")->addChildNode(Node::make("ShinR"));
    }

    std::shared_ptr<Node> addArm(const char* name, float boxHeight) {
        auto arm = Node::make(name);
        auto box = Node::make(Primitives::box(0.1f, boxHeight, 0.1f, 0.0f));
        box->setPosition({0, boxHeight / 2, 0});
        arm->addChildNode(box);
        root->childNodeWithName("Torso")->addChildNode(arm);
        return arm;
    }

    std::shared_ptr<Node> sceneRoot = Node::make();
    std::shared_ptr<Node> root = Node::make("Root");
};

class RigFromScene : public ::testing::Test, public FigureScene {};

TEST(RigFromSceneArms, WithoutHandsTheArmReachesNineTenthsOfItsTopUnlessItIsStubby) {
    // Box heights of the left and right arm (0: no arm), and the arm length that gives.
    const struct {
        float left, right;
        double length;
    } cases[] = {{0.8f, 0.5f, 0.72}, {0.5f, 0.8f, 0.45}, {0.1f, 0.0f, 0.55}};
    for (const auto& c : cases) {
        FigureScene scene;
        if (c.right > 0) scene.addArm("ArmR", c.right);
        if (c.left > 0) scene.addArm("ArmL", c.left);
        const auto rig = CharacterRig::fromScene(*scene.sceneRoot);
        ASSERT_TRUE(rig);
        EXPECT_NEAR(rig->armLength(), c.length, 1e-5) << c.left << " " << c.right;
        EXPECT_EQ(rig->parts().arms.at(0)->name(), c.left > 0 ? "ArmL" : "ArmR");
    }
}

TEST_F(RigFromScene, RootIsDetachedAndUnnamedMeshesBecomeGrabbable) {
    addArm("ArmL", 0.6f);
    auto named = Node::make(Primitives::box(0.1f, 0.1f, 0.1f, 0.0f), "Badge");
    root->childNodeWithName("Torso")->addChildNode(named);
    const auto rig = CharacterRig::fromScene(*sceneRoot);
    ASSERT_TRUE(rig);
    EXPECT_TRUE(sceneRoot->childNodes().empty());
    EXPECT_EQ(rig->root(), root);
    EXPECT_EQ(rig->parts().arms.at(0)->childNodes().at(0)->name(), "grab");
    EXPECT_EQ(named->name(), "Badge");
}

TEST_F(RigFromScene, PartsOutsideTheRootDoNotCount) {
    root->childNodeWithName("ThighR")->removeFromParentNode();
    auto stray = Node::make("ThighR");
    stray->addChildNode(Node::make("ShinR"));
    sceneRoot->addChildNode(stray);
    EXPECT_FALSE(CharacterRig::fromScene(*sceneRoot));
    EXPECT_EQ(root->parent(), sceneRoot.get());  // nothing was taken apart
}

}  // namespace
}  // namespace plimsa
