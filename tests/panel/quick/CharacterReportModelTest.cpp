#include <gtest/gtest.h>
#include <QSignalSpy>

#include "config/Settings.h"
#include "library/CharacterPreviews.h"
#include "library/Packs.h"
#include "library/PortraitScenes.h"
#include "panel/quick/CharacterReportModel.h"
#include "panel/quick/PanelModel.h"
#include "platform/desktop/ManualDispatch.h"
#include "platform/desktop/MemoryDefaults.h"
#include "support/TemporaryFolder.h"
#include "swing/SwingInfo.h"

namespace plimsa {
namespace {

// Reports "load" on the previews' queue from a table by name; each load is counted.
class CharacterReportModelTest : public ::testing::Test {
  protected:
    CharacterReportModelTest() {
        previews.setInspect([this](const std::filesystem::path& url) {
            ++loads;
            CharacterReport report = reports.at(url.string());
            report.file = url.string() + ".glb";
            return report;
        });
        model.setPanel(&panel);
    }
    void pump() {
        dispatch.runBackground();
        dispatch.runPending();
    }
    static CharacterReport usable(SkeletonBones::Source source, std::vector<std::string> fallbacks = {},
                                  int missingTextures = 0) {
        CharacterReport report;
        report.usable = true;
        report.source = source;
        report.fallbacks = std::move(fallbacks);
        report.missingTextures = missingTextures;
        report.textures.assign(static_cast<size_t>(missingTextures), "missing: image 0");
        return report;
    }

    std::map<std::string, CharacterReport> reports;
    int loads = 0;
    testing::TemporaryFolder data;
    testing::ScopedEnvironment dataHome{"XDG_DATA_HOME", data.path().string()};
    MemoryDefaults defaults;
    Settings settings{defaults};
    SwingInfo info;
    Packs packs{std::nullopt, std::nullopt};
    ManualDispatch dispatch;
    CharacterPreviews previews{
        dispatch, {{}, [](std::string_view name) { return std::optional<std::filesystem::path>(name); }, {}}};
    PortraitScenes portraits{dispatch, {}};
    PanelServices services{settings, info, packs, previews, portraits, dispatch, nullptr, "1.0", {}, {}, {}};
    PanelModel panel{services};
    CharacterReportModel model;
};

TEST_F(CharacterReportModelTest, SummaryLineAndAttentionFollowWhatTheLoadFound) {
    CharacterReport refused;
    refused.refusal = "not a glTF or VRM file, or a damaged one";
    refused.refusalDetail = "binary glTF file is truncated";
    reports = {{"Vrm", usable(SkeletonBones::Source::vrm)},
               {"Armless", usable(SkeletonBones::Source::names, {"no arms found, so no grip on the chains"})},
               {"Pale", usable(SkeletonBones::Source::shape, {}, 2)},
               {"Bad", refused}};
    const struct {
        const char* name;
        const char* summary;
        bool attention;
        const char* detailLine;
    } cases[] = {
        {"Vrm", "Bones from the VRM map", false, "Bones from: the avatar's VRM humanoid map"},
        {"Armless", "Bones by name; no arms found, so no grip on the chains", true, "Fallbacks:"},
        {"Pale", "Bones from the skeleton's shape; 2 textures missing", true, "  missing: image 0"},
        {"Bad", "Refused: not a glTF or VRM file, or a damaged one", true,
         "Detail: binary glTF file is truncated"},
    };
    for (const auto& test : cases) {
        QSignalSpy changed(&model, &CharacterReportModel::reportChanged);
        model.setName(QString::fromUtf8(test.name));
        EXPECT_FALSE(model.known()) << test.name << ": loaded in the background, not here";
        pump();
        EXPECT_TRUE(model.known()) << test.name;
        EXPECT_GE(changed.count(), 1);
        EXPECT_EQ(model.summary().toStdString(), test.summary);
        EXPECT_EQ(model.needsAttention(), test.attention) << test.name;
        EXPECT_TRUE(model.details().contains(QString::fromUtf8(test.detailLine)))
            << model.details().toStdString();
    }
    EXPECT_EQ(loads, 4);
    // Back to a name already loaded: at once, no second load. An empty seat has no report and loads nothing.
    model.setName(QStringLiteral("Vrm"));
    EXPECT_TRUE(model.known());
    model.setName(QString());
    pump();
    EXPECT_FALSE(model.known());
    EXPECT_EQ(loads, 4);
}

TEST_F(CharacterReportModelTest, AReimportedCharacterIsLoadedAgain) {
    reports = {{"Robo", usable(SkeletonBones::Source::names)}};
    model.setName(QStringLiteral("Robo"));
    pump();
    ASSERT_EQ(model.summary().toStdString(), "Bones by name");
    reports["Robo"] = usable(SkeletonBones::Source::vrm);
    previews.forget("Robo");  // what an import does for every character it adds
    EXPECT_FALSE(model.known());
    pump();
    EXPECT_EQ(model.summary().toStdString(), "Bones from the VRM map");
    EXPECT_EQ(loads, 2);
}

}  // namespace
}  // namespace plimsa
