#include "platform/image/Png.h"

#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace plimsa {
namespace {

namespace fs = std::filesystem;

Image sample(bool premultiplied) {
    Image image(3, 2, premultiplied);
    const uint8_t pixels[] = {255, 0,  0,  255, 0, 255, 0, 255, 0,   0,   255, 255,
                              64,  32, 16, 128, 0, 0,   0, 0,   200, 200, 200, 255};
    image.pixels.assign(std::begin(pixels), std::end(pixels));
    return image;
}

std::optional<Image> roundTrip(const Image& image) {
    const std::optional<std::vector<uint8_t>> bytes = Png::encode(image);
    return bytes ? Png::decode(*bytes) : std::nullopt;
}

class PngFiles : public ::testing::Test {
  protected:
    std::ptrdiff_t entries() const {
        return std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator());
    }
    testing::TemporaryFolder folder_;
};

TEST(Png, PremultipliedImageSurvivesRowsTopToBottomAndStraightAlphaIsPremultipliedOnTheWay) {
    const Image original = sample(true);
    const std::optional<Image> decoded = roundTrip(original);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->premultiplied);
    ASSERT_EQ(decoded->width, 3);
    ASSERT_EQ(decoded->height, 2);
    for (size_t i = 0; i < original.pixels.size(); ++i)
        EXPECT_NEAR(decoded->pixels[i], original.pixels[i], 1) << i;
    Image straight(1, 1, false);
    straight.pixels = {200, 100, 50, 128};
    const std::optional<Image> premultiplied = roundTrip(straight);
    ASSERT_TRUE(premultiplied);
    const uint8_t expected[] = {100, 50, 25, 128};
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(premultiplied->pixels[i], expected[i], 1) << i;
}

TEST(Png, RejectsBytesThatAreNotAWellFormedPngOrHaveHugeDimensions) {
    const std::vector<uint8_t> bytes = Png::encode(sample(true)).value();
    EXPECT_EQ(bytes.at(1), 'P');
    EXPECT_FALSE(Png::decode(std::span<const uint8_t>()));
    EXPECT_FALSE(Png::decode(std::span<const uint8_t>(bytes.data(), bytes.size() / 2)));
    std::vector<uint8_t> corrupt = bytes;
    for (size_t i = 40; i < corrupt.size(); ++i) corrupt[i] ^= 0x5a;
    EXPECT_FALSE(Png::decode(corrupt));
    const std::string text = "not a png at all, just some text that is long enough";
    EXPECT_FALSE(Png::decode(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
    std::vector<uint8_t> huge = bytes;                                   // refused before allocating
    huge[16] = 0x00, huge[17] = 0x01, huge[18] = 0x00, huge[19] = 0x00;  // width 65536
    EXPECT_FALSE(Png::decode(huge));
}
TEST_F(PngFiles, WritesAFileThatReadsBackAndAFailedWriteKeepsIt) {
    const fs::path path = folder_.path() / "out.png";
    EXPECT_EQ(Png::write(sample(true), path.string()), Png::WriteResult::written);
    std::optional<Image> read = Png::read(path.string());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->width, 3);
    EXPECT_EQ(entries(), 1) << "no temporary left";
    // A failed write keeps the existing file.
    EXPECT_EQ(Png::write(Image(), path.string()), Png::WriteResult::emptyImage);
    EXPECT_TRUE(Png::read(path.string()));
}

TEST_F(PngFiles, BadPathsAndImagesWriteNothingAndMissingOrBrokenFilesReadAsNothing) {
    EXPECT_EQ(Png::write(sample(true), (folder_.path() / "missing" / "out.png").string()),
              Png::WriteResult::cannotWrite);
    EXPECT_EQ(Png::write(sample(true), folder_.path().string()), Png::WriteResult::cannotWrite)
        << "a folder is in the way";
    EXPECT_EQ(entries(), 0);
    // Reading a missing or broken file gives nothing.
    EXPECT_FALSE(Png::read((folder_.path() / "absent.png").string()));
    testing::writeFile(folder_.path() / "broken.png", "\x89PNG broken");
    EXPECT_FALSE(Png::read((folder_.path() / "broken.png").string()));
    // Empty or short images are neither encoded nor written.
    EXPECT_FALSE(Png::encode(Image()));
    Image lying(4, 4);
    lying.pixels.resize(10);
    EXPECT_FALSE(Png::encode(lying));
    EXPECT_EQ(Png::write(Image(), (folder_.path() / "empty.png").string()), Png::WriteResult::emptyImage);
    EXPECT_NE(Png::write(lying, (folder_.path() / "short.png").string()), Png::WriteResult::written);
    EXPECT_EQ(entries(), 1) << "only the broken file";
}

}  // namespace
}  // namespace plimsa
