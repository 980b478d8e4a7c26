// The character library's command-line forms, run in process against a temporary data folder and a
// temporary folder of shipped files.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "app/LibraryCommands.h"
#include "app/Snapshot.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"
#include "support/TestZip.h"

namespace plimsa {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryFolder;
using testing::writeFile;

struct Outcome {
    std::optional<int> status;
    std::string out, err;
};

// Every file below `folder` with its contents, to show what a run wrote.
std::map<std::string, std::string> tree(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        files[entry.path().lexically_relative(folder).string()] =
            entry.is_regular_file() ? testing::readFile(entry.path()) : "(folder)";
    return files;
}

class LibraryCommandsTest : public ::testing::Test {
  protected:
    LibraryCommandsTest()
        : dataHome("XDG_DATA_HOME", (root.path() / "data").string()),
          temporary("TMPDIR", (root.path() / "tmp").string()) {
        std::filesystem::create_directories(root.path() / "tmp");
        writeFile(shipped() / "packs.json", R"({"store": "", "characters": {"Poppy": "Poppy the Gardener"},
            "packs": [{"name": "Starter pack", "characters": ["Poppy", "Basil"], "url": "", "shipsWithProgram": true},
                      {"name": "Sea pack", "characters": ["Basil", "Robo"], "url": ""}]})");
        const auto model = TestHumanoids::bytes("humanoid-mixamo-colon.glb");
        writeFile(shipped() / "characters" / "Poppy.glb", std::string(model.begin(), model.end()));
        writeFile(shipped() / "characters" / "Basil.glb", std::string(model.begin(), model.end()));
        writeFile(root.path() / "in" / "Robo.glb", std::string(model.begin(), model.end()));
    }
    std::filesystem::path shipped() const { return root.path() / "share" / "plimsa"; }
    std::filesystem::path in(const std::string& name) const { return root.path() / "in" / name; }

    Outcome run(std::vector<std::string> arguments, const std::filesystem::path& shippedFolder) const {
        TemporaryFolder streams;
        std::FILE* out = std::fopen((streams.path() / "out").c_str(), "w");
        std::FILE* err = std::fopen((streams.path() / "err").c_str(), "w");
        const auto status =
            LibraryCommands::run(SnapshotArguments(std::move(arguments)), out, err, shippedFolder);
        std::fclose(out);
        std::fclose(err);
        return {status, testing::readFile(streams.path() / "out"), testing::readFile(streams.path() / "err")};
    }
    Outcome run(std::vector<std::string> arguments) const { return run(std::move(arguments), shipped()); }

    TemporaryFolder root;
    ScopedEnvironment dataHome;
    ScopedEnvironment temporary;
};

TEST_F(LibraryCommandsTest, StarterInstallThenListingWithCatalogueNamesPacksAndTheStarterMark) {
    const Outcome empty = run({"--characters"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_NE(empty.err.find("--install-starter"), std::string::npos);

    const Outcome installed = run({"--install-starter"});
    EXPECT_EQ(installed.status, 0) << installed.err;
    EXPECT_EQ(installed.out, "installed Poppy\ninstalled Basil\n");
    EXPECT_EQ(run({"--import", in("Robo.glb")}).out, "imported Robo from " + in("Robo.glb").string() + "\n");
    writeFile(root.path() / "data" / "Plimsa" / "Characters" / "Tab\tName.glb", "listed, not loaded");

    const Outcome listed = run({"--characters", "--install-starter"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out,
              "Basil\tBasil\tStarter pack\tstarter\n"
              "Poppy\tPoppy the Gardener\tStarter pack\tstarter\n"
              "Robo\tRobo\tSea pack\t-\n"
              "Tab?Name\tTab?Name\t-\t-\n");
}

TEST_F(LibraryCommandsTest, EveryRefusalIsALineWithItsReasonAndMakesTheStatusOne) {
    std::filesystem::remove(shipped() / "characters" / "Basil.glb");
    const Outcome partial = run({"--install-starter"});
    EXPECT_EQ(partial.status, 1);
    EXPECT_EQ(partial.out, "installed Poppy\n");
    EXPECT_EQ(partial.err,
              "refused Basil: file not found: " + (shipped() / "characters" / "Basil.glb").string() + "\n");
    const Outcome unshipped = run({"--install-starter"}, root.path() / "nowhere");
    EXPECT_EQ(unshipped.status, 1);
    EXPECT_NE(unshipped.err.find("no starter pack"), std::string::npos);

    writeFile(in("fake.zip"), "not a zip");
    const Outcome imported = run({"--import", in("missing.glb"), in("Robo.glb"), in("fake.zip")});
    EXPECT_EQ(imported.status, 1);
    EXPECT_EQ(imported.out, "imported Robo from " + in("Robo.glb").string() + "\n");
    EXPECT_EQ(imported.err, "refused " + in("missing.glb").string() + ": file not found\nrefused " +
                                in("fake.zip").string() + ": not a zip archive, or a damaged one\n");
    EXPECT_EQ(run({"--import"}).status, 1);
    EXPECT_FALSE(run({"--snapshot", "out.png"}).status);
}

TEST_F(LibraryCommandsTest, NothingButTheCharacterFolderIsWritten) {
    testing::TestZip pack;
    pack.file("Kit.glb", "kit").file("../../../planted.glb", "evil");
    pack.save(in("hostile.zip"));
    const auto before = tree(root.path());
    for (const auto& arguments : {std::vector<std::string>{"--install-starter"},
                                  {"--characters"},
                                  {"--import", in("Robo.glb"), in("hostile.zip"), "/"}})
        run(arguments);
    auto after = tree(root.path());
    EXPECT_EQ(after.erase("data/Plimsa/Characters/Poppy.glb") +
                  after.erase("data/Plimsa/Characters/Basil.glb") +
                  after.erase("data/Plimsa/Characters/Robo.glb"),
              3u);
    for (const char* folder : {"data", "data/Plimsa", "data/Plimsa/Characters"}) after.erase(folder);
    EXPECT_EQ(after, before);
}

TEST(LibraryCommandsEntry, TheSnapshotModeRunsTheLibraryFormsAndItsHelpListsThem) {
    TemporaryFolder data;
    ScopedEnvironment dataHome("XDG_DATA_HOME", data.path().string());
    std::FILE* sink = std::tmpfile();
    EXPECT_EQ(
        Snapshot::run(SnapshotArguments({"--import", (data.path() / "absent.glb").string()}), sink, sink), 1);
    std::fclose(sink);
    for (const char* form : {"plimsa --characters", "plimsa --install-starter", "plimsa --import FILE..."})
        EXPECT_NE(Snapshot::usage().find(form), std::string::npos) << form;
}

}  // namespace
}  // namespace plimsa
