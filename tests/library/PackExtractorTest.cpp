#include "library/PackExtractor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>

#include "support/TemporaryFolder.h"
#include "support/TestZip.h"

namespace plimsa {
namespace {

using testing::readFile;
using testing::TemporaryFolder;
using testing::TestZip;
using Outcome = PackExtractor::Outcome;

class PackExtractorTest : public ::testing::Test {
  protected:
    std::filesystem::path out() const { return root.path() / "out"; }
    void SetUp() override { std::filesystem::create_directory(out()); }

    Outcome extract(TestZip& zip, PackExtractor::Limits limits = {}) {
        return PackExtractor(limits).extract(zip.bytes(), out());
    }
    std::uintmax_t bytesWritten() const {
        std::uintmax_t written = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(out()))
            if (entry.is_regular_file()) written += entry.file_size();
        return written;
    }

    TemporaryFolder root;
};

TEST(PackEntryNames, OnlyRelativeNamesOfSomethingInsideWithoutParentStepsAreSafe) {
    for (const char* safe :
         {"a.glb", "pack/a.glb", "./a", "a/./b", "a/.", "a..b", "..a/b", "b../c", "a//b", "dir/"})
        EXPECT_TRUE(PackExtractor::isSafeEntryName(safe)) << safe;
    for (const char* unsafe : {"", "/", "/etc/passwd", "..", "../a", "a/..", "a/../b", "a/../../b", "//a",
                               ".", "./", "./.", ".//./", "././"})
        EXPECT_FALSE(PackExtractor::isSafeEntryName(unsafe)) << unsafe;
}

TEST_F(PackExtractorTest, WritesFilesAndFoldersUnderTheirRelativePathsReadablyWhateverTheirMode) {
    TestZip zip;
    zip.folder("pack/")
        .file("pack/Robo.glb", "glTF-robo")
        .file("top.txt", "hello")
        .folder("empty/")
        .file("pack/Rob\xC3\xB6 \xE2\x98\x85.glb", "utf-8")
        .file("locked.glb", "data", 0);
    ASSERT_EQ(PackExtractor().extract(zip.save(root.path() / "pack.zip"), out()), Outcome::extracted);
    EXPECT_EQ(readFile(out() / "pack" / "Robo.glb"), "glTF-robo");
    EXPECT_EQ(readFile(out() / "top.txt"), "hello");
    EXPECT_TRUE(std::filesystem::is_directory(out() / "empty"));
    EXPECT_EQ(readFile(out() / "pack" / "Rob\xC3\xB6 \xE2\x98\x85.glb"), "utf-8");
    struct stat status {};
    ASSERT_EQ(::stat((out() / "locked.glb").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0400, 0400u);
    EXPECT_EQ(status.st_mode & 07000, 0u);
    EXPECT_EQ(readFile(out() / "locked.glb"), "data");
}

// Every hostile archive fails as a whole, leaves the destination a folder, writes nothing beside it and
// never more than the limits allow.
TEST_F(PackExtractorTest, HostileArchivesFailAndWriteNothingOutside) {
    const std::string outside = (root.path() / "planted.glb").string();
    const std::string zeros(3u << 20, '\0');
    struct Case {
        const char* what;
        std::function<void(TestZip&)> build;
        PackExtractor::Limits limits;
        Outcome outcome;
    };
    const Case cases[] = {
        {"parent step",
         [](TestZip& z) { z.file("good.glb", "ok").file("../planted.glb", "evil"); },
         {},
         Outcome::unsafePath},
        {"deep parent step",
         [](TestZip& z) { z.file("deep/../../planted.glb", "evil"); },
         {},
         Outcome::unsafePath},
        {"absolute", [&](TestZip& z) { z.file(outside, "evil"); }, {}, Outcome::unsafePath},
        {"file named .", [](TestZip& z) { z.file(".", "replaces the folder"); }, {}, Outcome::unsafePath},
        {"file named ./.", [](TestZip& z) { z.file("./.", "replaces the folder"); }, {}, Outcome::unsafePath},
        {"folder named ./", [](TestZip& z) { z.folder("./").file("a.glb", "x"); }, {}, Outcome::unsafePath},
        {"oversized entry",
         [](TestZip& z) { z.file("small.glb", "ok").file("huge.glb", std::string(64 << 10, 'x')); },
         {.maxEntryBytes = 32 << 10},
         Outcome::tooLarge},
        {"too many entries",
         [](TestZip& z) {
             for (int i = 0; i < 5; ++i) z.file("f" + std::to_string(i), "x");
         },
         {.maxEntries = 4},
         Outcome::tooManyEntries},
        {"bomb",
         [&](TestZip& z) { z.file("a.glb", zeros).file("b.glb", zeros).file("c.glb", zeros); },
         {.maxEntryBytes = 4u << 20, .maxTotalBytes = 5u << 20},
         Outcome::tooLarge},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(out());
        std::filesystem::create_directory(out());
        TestZip zip;
        c.build(zip);
        EXPECT_EQ(extract(zip, c.limits), c.outcome) << c.what;
        ASSERT_TRUE(std::filesystem::is_directory(std::filesystem::symlink_status(out()))) << c.what;
        EXPECT_LE(bytesWritten(), c.limits.maxTotalBytes) << c.what;
        EXPECT_FALSE(std::filesystem::exists(outside)) << c.what;
        EXPECT_FALSE(std::filesystem::exists(out() / std::filesystem::path(outside).relative_path()))
            << c.what;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.path()), {}), 1) << c.what;
    }
    // The bomb is small as an archive: the limit, not its size, stops it.
    TestZip bomb;
    bomb.file("a.glb", zeros).file("b.glb", zeros).file("c.glb", zeros);
    EXPECT_LT(bomb.bytes().size(), 100u << 10);
}

TEST_F(PackExtractorTest, LinksAreSkippedSoNothingCanBeWrittenThroughThem) {
    const auto outside = root.path() / "outside";
    std::filesystem::create_directory(outside);
    TestZip zip;
    zip.symlink("escape", outside.string())
        .file("escape/planted.glb", "evil")
        .symlink("pack/Evil.glb", "/etc/hostname")
        .symlink("inner", "pack")
        .file("pack/Robo.glb", "robo");
    ASSERT_EQ(extract(zip), Outcome::extracted);
    EXPECT_TRUE(std::filesystem::is_empty(outside));
    EXPECT_FALSE(std::filesystem::is_symlink(out() / "escape"));
    EXPECT_EQ(readFile(out() / "escape" / "planted.glb"), "evil");  // a plain folder inside
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(out() / "pack" / "Evil.glb")));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(out() / "inner")));
    EXPECT_EQ(readFile(out() / "pack" / "Robo.glb"), "robo");
}

TEST_F(PackExtractorTest, DamagedOrForeignDataIsUnreadableAndADestinationThatIsNoFolderUnwritable) {
    TestZip zip;
    zip.file("pack/Robo.glb", std::string(4096, 'r'));
    auto truncated = zip.bytes();
    truncated.resize(truncated.size() / 2);
    EXPECT_EQ(PackExtractor().extract(truncated, out()), Outcome::unreadable);
    const std::string text = "this is not a zip archive at all";
    EXPECT_EQ(PackExtractor().extract(std::as_bytes(std::span(text)), out()), Outcome::unreadable);
    EXPECT_EQ(PackExtractor().extract(std::span<const std::byte>(), out()), Outcome::unreadable);
    EXPECT_EQ(PackExtractor().extract(root.path() / "missing.zip", out()), Outcome::unreadable);
    // A destination that is not a folder is a write failure.
    testing::writeFile(root.path() / "file", "x");
    for (const auto& destination :
         {root.path() / "nowhere", root.path() / "file", root.path() / "file" / "sub"})
        EXPECT_EQ(PackExtractor().extract(zip.bytes(), destination), Outcome::writeFailed) << destination;
    EXPECT_FALSE(std::filesystem::exists(root.path() / "nowhere"));
    EXPECT_EQ(readFile(root.path() / "file"), "x");
}

}  // namespace
}  // namespace plimsa
