// The character library's command-line forms, run in process against temporary data and shipped folders.
#include "app/LibraryCommands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <nlohmann/json.hpp>

#include "app/Snapshot.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"
#include "support/TestZip.h"

namespace plimsa {
namespace {

struct Outcome {
    std::optional<int> status;
    std::string out, err;
};

std::string drained(std::FILE* file) {
    std::string text(static_cast<size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

struct LibraryCommandsTest : ::testing::Test {
    LibraryCommandsTest() {
        testing::writeFile(at("share/packs.json"),
                           R"({"store": "", "characters": {"Poppy": "Poppy the Gardener"},
            "packs": [{"name": "Starter", "characters": ["Poppy", "Basil"], "url": "", "shipsWithProgram": true},
                      {"name": "Sea", "characters": ["Basil", "Robo"], "url": ""}]})");
        const auto model = TestHumanoids::bytes("humanoid-mixamo-colon.glb");
        for (const char* file : {"share/characters/Poppy.glb", "share/characters/Basil.glb", "in/Robo.glb"})
            testing::writeFile(at(file), std::string(model.begin(), model.end()));
        std::filesystem::create_directory(at("tmp"));
    }
    std::filesystem::path at(const std::string& name) const { return root.path() / name; }
    Outcome run(std::vector<std::string> arguments, const std::string& shipped = "share") const {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const auto status =
            LibraryCommands::run(SnapshotArguments(std::move(arguments)), out, err, at(shipped));
        return {status, drained(out), drained(err)};
    }
    // Every file and folder below the root, with its contents.
    std::map<std::string, std::string> tree() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path()))
            files[entry.path().lexically_relative(root.path())] =
                entry.is_directory() ? "/" : testing::readFile(entry);
        return files;
    }

    testing::TemporaryFolder root;
    testing::ScopedEnvironment dataHome{"XDG_DATA_HOME", at("data").string()};
    testing::ScopedEnvironment temporary{"TMPDIR", at("tmp").string()};
};

TEST_F(LibraryCommandsTest, StarterInstallImportAndListingWriteOnlyTheCharacterFolder) {
    testing::TestZip pack;
    pack.file("pack/Kit.vrm", testing::readFile(at("in/Robo.glb")))
        .file("pack/readme.txt", "hi")
        .save(at("in/Good.PLIMSAPACK"));
    const auto before = tree();
    const Outcome empty = run({"--characters"});
    EXPECT_EQ(std::tie(empty.status, empty.out), std::tuple(0, ""));
    EXPECT_NE(empty.err.find("--install-starter"), std::string::npos);
    const Outcome installed = run({"--install-starter"});
    EXPECT_EQ(std::tie(installed.status, installed.out), std::tuple(0, "installed Poppy\ninstalled Basil\n"));
    const Outcome imported = run({"--import", at("in/Robo.glb"), at("in/Good.PLIMSAPACK")});
    EXPECT_EQ(imported.out, "imported Robo from " + at("in/Robo.glb").string() + "\nimported Kit from " +
                                at("in/Good.PLIMSAPACK").string() + "\n");
    auto after = tree();
    for (const char* file : {"", "/Poppy.glb", "/Basil.glb", "/Robo.glb", "/Kit.vrm"})
        EXPECT_EQ(after.erase("data/Plimsa/Characters" + std::string(file)), 1u) << file;
    EXPECT_EQ(after.erase("data") + after.erase("data/Plimsa"), 2u);
    EXPECT_EQ(after, before);

    testing::writeFile(at("data/Plimsa/Characters/Tab\tName.glb"), "listed, not loaded");
    const Outcome listed = run({"--characters", "--install-starter"});
    EXPECT_EQ(
        std::tie(listed.status, listed.out),
        std::tuple(0,
                   "Basil\tBasil\tStarter\tstarter\nKit\tKit\t-\t-\nPoppy\tPoppy the Gardener\tStarter\t"
                   "starter\nRobo\tRobo\tSea\t-\nTab?Name\tTab?Name\t-\t-\n"));
}

TEST_F(LibraryCommandsTest, EveryRefusalIsALineWithItsReasonAndMakesTheStatusOne) {
    testing::writeFile(at("share/packs.json"),
                       R"({"store": "", "characters": {}, "packs": [{"name": "S", "url": "",
        "characters": ["Poppy", "", "..", "../in/Robo", "a\u0001", "Missing"], "shipsWithProgram": true}]})");
    const Outcome starter = run({"--install-starter"});
    EXPECT_EQ(std::tie(starter.status, starter.out), std::tuple(1, "installed Poppy\n"));
    const std::string plain = ": not a plain file name\nrefused ";
    EXPECT_EQ(starter.err, "refused -" + plain + ".." + plain + "../in/Robo" + plain + "a?" + plain +
                               "Missing: file not found: " + at("share/characters/Missing.glb").string() +
                               "\n");
    EXPECT_EQ(run({"--install-starter"}, "nowhere").status, 1);

    // The humanoid as a .gltf whose buffer is a file beside it: it loads there, not once copied alone.
    const std::string glb = testing::readFile(at("in/Robo.glb"));
    std::uint32_t jsonLength = 0;
    std::memcpy(&jsonLength, glb.data() + 12, 4);
    auto gltf = nlohmann::json::parse(glb.substr(20, jsonLength));
    gltf["buffers"][0]["uri"] = "body.bin";
    testing::writeFile(at("in/Split.gltf"), gltf.dump());
    testing::writeFile(at("in/body.bin"), glb.substr(28 + jsonLength));
    for (const char* name : {"broken.glb", "scene.usdz", "notes.txt", "fake.zip"})
        testing::writeFile(at("in/" + std::string(name)), "x");
    testing::TestZip().file("readme.txt", "no models").save(at("in/empty.zip"));
    const std::pair<std::string, std::string> refusals[] = {
        {"none.glb", "file not found"},
        {"", "a folder, not a file"},
        {"notes.txt", "neither a model (.glb, .gltf, .vrm) nor a pack (.zip, .plimsapack)"},
        {"broken.glb", "does not load as a character: not a glTF or VRM file, or a damaged one"},
        {"scene.usdz",
         "does not load as a character: a USD model: there is no reader for USD on this system; export it as "
         ".glb or .vrm"},
        {"Split.gltf", "needs files beside it; export it as one .glb"},
        {"fake.zip", "not a zip archive, or a damaged one"},
        {"empty.zip", "no .glb or .vrm model inside"},
    };
    std::vector<std::string> arguments{"--import"};
    std::string expected;
    for (const auto& [file, reason] : refusals) {
        arguments.push_back(at("in/" + file));
        expected += "refused " + arguments.back() + ": " + reason + "\n";
    }
    arguments.push_back("--characters");  // every argument after --import is a file
    const Outcome imported = run(arguments);
    EXPECT_EQ(std::tie(imported.status, imported.out, imported.err),
              std::tuple(1, "", expected + "refused --characters: file not found\n"));
    EXPECT_EQ(run({"--import"}).status, 1);
    EXPECT_FALSE(run({"--snapshot", "out.png"}).status);  // not a library form
    EXPECT_TRUE(std::filesystem::is_empty(at("tmp")));
    // The snapshot mode's entry point runs these forms, and its help lists them.
    std::FILE* sink = std::tmpfile();
    EXPECT_EQ(Snapshot::run(SnapshotArguments({"--import", at("in/none.glb")}), sink, sink), 1);
    std::fclose(sink);
    for (const char* form : {"plimsa --characters", "plimsa --install-starter", "plimsa --import FILE...",
                             "plimsa --inspect MODEL"})
        EXPECT_NE(Snapshot::usage().find(form), std::string::npos) << form;
}

}  // namespace
}  // namespace plimsa
