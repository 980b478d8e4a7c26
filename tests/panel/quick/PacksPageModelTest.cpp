#include <gtest/gtest.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>

#include <memory>

#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "library/CharacterPreviews.h"
#include "library/Packs.h"
#include "library/PortraitScenes.h"
#include "panel/quick/CornerPageModel.h"
#include "panel/quick/PacksPageModel.h"
#include "panel/quick/PanelModel.h"
#include "platform/desktop/ManualDispatch.h"
#include "platform/desktop/MemoryDefaults.h"
#include "support/TemporaryFolder.h"
#include "support/TestHumanoids.h"
#include "support/TestZip.h"
#include "swing/SwingInfo.h"

namespace plimsa {
namespace {

using Names = std::vector<std::string>;

std::string humanoid() {
    const auto bytes = TestHumanoids::bytes("humanoid-mixamo-colon.glb");
    return {bytes.begin(), bytes.end()};
}

constexpr const char* kCatalogue =
    R"({"store": "https://shop.example/", "characters": {"Robo": "Robo the Bold"},
  "packs": [{"name": "Space", "characters": ["Robo", "Kit"], "url": "", "price": 4.5}],
  "bundle": {"name": "All", "url": "", "price": 20, "discountPrice": 10, "code": "SWING"}})";

// Both pages on one panel over a temporary data folder; thumbnails "render" as a 1x1 image.
class PacksPagesTest : public ::testing::Test {
  protected:
    PacksPagesTest() {
        testing::writeFile(userCatalogue(), kCatalogue);
        packs.reload();
        services.openUrl = [this](const std::string& url) { opened.push_back(url); };
        model.setPanel(&panel);
    }
    std::filesystem::path userCatalogue() const { return data.path() / "Plimsa" / "packs.json"; }
    std::filesystem::path characters() const { return data.path() / "Plimsa" / "Characters"; }
    QVariantMap card() const { return model.packs().value(0).toMap(); }

    testing::TemporaryFolder data;
    testing::ScopedEnvironment dataHome{"XDG_DATA_HOME", data.path().string()};
    MemoryDefaults defaults;
    Settings settings{defaults};
    SwingInfo info;
    Packs packs{userCatalogue(), std::nullopt};
    ManualDispatch dispatch;
    CharacterPreviews previews{
        dispatch,
        {.cacheFolder = data.path() / "Previews",
         .resolve = [](std::string_view) { return std::filesystem::path("/model.glb"); },
         .render = [](const std::filesystem::path&) { return Image(1, 1); }}};
    PortraitScenes portraits{dispatch, {}};
    PanelServices services{settings, info, packs, previews, portraits, dispatch, nullptr, "1.0", {}, "", {}};
    Names opened;
    PanelModel panel{services};
    PacksPageModel model;
};

TEST_F(PacksPagesTest, ImportRunsOffTheGuiThreadThenRefreshesLibraryThumbnailsAndCardsAndReportsRefusals) {
    previews.image("Robo");
    dispatch.runBackground();
    dispatch.runPending();
    ASSERT_TRUE(previews.images().count("Robo"));
    ASSERT_EQ(card().value("action"), QStringLiteral("buy"));

    testing::TestZip zip;
    zip.file("space/Robo.glb", humanoid())
        .file("space/Kit.glb", humanoid())
        .file("space/Odd.glb", "glTF odd");
    const auto pack = zip.save(data.path() / "space.zip");
    testing::writeFile(data.path() / "notes.txt", "not a character");
    model.setFilePicker([&] { return std::vector{pack, data.path() / "notes.txt"}; });
    QSignalSpy importChanged(&model, &PacksPageModel::importChanged);
    QSignalSpy valuesChanged(&model, &PacksPageModel::valuesChanged);
    model.addDownloaded();
    EXPECT_TRUE(model.busy());
    EXPECT_TRUE(CharacterLibrary::names().empty());  // nothing ran on this thread yet
    dispatch.runBackground();
    EXPECT_EQ(CharacterLibrary::names(), (Names{"Kit", "Robo"}));
    EXPECT_TRUE(panel.libraryNames().empty());  // the panel hears of it on the main queue
    dispatch.runPending();

    EXPECT_FALSE(model.busy());
    EXPECT_EQ(panel.libraryNames(), (Names{"Kit", "Robo"}));
    EXPECT_FALSE(previews.images().count("Robo"));
    EXPECT_FALSE(std::filesystem::exists(*previews.cacheFile("Robo")));
    EXPECT_EQ(card().value("action"), QStringLiteral("putOnSwing"));
    // Each file that did not come in has its line: the pack's model that does not load, the stray file.
    const QStringList notice = model.notice().split(QLatin1Char('\n'));
    ASSERT_EQ(notice.size(), 2) << model.notice().toStdString();
    EXPECT_TRUE(
        notice[0].startsWith(QStringLiteral("refused space/Odd.glb: does not load as a character: ")));
    EXPECT_TRUE(notice[1].startsWith(QStringLiteral("refused notes.txt: ")));
    EXPECT_EQ(model.imported(), (QStringList{"Kit", "Robo"}));
    EXPECT_GE(importChanged.count(), 2);
    EXPECT_GE(valuesChanged.count(), 1);

    // A cancelled dialog imports nothing and keeps the last notice.
    model.setFilePicker([] { return std::vector<std::filesystem::path>{}; });
    model.addDownloaded();
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(dispatch.backgroundCount(), 0u);
    EXPECT_FALSE(model.notice().isEmpty());
}

TEST_F(PacksPagesTest, AnImportOutlivesItsPageButNotItsPanel) {
    testing::TestZip zip;
    zip.file("Kit.glb", humanoid());
    const auto pack = zip.save(data.path() / "kit.zip");
    {
        PacksPageModel page;
        page.setPanel(&panel);
        page.setFilePicker([&] { return std::vector{pack}; });
        page.addDownloaded();
    }
    dispatch.runBackground();
    dispatch.runPending();
    EXPECT_EQ(panel.libraryNames(), Names{"Kit"});

    auto other = std::make_unique<PanelModel>(services);
    PacksPageModel page;
    page.setPanel(other.get());
    page.setFilePicker([&] { return std::vector{pack}; });
    page.addDownloaded();
    dispatch.runBackground();
    other.reset();
    EXPECT_GT(dispatch.runPending(), 0);  // the result arrives and finds no one
    EXPECT_FALSE(page.busy());
}

TEST_F(PacksPagesTest, HintsBundleAndLinksComeFromTheCatalogue) {
    EXPECT_EQ(model.hints().size(), 1);
    EXPECT_EQ(model.bundle().value("discount"), QStringLiteral("$10.00"));
    EXPECT_EQ(model.bundle().value("codeLine"), QStringLiteral("with code SWING at checkout"));
    EXPECT_EQ(card().value("buyLabel"), QStringLiteral("$4.50"));
    EXPECT_EQ(card().value("displayNames").toStringList(), (QStringList{"Robo the Bold", "Kit"}));
    EXPECT_TRUE(card().value("missingLink").toBool());
    EXPECT_FALSE(model.showsEarnCard());

    model.getAllPacks();
    model.buy(QStringLiteral("Space"));
    model.buy(QStringLiteral("No such pack"));
    model.editPacks();
    model.showFolder();
    EXPECT_EQ(opened, (Names{"https://shop.example/", "https://shop.example/",
                             "file://" + userCatalogue().string(), "file://" + characters().string()}));

    QSignalSpy changed(&model, &PacksPageModel::valuesChanged);
    testing::writeFile(userCatalogue(), "{ not json");
    model.reload();
    EXPECT_GE(changed.count(), 1);
    const QVariantMap error = model.hints().value(0).toMap();
    EXPECT_EQ(error.value("tone"), QStringLiteral("gold"));
    EXPECT_EQ(error.value("text").toString().toStdString(), Packs::kLoadErrorMessage);
    EXPECT_EQ(model.hints().value(1).toMap().value("tone"), QStringLiteral("dim"));
}

TEST_F(PacksPagesTest, CopyCodeReplacesTheClipboardWithTheDiscountCode) {
    testing::ScopedEnvironment platform("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "panel_quick_tests";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    model.copyCode();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("SWING"));
}

TEST_F(PacksPagesTest, EarnCardOnlyForAWebLink) {
    for (const auto& [url, shown] :
         std::vector<std::pair<std::string, bool>>{{"https://maker.example/earn", true},
                                                   {"", false},
                                                   {"/etc/passwd", false},
                                                   {"file:///x", false}}) {
        services.earnUrl = url;
        PacksPageModel page;
        page.setPanel(&panel);
        EXPECT_EQ(page.showsEarnCard(), shown) << url;
        opened.clear();
        page.openEarnPage();
        EXPECT_EQ(opened.size(), shown ? 1u : 0u) << url;
    }
}

TEST_F(PacksPagesTest, CornerPageCrossesNamesIntoTheStoreAndRemoveShowsTheNextPage) {
    CornerConfig first, second;
    second.character = "Robo";
    settings.update([&](SettingsValues& v) { v.corners = {first, second}; });
    CornerPageModel corner;
    corner.setPanel(&panel);
    corner.setRecordId(QString::fromStdString(second.id.string()));
    EXPECT_EQ(corner.title(), QStringLiteral("Robo the Bold"));
    for (const auto& [property, options] :
         {std::pair{"side", corner.sideOptions()}, std::pair{"headMode", corner.headOptions()}}) {
        for (const QVariant& option : options) {
            const QVariant value = option.toMap().value("value");
            corner.setProperty(property, value);
            EXPECT_EQ(corner.property(property), value) << property;
        }
        const CornerConfig before = settings.v().corners[1];
        corner.setProperty(property, QStringLiteral("nonsense"));
        EXPECT_EQ(settings.v().corners[1], before) << property;
    }
    EXPECT_EQ(corner.subtitle(), QStringLiteral("Sitting in the bottom right corner of the screen"));
    corner.remove();
    EXPECT_EQ(panel.page(), PanelPage::corner(first.id));
    EXPECT_FALSE(corner.exists());
    const int writes = defaults.writeCount();
    corner.setSize(1.2);
    corner.remove();
    EXPECT_EQ(defaults.writeCount(), writes);
    EXPECT_EQ(panel.page(), PanelPage::corner(first.id));
}

}  // namespace
}  // namespace plimsa
