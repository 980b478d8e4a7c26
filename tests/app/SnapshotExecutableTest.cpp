// Runs the plimsa executable as a user would. Renders are few and small: they run on llvmpipe, under the
// sanitizers in CI. Runs that only need the diagnostic lines go without a renderer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>

#include "PlimsaProcess.h"
#include "app/SizeScan.h"
#include "app/Snapshot.h"
#include "platform/image/Png.h"
#include "support/ImageMeasure.h"
#include "support/RendererRequirement.h"
#include "swing/SwingScene.h"

namespace plimsa {
namespace {

using testing::Environment;
using testing::PlimsaSandbox;
using testing::ProcessResult;

// libglvnd's list of EGL drivers: pointing it at nothing leaves the process without an offscreen context.
Environment withoutRenderer(Environment environment = {{"PLIMSA_DEBUG", "1"}}) {
    environment["__EGL_VENDOR_LIBRARY_FILENAMES"] = "/nonexistent/egl-vendor.json";
    return environment;
}

/// The backdrop grey 0.55 (140), give or take rounding.
bool isGrey(const Image& image, int x, int y) {
    const testing::Rgba c = testing::at(image, x, y);
    return std::abs(c.r - 140) <= 1 && std::abs(c.g - 140) <= 1 && std::abs(c.b - 140) <= 1 && c.a == 255;
}

/// The image a run wrote, or nothing when it had no offscreen context; any other failure is reported.
std::optional<Image> written(const PlimsaSandbox& sandbox, const ProcessResult& run,
                             const std::string& name) {
    if (run.err.find("no offscreen OpenGL context") != std::string::npos) return std::nullopt;
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.outLines().empty() ? "" : run.outLines().back(), "wrote " + name);
    auto image = Png::read((sandbox.work() / name).string());
    EXPECT_TRUE(image) << name;
    return image;
}

/// The numbers on the debug line that starts with `prefix`, in order.
std::vector<double> numbersAfter(const ProcessResult& run, const std::string& prefix) {
    for (const std::string& line : run.outLines()) {
        if (!line.starts_with(prefix)) continue;
        std::vector<double> numbers;
        for (size_t at = prefix.size(); at < line.size(); ++at) {
            char* end = nullptr;
            const double value = std::strtod(line.c_str() + at, &end);
            if (end == line.c_str() + at) continue;
            numbers.push_back(value);
            at = static_cast<size_t>(end - line.c_str());
        }
        return numbers;
    }
    ADD_FAILURE() << "no line starting with " << prefix << " in\n" << run.out;
    return {};
}

TEST(SnapshotExecutable, HelpVersionAndIncompleteFormsWriteNothing) {
    PlimsaSandbox sandbox;
    const auto version = sandbox.run({"--corner", "c.png", "--version"});
    EXPECT_EQ(version.status, 0);
    int major = -1, minor = -1, patch = -1;
    EXPECT_EQ(std::sscanf(version.out.c_str(), "plimsa %d.%d.%d\n", &major, &minor, &patch), 3)
        << version.out;
    EXPECT_EQ(version.outLines().size(), 1u);
    const auto help = sandbox.run({"--snapshot", "s.png", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, Snapshot::usage());
    // No complete snapshot form: the desktop app, which without a display says so and ends.
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"--snapshot"}, {"--bogus", "--scan-min"}}) {
        const auto run = sandbox.run(arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("no X display"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(sandbox.entries().empty());
}

TEST(SnapshotExecutable, ScanMinPrintsOneLinePerGripAndLeanAndWritesNothing) {
    PlimsaSandbox sandbox;
    const auto run = sandbox.run({"--scan-min", "NoSuchCharacter", "--snapshot", "s.png"});
    EXPECT_EQ(run.status, 0);
    const auto lines = run.outLines();
    constexpr size_t kLeanCount = std::size(SizeScan::kLeans);
    ASSERT_EQ(lines.size(), std::size(SizeScan::kGrips) * kLeanCount) << run.out;
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
        EXPECT_NEAR(grip, SizeScan::kGrips[i / kLeanCount], 0.005);
        EXPECT_EQ(lean, SizeScan::kLeans[i % kLeanCount]);
        // The built-in figure never drops a hand to its lap: it reaches at the first size tried.
        EXPECT_EQ(empirical, 0.5);
    }
    EXPECT_TRUE(sandbox.entries().empty());
}

// The test process exports PLIMSA_DEBUG: a run that does not ask for it must not print diagnostics.
TEST(SnapshotExecutable, WithoutAnOffscreenContextEveryRenderingFormFailsAndWritesNothing) {
    testing::ScopedEnvironment inherited("PLIMSA_DEBUG", "1");
    PlimsaSandbox sandbox;
    { std::ofstream(sandbox.work() / "keep.png") << "old"; }
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--snapshot", "keep.png"},
                                                      {"--corner", "keep.png"},
                                                      {"--preview", "m.glb", "keep.png"}}) {
        const auto run = sandbox.run(arguments, withoutRenderer({}));
        if (run.status == 0) GTEST_SKIP() << "the EGL library ignores __EGL_VENDOR_LIBRARY_FILENAMES";
        EXPECT_EQ(run.status, 1) << arguments[0];
        EXPECT_EQ(run.out, "") << arguments[0];
        EXPECT_NE(run.err.find("no offscreen OpenGL context"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("keep.png was not written"), std::string::npos) << run.err;
    }
    EXPECT_EQ(sandbox.entries(), std::vector<std::string>{"keep.png"});
    EXPECT_EQ(testing::readFile(sandbox.work() / "keep.png"), "old");
}

TEST(SnapshotExecutable, LegOverrideReachesThePoseBeyondTheRangeTheMotionKeepsTo) {
    PlimsaSandbox sandbox;
    std::vector<std::vector<double>> heads;
    for (const char* leg : {"leg=0.5", "leg=1", "leg=1.5"})
        heads.push_back(numbersAfter(sandbox.run({"--snapshot", "s.png", "--set", leg}, withoutRenderer()),
                                     "head world position: "));
    ASSERT_EQ(heads[0].size(), 3u);
    EXPECT_NE(heads[0], heads[1]) << "the leg moves the head";
    EXPECT_NE(heads[1], heads[2]) << "1.5 must not be held to 1";
}

TEST(SnapshotExecutable, SnapshotAloneRendersTheDefaultSwingAtTwiceTheFullCircleSize) {
    PlimsaSandbox sandbox;
    const auto image = written(sandbox, sandbox.run({"--snapshot", "swing.png"}), "swing.png");
    PLIMSA_SKIP_WITHOUT_RENDERER(image, "the swing was not rendered");

    SwingScene scene;
    scene.setCharacters({""});
    scene.settingsChanged();
    const WindowSize size = scene.requiredSize(std::numbers::pi);
    EXPECT_EQ(image->width, std::lround(2 * size.width));
    EXPECT_EQ(image->height, std::lround(2 * size.height));
    EXPECT_TRUE(isGrey(*image, 0, image->height - 1));
    EXPECT_TRUE(isGrey(*image, image->width - 1, image->height - 1));
    // Ropes from the top edge, board and figure in the middle: something is drawn, most is backdrop.
    int drawn = 0;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) drawn += isGrey(*image, x, y) ? 0 : 1;
    const double share = drawn / (static_cast<double>(image->width) * image->height);
    EXPECT_GT(share, 0.02);
    EXPECT_LT(share, 0.5);
    bool ropeAtTop = false;
    for (int x = 0; x < image->width && !ropeAtTop; ++x) ropeAtTop = !isGrey(*image, x, 0);
    EXPECT_TRUE(ropeAtTop);
}

TEST(SnapshotExecutable, DebugLinesDescribeASmallTwoSeatSwing) {
    PlimsaSandbox sandbox;
    const auto run = sandbox.run(
        {"--snapshot", "two.png", "--seats", "2", "--model", ",NoSuchOne,", "--set", "scale=0.25"},
        {{"PLIMSA_DEBUG", "1"}});
    const auto image = written(sandbox, run, "two.png");
    const auto lines = run.outLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(numbersAfter(run, "min character size for chains: [").size(), 2u) << "one per seat";
    EXPECT_EQ(numbersAfter(run, "head world position: (").size(), 3u);
    for (size_t i = 2; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].starts_with("geometry ")) << lines[i];
        EXPECT_NE(lines[i].find(" sources=[vertex x "), std::string::npos) << lines[i];
        EXPECT_TRUE(lines[i].find(" skinner=false materials=[") != std::string::npos ||
                    lines[i].find(" skinner=true materials=[") != std::string::npos)
            << lines[i];
        EXPECT_TRUE(lines[i].ends_with("]")) << lines[i];
    }
    PLIMSA_SKIP_WITHOUT_RENDERER(image, "the swing was not rendered");
    EXPECT_LT(image->width, 1000);  // a quarter scale keeps the render small
}

TEST(SnapshotExecutable, CornerSitterSitsInTheChosenCornerOfTheWindowSizedImage) {
    PlimsaSandbox sandbox;
    const auto left = sandbox.run({"--corner", "left.png", "--side", "left", "--model", "Missing"},
                                  {{"PLIMSA_DEBUG", "1"}});
    const auto right = sandbox.run({"--corner", "r.png", "--side", "up"}, withoutRenderer());
    const auto wide = sandbox.run({"--corner", "w.png"},
                                  withoutRenderer({{"PLIMSA_DEBUG", "1"}, {"PLIMSA_CORNER_W", "3"}}));
    // "root world (x, y, z) head (x, y, z)"; "proj root (x, y, z) proj head (x, y, z) px WxH".
    const auto leftRoot = numbersAfter(left, "root world ("), rightRoot = numbersAfter(right, "root world (");
    const auto size = numbersAfter(left, "proj root "), wideSize = numbersAfter(wide, "proj root ");
    ASSERT_EQ(leftRoot.size(), 6u);
    ASSERT_EQ(rightRoot.size(), 6u);
    ASSERT_EQ(size.size(), 8u);
    ASSERT_EQ(wideSize.size(), 8u);
    EXPECT_LT(leftRoot[0], 0.0);
    EXPECT_GT(rightRoot[0], 0.0) << "any side but left is right";
    EXPECT_GT(wideSize[6], size[6]) << "PLIMSA_CORNER_W widens the view";
    EXPECT_EQ(wideSize[7], size[7]);

    const auto image = written(sandbox, left, "left.png");
    PLIMSA_SKIP_WITHOUT_RENDERER(image, "the corner sitter was not rendered");
    EXPECT_EQ(image->width, size[6]);
    EXPECT_EQ(image->height, size[7]);
    // The figure sits in the left corner, its outstretched foot reaching about to the middle; the right
    // third is all backdrop.
    int leftDrawn = 0, rightDrawn = 0;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            (x < 2 * image->width / 3 ? leftDrawn : rightDrawn) += isGrey(*image, x, y) ? 0 : 1;
    EXPECT_GT(leftDrawn, 2000);
    EXPECT_EQ(rightDrawn, 0);
}

TEST(SnapshotExecutable, PreviewOfAFileWithoutACharacterIsTheBuiltInFigureOnATransparentBackground) {
    PlimsaSandbox sandbox;
    { std::ofstream empty(sandbox.work() / "empty.glb"); }
    const auto run = sandbox.run({"--preview", "empty.glb", "p.png"});
    EXPECT_NE(run.err.find("built-in figure"), std::string::npos) << run.err;
    const auto image = written(sandbox, run, "p.png");
    PLIMSA_SKIP_WITHOUT_RENDERER(image, "the thumbnail was not rendered");
    EXPECT_EQ(image->width, 320);
    EXPECT_EQ(image->height, 320);
    EXPECT_EQ(image->pixel(0, 0)[3], 0);
    EXPECT_EQ(image->pixel(319, 319)[3], 0);
    const auto box = testing::opaqueBox(*image);
    EXPECT_GT(box.fraction, 0.05);
    EXPECT_NEAR((box.left + box.right) / 2.0, 160.0, 40.0);
}

}  // namespace
}  // namespace plimsa
