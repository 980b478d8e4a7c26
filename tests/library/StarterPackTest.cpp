// Installing the characters that ship with the program, and importing what the user picked, with the
// reason for everything refused.
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "library/CharacterLibrary.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"
#include "support/TestZip.h"

namespace plimsa {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryFolder;
using testing::writeFile;
using Names = std::vector<std::string>;

std::string humanoid() {
    const auto bytes = TestHumanoids::bytes("humanoid-mixamo-colon.glb");
    return {bytes.begin(), bytes.end()};
}

// The humanoid as a .gltf whose buffer is a file beside it: loads where it is, not once copied alone.
void writeSplitGltf(const std::filesystem::path& gltf) {
    const std::string glb = humanoid();
    std::uint32_t jsonLength = 0, binLength = 0;
    std::memcpy(&jsonLength, glb.data() + 12, 4);
    std::memcpy(&binLength, glb.data() + 20 + jsonLength, 4);
    auto document = nlohmann::json::parse(glb.substr(20, jsonLength));
    document["buffers"][0]["uri"] = "body.bin";
    writeFile(gltf, document.dump());
    writeFile(gltf.parent_path() / "body.bin", glb.substr(28 + jsonLength, binLength));
}

class StarterPackTest : public ::testing::Test {
  protected:
    StarterPackTest()
        : dataHome("XDG_DATA_HOME", (root.path() / "data").string()),
          temporary("TMPDIR", (root.path() / "tmp").string()) {
        std::filesystem::create_directories(root.path() / "tmp");
    }
    std::filesystem::path shipped() const { return root.path() / "share" / "plimsa"; }
    std::filesystem::path outside(const std::string& name) const { return root.path() / name; }
    std::string reasonFor(const CharacterLibrary::InstallReport& report, const std::string& what) const {
        for (const auto& refusal : report.refused)
            if (refusal.what == what) return refusal.reason;
        return "(not refused)";
    }

    TemporaryFolder root;
    ScopedEnvironment dataHome;
    ScopedEnvironment temporary;
};

TEST_F(StarterPackTest, InstallsEachShippedCharacterAndRefusesOthersOneByOne) {
    writeFile(shipped() / "characters" / "Poppy.glb", humanoid());
    writeFile(shipped() / "characters" / "Basil.glb", "sailor");
    writeFile(outside("escape.glb"), "outside the shipped folder");
    const Pack pack{
        "Starter", {"Poppy", "", ".", "..", "../escape", "a\x01", "Missing", "Basil"}, "", {}, true};
    const auto report = CharacterLibrary::installShippedPack(pack, shipped());
    EXPECT_EQ(report.installed, (Names{"Poppy", "Basil"}));
    const std::pair<std::string, std::string> refusals[] = {
        {"", "not a plain file name"},
        {".", "not a plain file name"},
        {"..", "not a plain file name"},
        {"../escape", "not a plain file name"},
        {"a\x01", "not a plain file name"},
        {"Missing", "file not found: " + (shipped() / "characters" / "Missing.glb").string()},
    };
    for (const auto& [what, reason] : refusals) EXPECT_EQ(reasonFor(report, what), reason) << what;
    EXPECT_EQ(report.refused.size(), std::size(refusals));
    EXPECT_EQ(CharacterLibrary::names(), (Names{"Basil", "Poppy"}));
    EXPECT_TRUE(std::filesystem::is_empty(root.path() / "tmp"));

    // A pack that does not ship with the program, or no shipped folder, installs nothing.
    Pack sold = pack;
    sold.shipsWithProgram = false;
    EXPECT_EQ(CharacterLibrary::installShippedPack(sold, shipped()).refused,
              (std::vector<CharacterLibrary::InstallReport::Refusal>{
                  {"Starter", "does not ship with the program"}}));
    const auto nowhere = CharacterLibrary::installShippedPack(Pack{"S", {"Poppy"}, "", {}, true}, {});
    EXPECT_TRUE(nowhere.installed.empty());
    EXPECT_EQ(reasonFor(nowhere, "Poppy"), "the program's own files were not found");
}

TEST_F(StarterPackTest, ImportTakesPacksAndLoadableModelsAndSaysWhyItRefusesTheRest) {
    writeFile(outside("Robo.glb"), humanoid());
    writeFile(outside("broken.glb"), "glTF but not really");
    writeFile(outside("scene.usdz"), "usd");
    writeFile(outside("notes.txt"), "x");
    writeFile(outside("fake.zip"), "not a zip");
    writeSplitGltf(outside("split") / "Split.gltf");
    std::filesystem::create_directories(outside("folder.glb"));
    testing::TestZip good, empty;
    good.file("pack/Kit.glb", "kit").file("pack/readme.txt", "hi");
    empty.file("readme.txt", "no models");
    good.save(outside("Good.PLIMSAPACK"));
    empty.save(outside("empty.zip"));

    const struct {
        std::string file;
        Names installed;
        std::string reason;  // empty when nothing is refused
    } cases[] = {
        {"Robo.glb", {"Robo"}, ""},
        {"Good.PLIMSAPACK", {"Kit"}, ""},
        {"missing.glb", {}, "file not found"},
        {"missing.zip", {}, "file not found"},
        {"folder.glb", {}, "a folder, not a file"},
        {"notes.txt", {}, "neither a model (.glb, .gltf, .usdz, .usdc) nor a pack (.zip, .plimsapack)"},
        {"broken.glb", {}, "does not load as a character"},
        {"scene.usdz", {}, "no reader for USD models on this system"},
        {"split/Split.gltf", {}, "needs files beside it; export it as one .glb"},
        {"fake.zip", {}, "not a zip archive, or a damaged one"},
        {"empty.zip", {}, "no .glb inside"},
    };
    for (const auto& test : cases) {
        const auto report = CharacterLibrary::importFile(outside(test.file));
        EXPECT_EQ(report.installed, test.installed) << test.file;
        EXPECT_EQ(report.refused.empty() ? "" : reasonFor(report, outside(test.file).string()), test.reason);
    }
    EXPECT_EQ(CharacterLibrary::names(), (Names{"Kit", "Robo"}));
    EXPECT_TRUE(std::filesystem::is_empty(root.path() / "tmp"));
}

}  // namespace
}  // namespace plimsa
