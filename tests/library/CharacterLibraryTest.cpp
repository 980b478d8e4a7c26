#include "library/CharacterLibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"
#include "support/TestZip.h"

namespace plimsa {
namespace {

using testing::readFile;
using testing::ScopedEnvironment;
using testing::TemporaryFolder;
using testing::TestZip;
using testing::writeFile;
using Names = std::vector<std::string>;

class CharacterLibraryTest : public ::testing::Test {
  protected:
    CharacterLibraryTest()
        : dataHome(("XDG_DATA_HOME"), (root.path() / "data").string()),
          temporary("TMPDIR", (root.path() / "tmp").string()) {
        std::filesystem::create_directories(root.path() / "tmp");
        CharacterLibrary::hideLibrary = false;
    }
    ~CharacterLibraryTest() override { CharacterLibrary::hideLibrary = false; }

    std::filesystem::path folder() const { return root.path() / "data" / "Plimsa" / "Characters"; }
    std::filesystem::path outside(const std::string& name) const { return root.path() / name; }
    std::vector<std::filesystem::path> folderEntries() const {
        std::vector<std::filesystem::path> entries;
        for (const auto& entry : std::filesystem::directory_iterator(folder()))
            entries.push_back(entry.path());
        std::sort(entries.begin(), entries.end());
        return entries;
    }
    bool scratchIsClean() const { return std::filesystem::is_empty(root.path() / "tmp"); }
    static std::string model(const std::string& name) {
        const auto bytes = TestHumanoids::bytes(name);
        return {bytes.begin(), bytes.end()};
    }

    TemporaryFolder root;
    ScopedEnvironment dataHome;
    ScopedEnvironment temporary;
};

TEST_F(CharacterLibraryTest, FolderFollowsAnAbsoluteXdgDataHomeElseHomeAndIsCreatedOnDemand) {
    EXPECT_FALSE(std::filesystem::exists(folder()));
    EXPECT_EQ(CharacterLibrary::directory(), folder());
    EXPECT_TRUE(std::filesystem::is_directory(folder()));
    // A relative one is ignored for the home folder.
    ScopedEnvironment relative("XDG_DATA_HOME", "relative/data");
    ScopedEnvironment home("HOME", (root.path() / "home").string());
    EXPECT_EQ(CharacterLibrary::directory(),
              root.path() / "home" / ".local" / "share" / "Plimsa" / "Characters");
}

TEST_F(CharacterLibraryTest, ListsModelFilesByNameInCodePointOrder) {
    for (const char* file :
         {"B.glb", "a.gltf", "notes.txt", ".DS_Store", "Robo.GLB", "z.usdz", "z.usdc", "x.obj", "v.VRM"})
        writeFile(folder() / file, "x");
    std::filesystem::create_directories(folder() / "sub.glb");
    writeFile(folder() / "sub" / "deep.glb", "x");
    EXPECT_EQ(CharacterLibrary::names(), (Names{"B", "Robo", "a", "v", "z", "z"}));
}

TEST_F(CharacterLibraryTest, UrlAndResolveFindModelsFirstAbsolutePathsAsTheyAreNothingWhenHidden) {
    writeFile(folder() / "notes.txt", "x");
    writeFile(folder() / "Robo.txt", "x");
    writeFile(folder() / "Robo.glb", "x");
    EXPECT_EQ(CharacterLibrary::url("notes"), folder() / "notes.txt");
    EXPECT_EQ(CharacterLibrary::url("Robo"), folder() / "Robo.glb");
    EXPECT_EQ(CharacterLibrary::url("robo"), std::nullopt);
    EXPECT_EQ(CharacterLibrary::url("Missing"), std::nullopt);
    // Resolve takes absolute paths as they are and empty as nothing.
    EXPECT_EQ(CharacterLibrary::resolve("/no/such/file.glb"), std::filesystem::path("/no/such/file.glb"));
    EXPECT_EQ(CharacterLibrary::resolve(""), std::nullopt);
    EXPECT_EQ(CharacterLibrary::resolve("Robo"), folder() / "Robo.glb");
    EXPECT_EQ(CharacterLibrary::resolve("../Robo"), std::nullopt);
    // A hidden library looks empty, but absolute paths still resolve.
    CharacterLibrary::hideLibrary = true;
    EXPECT_TRUE(CharacterLibrary::names().empty());
    EXPECT_EQ(CharacterLibrary::url("Robo"), std::nullopt);
    EXPECT_EQ(CharacterLibrary::resolve("/abs/Robo.glb"), std::filesystem::path("/abs/Robo.glb"));
}

TEST_F(CharacterLibraryTest, AddingTheSameFileTwiceOrFromTheFolderKeepsOneCopyWithTheNewestContents) {
    writeFile(outside("Robo.glb"), "first");
    EXPECT_EQ(CharacterLibrary::add(outside("Robo.glb")), "Robo");
    writeFile(outside("Robo.glb"), "second");
    EXPECT_EQ(CharacterLibrary::add(outside("Robo.glb")), "Robo");
    EXPECT_EQ(folderEntries(), std::vector{folder() / "Robo.glb"});
    EXPECT_EQ(readFile(folder() / "Robo.glb"), "second");
    EXPECT_EQ(CharacterLibrary::names(), Names{"Robo"});
    // Adding the file that is already in the folder keeps it.
    EXPECT_EQ(CharacterLibrary::add(folder() / "Robo.glb"), "Robo");
    EXPECT_EQ(readFile(folder() / "Robo.glb"), "second");
    EXPECT_EQ(folderEntries().size(), 1u);
}

TEST_F(CharacterLibraryTest, FailedAddKeepsTheOldCharacterAndLeavesNoTemporary) {
    writeFile(folder() / "Robo.glb", "precious");
    writeFile(outside("file"), "x");
    std::filesystem::create_directories(outside("dir") / "Robo.glb");
    ASSERT_EQ(::mkfifo(outside("fifo.glb").c_str(), 0600), 0);
    // Missing, below a regular file, a folder, a FIFO (which must not block either).
    for (const auto& source : {outside("Robo.glb"), outside("file") / "Robo.glb", outside("dir") / "Robo.glb",
                               outside("fifo.glb")})
        EXPECT_EQ(CharacterLibrary::add(source), std::nullopt) << source;
    EXPECT_EQ(folderEntries(), std::vector{folder() / "Robo.glb"});
    EXPECT_EQ(readFile(folder() / "Robo.glb"), "precious");

    // A copy that cannot be renamed into place (a folder holds the name) keeps what was there.
    std::filesystem::create_directories(folder() / "Kit.glb" / "inside");
    writeFile(outside("Kit.glb"), "new");
    EXPECT_EQ(CharacterLibrary::add(outside("Kit.glb")), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_directory(folder() / "Kit.glb" / "inside"));
    EXPECT_EQ(folderEntries(), (std::vector{folder() / "Kit.glb", folder() / "Robo.glb"}));
}

TEST_F(CharacterLibraryTest, FolderThatCannotBeCreatedTakesNothingIn) {
    writeFile(outside("blocked"), "a file where the data folder would be");
    ScopedEnvironment blocked("XDG_DATA_HOME", outside("blocked").string());
    writeFile(outside("Robo.glb"), "robo");
    TestZip zip;
    zip.file("Kit.glb", "kit");
    EXPECT_EQ(CharacterLibrary::add(outside("Robo.glb")), std::nullopt);
    EXPECT_TRUE(CharacterLibrary::installPack(zip.save(outside("pack.zip"))).empty());
    EXPECT_TRUE(CharacterLibrary::names().empty());
    EXPECT_EQ(readFile(outside("blocked")), "a file where the data folder would be");
    EXPECT_TRUE(scratchIsClean());
}

TEST_F(CharacterLibraryTest, AddKeepsTheFileNameWithoutJudgingTheContentsAndRefusesSourcesWithoutOne) {
    writeFile(outside("My Robot.v2.GLB"), "not really a model");
    EXPECT_EQ(CharacterLibrary::add(outside("My Robot.v2.GLB")), "My Robot.v2");
    EXPECT_EQ(readFile(folder() / "My Robot.v2.GLB"), "not really a model");
    struct stat status {};
    ASSERT_EQ(::stat((folder() / "My Robot.v2.GLB").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    // Sources without a file name are refused.
    writeFile(outside("x") / "Robo.glb", "x");
    EXPECT_EQ(CharacterLibrary::add(outside("x") / ".."), std::nullopt);
    EXPECT_EQ(CharacterLibrary::add(outside("x") / "."), std::nullopt);
    EXPECT_EQ(CharacterLibrary::add(outside("x") / ""), std::nullopt);
    EXPECT_EQ(folderEntries().size(), 1u);
}

TEST_F(CharacterLibraryTest, PackInstallsItsVisibleModelsThatLoadAndReportsEachOneThatDoesNot) {
    const std::string robo = model("humanoid-mixamo-colon.glb");
    TestZip zip;
    zip.file("pack/Robo.glb", robo)
        .file("__MACOSX/pack/._Robo.glb", "resource fork")
        .file("pack/readme.txt", "read me")
        .file("pack/Other.gltf", "{}")
        .file("pack/Broken.glb", "glTF but not really")
        .file("pack/Avatar.vrm", model("humanoid-no-bones.glb"))
        .file("pack/deep/LOUD.GLB", robo);
    const auto report = CharacterLibrary::installPackReporting(zip.save(outside("pack.zip")));
    EXPECT_EQ(report.installed, (Names{"Avatar", "Robo", "LOUD"}));
    using Refusal = CharacterLibrary::InstallReport::Refusal;
    EXPECT_EQ(report.refused,
              (std::vector<Refusal>{
                  {"pack/Broken.glb",
                   "does not load as a character: the file is cut short (an unfinished download or copy?)"},
                  {"pack/Other.gltf",
                   "does not load as a character: the model's data is damaged or inconsistent"}}));
    EXPECT_EQ(readFile(folder() / "Robo.glb"), robo);
    EXPECT_EQ(CharacterLibrary::names(), (Names{"Avatar", "LOUD", "Robo"}));
    EXPECT_TRUE(scratchIsClean());
    // The same name in two folders becomes one character, listed twice.
    const std::string other = model("humanoid-no-bones.glb");
    TestZip twice;
    twice.file("a/Robo.glb", robo).file("b/Robo.glb", other);
    EXPECT_EQ(CharacterLibrary::installPack(twice.save(outside("twice.zip"))), (Names{"Robo", "Robo"}));
    EXPECT_EQ(readFile(folder() / "Robo.glb"), other);
    TestZip none;
    none.file("readme.txt", "read me");
    EXPECT_EQ(CharacterLibrary::installPackReporting(none.save(outside("none.zip"))).refused,
              (std::vector<Refusal>{{outside("none.zip").string(), "no .glb or .vrm model inside"}}));
}

// The extractor's own tests cover every kind of hostile entry; here one of each outcome shows that a
// pack installs all or nothing, with the library's limits, and leaves no scratch folder behind.
TEST_F(CharacterLibraryTest, PackThatFailsToExtractInstallsNothingAndCleansUp) {
    writeFile(outside("fake.zip"), "definitely not a zip");
    TestZip hostile;
    hostile.file("Good.glb", "good").file("../../../planted.glb", "evil");
    TestZip oversized;
    oversized.file("Good.glb", "good").file("Huge.glb", std::string(8192, 'h'));
    EXPECT_TRUE(CharacterLibrary::installPack(outside("fake.zip")).empty());
    EXPECT_TRUE(CharacterLibrary::installPack(outside("missing.zip")).empty());
    EXPECT_TRUE(CharacterLibrary::installPack(hostile.save(outside("hostile.zip"))).empty());
    EXPECT_TRUE(
        CharacterLibrary::installPack(oversized.save(outside("big.zip")), {.maxEntryBytes = 4096}).empty());
    EXPECT_TRUE(CharacterLibrary::names().empty());
    EXPECT_FALSE(std::filesystem::exists(root.path() / "planted.glb"));
    EXPECT_TRUE(scratchIsClean());
}

}  // namespace
}  // namespace plimsa
