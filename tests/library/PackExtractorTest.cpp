#include "library/PackExtractor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/TemporaryFolder.h"
#include "TestZip.h"

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

    TemporaryFolder root;
};

TEST(PackEntryNames, OnlyRelativeNamesWithoutParentStepsAreSafe) {
    for (const char* safe :
         {"a.glb", "pack/a.glb", "./a", "a/./b", "a..b", "..a/b", "b../c", "a//b", "dir/"}) {
        EXPECT_TRUE(PackExtractor::isSafeEntryName(safe)) << safe;
    }
    for (const char* unsafe : {"", "/", "/etc/passwd", "..", "../a", "a/..", "a/../b", "a/../../b", "//a"}) {
        EXPECT_FALSE(PackExtractor::isSafeEntryName(unsafe)) << unsafe;
    }
}

TEST_F(PackExtractorTest, WritesFilesAndFoldersUnderTheirRelativePaths) {
    TestZip zip;
    zip.folder("pack/").file("pack/Robo.glb", "glTF-robo").file("top.txt", "hello").folder("empty/");
    ASSERT_EQ(extract(zip), Outcome::extracted);
    EXPECT_EQ(readFile(out() / "pack" / "Robo.glb"), "glTF-robo");
    EXPECT_EQ(readFile(out() / "top.txt"), "hello");
    EXPECT_TRUE(std::filesystem::is_directory(out() / "empty"));
}

TEST_F(PackExtractorTest, NonAsciiNamesArriveAsTheirUtf8Bytes) {
    TestZip zip;
    zip.file("pack/Rob\xC3\xB6 \xE2\x98\x85.glb", "robo");
    ASSERT_EQ(extract(zip), Outcome::extracted);
    EXPECT_EQ(readFile(out() / "pack" / "Rob\xC3\xB6 \xE2\x98\x85.glb"), "robo");
}

TEST_F(PackExtractorTest, EntriesWithoutPermissionsStillComeOutReadable) {
    TestZip zip;
    zip.file("locked.glb", "data", 0);
    ASSERT_EQ(extract(zip), Outcome::extracted);
    struct stat status {};
    ASSERT_EQ(::stat((out() / "locked.glb").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0400, 0400u);
    EXPECT_EQ(status.st_mode & 07000, 0u);
    EXPECT_EQ(readFile(out() / "locked.glb"), "data");
}

TEST_F(PackExtractorTest, ParentStepInAnEntryFailsTheArchiveAndWritesNothingOutside) {
    TestZip zip;
    zip.file("good.glb", "ok").file("../escaped.glb", "evil").file("deep/../../escaped2.glb", "evil");
    EXPECT_EQ(extract(zip), Outcome::unsafePath);
    EXPECT_FALSE(std::filesystem::exists(root.path() / "escaped.glb"));
    EXPECT_FALSE(std::filesystem::exists(root.path() / "escaped2.glb"));
}

TEST_F(PackExtractorTest, AbsoluteEntryFailsTheArchiveAndLandsNowhere) {
    const auto outside = root.path() / "absolute.glb";
    TestZip zip;
    zip.file(outside.string(), "evil");
    EXPECT_EQ(extract(zip), Outcome::unsafePath);
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_FALSE(std::filesystem::exists(out() / outside.relative_path()));
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

TEST_F(PackExtractorTest, EntryLargerThanItsLimitFailsTheArchive) {
    TestZip zip;
    zip.file("small.glb", "ok").file("huge.glb", std::string(64 * 1024, 'x'));
    EXPECT_EQ(extract(zip, {.maxEntryBytes = 32 * 1024}), Outcome::tooLarge);
}

TEST_F(PackExtractorTest, HighlyCompressedBombFailsOnTotalSizeBeforeFillingTheDisk) {
    const std::string zeros(3u << 20, '\0');
    TestZip zip;
    zip.file("a.glb", zeros).file("b.glb", zeros).file("c.glb", zeros);
    const auto archiveBytes = zip.bytes().size();
    EXPECT_LT(archiveBytes, 100u * 1024);
    EXPECT_EQ(extract(zip, {.maxEntryBytes = 4u << 20, .maxTotalBytes = 5u << 20}), Outcome::tooLarge);
    std::uintmax_t written = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(out()))
        if (entry.is_regular_file()) written += entry.file_size();
    EXPECT_LE(written, std::uintmax_t{5u << 20});
}

TEST_F(PackExtractorTest, TooManyEntriesFailTheArchive) {
    TestZip zip;
    for (int i = 0; i < 5; ++i) zip.file("f" + std::to_string(i), "x");
    EXPECT_EQ(extract(zip, {.maxEntries = 4}), Outcome::tooManyEntries);
}

TEST_F(PackExtractorTest, DamagedOrForeignDataIsUnreadable) {
    TestZip zip;
    zip.file("pack/Robo.glb", std::string(4096, 'r'));
    auto truncated = zip.bytes();
    truncated.resize(truncated.size() / 2);
    EXPECT_EQ(PackExtractor().extract(truncated, out()), Outcome::unreadable);

    const std::string text = "this is not a zip archive at all";
    EXPECT_EQ(PackExtractor().extract(std::as_bytes(std::span(text)), out()), Outcome::unreadable);
    EXPECT_EQ(PackExtractor().extract(std::span<const std::byte>(), out()), Outcome::unreadable);
    EXPECT_EQ(PackExtractor().extract(root.path() / "missing.zip", out()), Outcome::unreadable);
}

TEST_F(PackExtractorTest, MissingDestinationIsAWriteFailure) {
    TestZip zip;
    zip.file("a.glb", "x");
    EXPECT_EQ(PackExtractor().extract(zip.bytes(), root.path() / "nowhere"), Outcome::writeFailed);
    EXPECT_FALSE(std::filesystem::exists(root.path() / "nowhere"));
}

TEST_F(PackExtractorTest, ReadsAnArchiveFromAFile) {
    TestZip zip;
    zip.file("pack/Robo.glb", "robo");
    const auto file = zip.save(root.path() / "pack.zip");
    ASSERT_EQ(PackExtractor().extract(file, out()), Outcome::extracted);
    EXPECT_EQ(readFile(out() / "pack" / "Robo.glb"), "robo");
}

}  // namespace
}  // namespace plimsa
