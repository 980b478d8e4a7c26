// Runs the plimsa executable as a user would. Renders are few and small: they run on llvmpipe, under the
// sanitizers in CI.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>

#include "PlimsaProcess.h"
#include "platform/image/Png.h"
#include "support/TestHumanoids.h"
#include "swing/SwingScene.h"

namespace plimsa {
namespace {

using testing::runPlimsa;
using testing::ScratchDirectory;

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}
bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
long count(const std::string& text, char c) {
    return std::count(text.begin(), text.end(), c);
}

bool isGrey(const uint8_t* pixel) {
    return std::abs(pixel[0] - 140) <= 1 && std::abs(pixel[1] - 140) <= 1 && std::abs(pixel[2] - 140) <= 1 &&
           pixel[3] == 255;
}

/// Share of pixels that are not the backdrop grey.
double drawnShare(const Image& image) {
    size_t drawn = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) drawn += isGrey(image.pixel(x, y)) ? 0 : 1;
    return static_cast<double>(drawn) / (static_cast<double>(image.width) * image.height);
}

TEST(SnapshotExecutable, HelpAndVersionAlwaysWorkAndStartNothing) {
    ScratchDirectory folder;
    const auto help = runPlimsa(folder.path(), {"--snapshot", "s.png", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--snapshot OUT.png [THETA]"), std::string::npos);
    EXPECT_NE(help.out.find("--model with no names"), std::string::npos);
    const auto version = runPlimsa(folder.path(), {"--corner", "c.png", "--version"});
    EXPECT_EQ(version.status, 0);
    int major = -1, minor = -1, patch = -1;
    EXPECT_EQ(std::sscanf(version.out.c_str(), "plimsa %d.%d.%d\n", &major, &minor, &patch), 3)
        << version.out;
    EXPECT_EQ(count(version.out, '\n'), 1);
    EXPECT_TRUE(folder.entries().empty());
}

TEST(SnapshotExecutable, WithoutAFormPrintsUsageAndSucceeds) {
    ScratchDirectory folder;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"--snapshot"}, {"--bogus", "--scan-min"}}) {
        const auto run = runPlimsa(folder.path(), arguments);
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.out.find("Snapshot mode"), std::string::npos);
    }
    EXPECT_TRUE(folder.entries().empty());
}

TEST(SnapshotExecutable, ScanMinPrintsTwelveLinesGripMajorAndWritesNothing) {
    ScratchDirectory folder;
    const auto run = runPlimsa(folder.path(), {"--scan-min", "NoSuchCharacter", "--snapshot", "s.png"});
    EXPECT_EQ(run.status, 0);
    const auto lines = run.outLines();
    ASSERT_EQ(lines.size(), 12u) << run.out;
    const double grips[] = {0.35, 0.45, 0.5, 0.62, 0.8, 0.95};
    for (size_t i = 0; i < lines.size(); ++i) {
        double grip = 0, lean = 0, empirical = 0, computed = 0;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "grip=%lf lean=%lf empirical=%lf computed=%lf", &grip, &lean,
                              &empirical, &computed),
                  4)
            << lines[i];
        // Printed back in the same format, the numbers give the line exactly: nothing else is on it.
        char again[160];
        std::snprintf(again, sizeof again, "grip=%.2f lean=%.0f empirical=%.2f computed=%.2f", grip, lean,
                      empirical, computed);
        EXPECT_EQ(lines[i], again);
        EXPECT_DOUBLE_EQ(grip, grips[i / 2]);
        EXPECT_EQ(lean, i % 2 == 0 ? 1.0 : 2.0);
        // The built-in figure never drops a hand to its lap: it reaches at the first size tried.
        EXPECT_EQ(empirical, 0.5);
    }
    EXPECT_TRUE(folder.entries().empty());
}

TEST(SnapshotExecutable, SnapshotAloneRendersTheDefaultSwingAtTwiceTheFullCircleSize) {
    ScratchDirectory folder;
    const auto run = runPlimsa(folder.path(), {"--snapshot", "swing.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "wrote swing.png\n");

    SwingScene scene;
    scene.setCharacters({""});
    scene.settingsChanged();
    const WindowSize size = scene.requiredSize(std::numbers::pi);
    const auto image = Png::read((folder.path() / "swing.png").string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, std::lround(2 * size.width));
    EXPECT_EQ(image->height, std::lround(2 * size.height));
    EXPECT_TRUE(isGrey(image->pixel(0, image->height - 1)));
    EXPECT_TRUE(isGrey(image->pixel(image->width - 1, image->height - 1)));
    // Ropes from the top edge, board and figure in the middle: something is drawn, most is backdrop.
    const double share = drawnShare(*image);
    EXPECT_GT(share, 0.02);
    EXPECT_LT(share, 0.5);
    bool ropeAtTop = false;
    for (int x = 0; x < image->width && !ropeAtTop; ++x) ropeAtTop = !isGrey(image->pixel(x, 0));
    EXPECT_TRUE(ropeAtTop);
}

TEST(SnapshotExecutable, DebugLinesDescribeASmallTwoSeatSwing) {
    ScratchDirectory folder;
    const auto run =
        runPlimsa(folder.path(),
                  {"--snapshot", "two.png", "--seats", "2", "--model", ",NoSuchOne,", "--set", "scale=0.25"},
                  {{"PLIMSA_DEBUG", "1"}});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = run.outLines();
    ASSERT_GE(lines.size(), 4u);
    // Two seats: one minimum size per seat.
    EXPECT_TRUE(startsWith(lines[0], "min character size for chains: [") && endsWith(lines[0], "]"))
        << lines[0];
    EXPECT_EQ(count(lines[0], ','), 1) << lines[0];
    EXPECT_TRUE(startsWith(lines[1], "head world position: (") && endsWith(lines[1], ")")) << lines[1];
    EXPECT_EQ(count(lines[1], ','), 2) << lines[1];
    for (size_t i = 2; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(startsWith(lines[i], "geometry ")) << lines[i];
        EXPECT_NE(lines[i].find(" sources=[vertex x "), std::string::npos) << lines[i];
        EXPECT_TRUE(lines[i].find(" skinner=false materials=[") != std::string::npos ||
                    lines[i].find(" skinner=true materials=[") != std::string::npos)
            << lines[i];
        EXPECT_TRUE(endsWith(lines[i], "]")) << lines[i];
    }
    EXPECT_EQ(lines.back(), "wrote two.png");
    const auto image = Png::read((folder.path() / "two.png").string());
    ASSERT_TRUE(image);
    EXPECT_LT(image->width, 1000);  // a quarter scale keeps the render small
}

TEST(SnapshotExecutable, CornerSitterSitsInTheChosenCornerOfTheWindowSizedImage) {
    ScratchDirectory folder;
    const auto left =
        runPlimsa(folder.path(), {"--corner", "left.png", "--side", "left", "--model", "Missing"},
                  {{"PLIMSA_DEBUG", "1"}, {"PLIMSA_CORNER_W", nullptr}});
    ASSERT_EQ(left.status, 0) << left.err;
    ASSERT_GE(left.outLines().size(), 4u);
    EXPECT_EQ(left.outLines()[0].rfind("root world (-0.99, 0.03, 0) head ", 0), 0u) << left.outLines()[0];
    EXPECT_NE(left.outLines()[1].find(" px 648x480"), std::string::npos);
    EXPECT_EQ(left.outLines()[2].rfind("lowest bone ", 0), 0u);
    EXPECT_EQ(left.outLines().back(), "wrote left.png");
    const auto image = Png::read((folder.path() / "left.png").string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 648);
    EXPECT_EQ(image->height, 480);
    // The figure is in the left half; the right half is all backdrop.
    double leftDrawn = 0, rightDrawn = 0;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            (x < 324 ? leftDrawn : rightDrawn) += isGrey(image->pixel(x, y)) ? 0 : 1;
    EXPECT_GT(leftDrawn, 2000);
    EXPECT_EQ(rightDrawn, 0);

    const auto wide = runPlimsa(folder.path(), {"--corner", "wide.png", "--side", "up"},
                                {{"PLIMSA_DEBUG", "1"}, {"PLIMSA_CORNER_W", "3"}});
    ASSERT_EQ(wide.status, 0) << wide.err;
    EXPECT_EQ(wide.outLines()[0].rfind("root world (1.14, 0.03, 0) head ", 0), 0u) << wide.outLines()[0];
    EXPECT_NE(wide.outLines()[1].find(" px 720x480"), std::string::npos);
}

TEST(SnapshotExecutable, AnOutputThatCannotBeWrittenIsNotReportedAsWritten) {
    ScratchDirectory folder;
    const auto run = runPlimsa(folder.path(), {"--preview", "missing.glb", "no-such-folder/p.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find("wrote"), std::string::npos);
    EXPECT_NE(run.err.find("could not write no-such-folder/p.png"), std::string::npos) << run.err;
    EXPECT_TRUE(folder.entries().empty());
}

TEST(SnapshotExecutable, PreviewOfAFileWithoutACharacterShowsTheBuiltInFigure) {
    ScratchDirectory folder;
    { std::ofstream empty(folder.path() / "empty.glb"); }
    const auto run = runPlimsa(folder.path(), {"--preview", "empty.glb", "p.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "wrote p.png\n");
    EXPECT_NE(run.err.find("built-in figure"), std::string::npos);
    const auto image = Png::read((folder.path() / "p.png").string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 320);
    EXPECT_EQ(image->height, 320);
    EXPECT_GT(drawnShare(*image), 0.05);
}

}  // namespace
}  // namespace plimsa
