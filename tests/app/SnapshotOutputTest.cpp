#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "app/SnapshotOutput.h"
#include "platform/image/Png.h"
#include "support/TemporaryFolder.h"

namespace plimsa {
namespace {

/// A tmpfile-backed stream whose text can be read back.
struct CapturedStream {
    std::FILE* file = std::tmpfile();
    ~CapturedStream() { std::fclose(file); }
    std::string text() const {
        std::fflush(file);
        std::rewind(file);
        std::string content;
        for (int c; (c = std::fgetc(file)) != EOF;) content.push_back(static_cast<char>(c));
        return content;
    }
};

Image halfTransparentRed() {
    Image image(4, 3, true);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* pixel = image.pixel(x, y);
            pixel[0] = 128;
            pixel[3] = 128;
        }
    return image;
}

TEST(SnapshotOutputTest, WritesTheImageOverItsBackdropAndSaysSo) {
    testing::TemporaryFolder folder;
    for (const auto backdrop : {SnapshotOutput::Backdrop::grey, SnapshotOutput::Backdrop::transparent}) {
        const bool grey = backdrop == SnapshotOutput::Backdrop::grey;
        CapturedStream out, err;
        const std::string path = (folder.path() / (grey ? "grey.png" : "clear.png")).string();
        EXPECT_EQ(SnapshotOutput::write(halfTransparentRed(), path, out.file, err.file, backdrop), 0);
        EXPECT_EQ(out.text(), "wrote " + path + "\n");
        EXPECT_EQ(err.text(), "");
        const auto image = Png::read(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 4);
        const uint8_t* pixel = image->pixel(0, 0);
        if (grey) {
            EXPECT_EQ(pixel[3], 255);
            EXPECT_GT(pixel[0], 180);  // red over grey 0.55 (140)
            EXPECT_LT(pixel[1], 100);
        } else {
            EXPECT_NEAR(pixel[3], 128, 1);  // read back premultiplied, as written
            EXPECT_NEAR(pixel[0], 128, 1);
            EXPECT_EQ(pixel[1], 0);
        }
    }
}

TEST(SnapshotOutputTest, FailuresWriteNothingAndKeepAnExistingFile) {
    testing::TemporaryFolder folder;
    const auto existing = folder.path() / "keep.png";
    { std::ofstream(existing) << "old"; }
    std::filesystem::create_directories(folder.path() / "dir.png");
    struct Case {
        std::optional<Image> image;
        std::string path;
        const char* complaint;
    };
    const Case cases[] = {
        {std::nullopt, existing.string(), "could not render"},
        {Image(), existing.string(), "could not render"},
        {halfTransparentRed(), (folder.path() / "missing" / "x.png").string(), "could not write"},
        {halfTransparentRed(), (folder.path() / "dir.png").string(), "could not write"},
        {halfTransparentRed(), "", "could not write"},
    };
    for (const Case& c : cases) {
        CapturedStream out, err;
        EXPECT_EQ(SnapshotOutput::write(c.image, c.path, out.file, err.file), SnapshotOutput::kFailed)
            << c.path;
        EXPECT_EQ(out.text(), "") << c.path;
        EXPECT_NE(err.text().find(c.complaint), std::string::npos) << err.text();
    }
    EXPECT_EQ(testing::readFile(existing), "old");
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "dir.png"));
}

}  // namespace
}  // namespace plimsa
