#include "platform/image/Png.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace plimsa {
namespace {

namespace fs = std::filesystem;

Image sample(bool premultiplied) {
    Image image(3, 2, premultiplied);
    const uint8_t pixels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                              64, 32, 16, 128, 0, 0, 0, 0, 200, 200, 200, 255};
    image.pixels.assign(std::begin(pixels), std::end(pixels));
    return image;
}

class PngFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("plimsa-png-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST(Png, PremultipliedImageSurvivesEncodeAndDecodeRowsTopToBottom) {
    const Image original = sample(true);
    std::optional<std::vector<uint8_t>> bytes = Png::encode(original);
    ASSERT_TRUE(bytes);
    EXPECT_EQ((*bytes)[1], 'P');
    std::optional<Image> decoded = Png::decode(*bytes);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->premultiplied);
    ASSERT_EQ(decoded->width, 3);
    ASSERT_EQ(decoded->height, 2);
    for (size_t i = 0; i < original.pixels.size(); ++i) EXPECT_NEAR(decoded->pixels[i], original.pixels[i], 1) << i;
}

TEST(Png, StraightAlphaImageIsPremultipliedOnTheWay) {
    Image straight(1, 1, false);
    straight.pixels = {200, 100, 50, 128};
    std::optional<Image> decoded = Png::decode(*Png::encode(straight));
    ASSERT_TRUE(decoded);
    EXPECT_NEAR(decoded->pixels[0], 100, 1);
    EXPECT_NEAR(decoded->pixels[1], 50, 1);
    EXPECT_NEAR(decoded->pixels[2], 25, 1);
    EXPECT_EQ(decoded->pixels[3], 128);
}

TEST(Png, EmptyOrShortImagesAreNotEncoded) {
    EXPECT_FALSE(Png::encode(Image()));
    Image lying(4, 4);
    lying.pixels.resize(10);
    EXPECT_FALSE(Png::encode(lying));
    EXPECT_EQ(Png::write(Image(), "/tmp/never-written.png"), Png::WriteResult::emptyImage);
}

TEST(Png, RejectsBytesThatAreNotAWellFormedPng) {
    const std::vector<uint8_t> bytes = *Png::encode(sample(true));
    EXPECT_FALSE(Png::decode(std::span<const uint8_t>()));
    EXPECT_FALSE(Png::decode(std::span<const uint8_t>(bytes.data(), bytes.size() / 2)));
    std::vector<uint8_t> corrupt = bytes;
    for (size_t i = 40; i < corrupt.size(); ++i) corrupt[i] ^= 0x5a;
    EXPECT_FALSE(Png::decode(corrupt));
    const std::string text = "not a png at all, just some text that is long enough";
    EXPECT_FALSE(Png::decode(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
}

TEST(Png, RefusesHugeDimensionsBeforeAllocating) {
    std::vector<uint8_t> bytes = *Png::encode(sample(true));
    bytes[16] = 0x00, bytes[17] = 0x01, bytes[18] = 0x00, bytes[19] = 0x00;  // width 65536
    EXPECT_FALSE(Png::decode(bytes));
}

TEST_F(PngFiles, WritesAFileThatReadsBack) {
    const fs::path path = folder_ / "out.png";
    EXPECT_EQ(Png::write(sample(true), path.string()), Png::WriteResult::written);
    std::optional<Image> read = Png::read(path.string());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->width, 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1) << "no temporary left";
}

TEST_F(PngFiles, UnwritablePathIsAnErrorAndLeavesNothingBehind) {
    EXPECT_EQ(Png::write(sample(true), (folder_ / "missing" / "out.png").string()), Png::WriteResult::cannotWrite);
    EXPECT_EQ(Png::write(sample(true), folder_.string()), Png::WriteResult::cannotWrite) << "a folder is in the way";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 0);
}

TEST_F(PngFiles, FailedWriteKeepsTheExistingFile) {
    const fs::path path = folder_ / "keep.png";
    ASSERT_EQ(Png::write(sample(true), path.string()), Png::WriteResult::written);
    const auto size = fs::file_size(path);
    EXPECT_EQ(Png::write(Image(), path.string()), Png::WriteResult::emptyImage);
    EXPECT_EQ(fs::file_size(path), size);
    EXPECT_TRUE(Png::read(path.string()));
}

TEST_F(PngFiles, ReadingAMissingOrBrokenFileGivesNothing) {
    EXPECT_FALSE(Png::read((folder_ / "absent.png").string()));
    std::ofstream(folder_ / "broken.png") << "\x89PNG broken";
    EXPECT_FALSE(Png::read((folder_ / "broken.png").string()));
}

}  // namespace
}  // namespace plimsa
