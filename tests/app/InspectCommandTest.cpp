// "plimsa --inspect MODEL" run as a user would: the report on standard output, the exit status saying
// whether the model loads as a character, nothing written anywhere.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "PlimsaProcess.h"
#include "support/TestHumanoids.h"

namespace plimsa {
namespace {

using testing::PlimsaSandbox;

struct InspectCase {
    const char* model;  // a file in the working folder, or a character name
    int status;
    const char* expected;  // a line (or part of one) of the report
};

TEST(InspectCommandTest, PrintsTheReportAndExitsZeroOnlyForACharacter) {
    PlimsaSandbox sandbox;
    const auto at = [&](const char* name) { return sandbox.work() / name; };
    std::filesystem::copy_file(TestHumanoids::path("humanoid-mixamo-colon.glb"), at("Robo.glb"));
    std::filesystem::copy_file(TestHumanoids::path("humanoid-no-bones.glb"), at("Shape.glb"));
    for (const char* file : {"humanoid-vrm1.vrm", "humanoid-vrm0.vrm", "humanoid-missing-texture.gltf"})
        std::filesystem::copy_file(TestHumanoids::path(file), at(file));
    std::filesystem::create_directories(at("folder.glb"));
    std::ofstream(at("notes.glb")) << "not a model";
    std::ofstream(at("scene.usdz")) << "PK";
    std::ofstream(at("empty.vrm"));
    {
        std::ifstream whole(at("Robo.glb"), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(whole)), {});
        std::ofstream(at("cut.glb"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    }
    const InspectCase cases[] = {
        {"Robo.glb", 0, "Bones from: the bone names"},
        {"Shape.glb", 0, "Bones from: the skeleton's shape"},
        {"humanoid-vrm1.vrm", 0, "Bones from: the avatar's VRM humanoid map"},
        {"humanoid-vrm0.vrm", 0, "VRM 0.x avatar: turned round to face forward"},
        {"humanoid-missing-texture.gltf", 0,
         "  missing \"textures/skin-pattern.png\" (not beside the model): drawn in its base colour\n"},
        {"missing.glb", 1, "Why: the file does not exist"},
        {"folder.glb", 1, "Why: a folder, not a model file"},
        {"notes.glb", 1, "Why: not a glTF or VRM file, or a damaged one"},
        {"cut.glb", 1, "Why: the file is cut short"},
        {"empty.vrm", 1, "Why: the file is empty"},
        {"scene.usdz", 1, "Why: a USD model"},
    };
    for (const InspectCase& test : cases) {
        const auto run = sandbox.run({"--inspect", test.model});
        EXPECT_EQ(run.status, test.status) << test.model << "\n" << run.out << run.err;
        EXPECT_EQ(run.outLines().at(0).rfind(std::string(test.model) + ": ", 0), 0u) << run.out;
        EXPECT_NE(run.out.find(test.expected), std::string::npos) << test.model << "\n" << run.out;
    }
    // A refusal keeps the loader's own words as the detail.
    EXPECT_NE(sandbox.run({"--inspect", "cut.glb"}).out.find("Detail: binary glTF file is truncated"),
              std::string::npos);
    const auto bare = sandbox.run({"--inspect"});
    EXPECT_EQ(bare.status, 1);
    EXPECT_NE(bare.err.find("--inspect needs a model"), std::string::npos);
    // Nothing was written: no settings, no library folder, nothing in the working folder.
    EXPECT_FALSE(std::filesystem::exists(sandbox.work() / ".." / "config"));
    EXPECT_FALSE(std::filesystem::exists(sandbox.work() / ".." / "data"));
    EXPECT_EQ(sandbox.entries(),
              (std::vector<std::string>{"Robo.glb", "Shape.glb", "cut.glb", "empty.vrm", "folder.glb",
                                        "humanoid-missing-texture.gltf", "humanoid-vrm0.vrm",
                                        "humanoid-vrm1.vrm", "notes.glb", "scene.usdz"}));
}

TEST(InspectCommandTest, ANameThatIsNoFileIsACharacterOfTheLibrary) {
    PlimsaSandbox sandbox;
    const auto library = sandbox.work() / ".." / "data" / "Plimsa" / "Characters";
    std::filesystem::create_directories(library);
    std::filesystem::copy_file(TestHumanoids::path("humanoid-mixamo-colon.glb"), library / "Robo.glb");
    const auto run = sandbox.run({"--inspect", "Robo"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.outLines().at(0), "Robo.glb: loads as a character");
    EXPECT_EQ(sandbox.run({"--inspect", "Nobody"}).status, 1);
}

TEST(InspectCommandTest, AnUnreadableFileIsRefusedAsSuch) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    PlimsaSandbox sandbox;
    const auto file = sandbox.work() / "locked.glb";
    std::filesystem::copy_file(TestHumanoids::path("humanoid-mixamo-colon.glb"), file);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    const auto run = sandbox.run({"--inspect", "locked.glb"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Why: the file cannot be read"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace plimsa
