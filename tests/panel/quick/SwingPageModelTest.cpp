#include <gtest/gtest.h>
#include <QSignalSpy>

#include "config/Settings.h"
#include "library/CharacterPreviews.h"
#include "library/Packs.h"
#include "library/PortraitScenes.h"
#include "panel/quick/PanelModel.h"
#include "panel/quick/SwingPageModel.h"
#include "platform/desktop/ManualDispatch.h"
#include "platform/desktop/MemoryDefaults.h"
#include "support/TemporaryFolder.h"
#include "swing/SwingInfo.h"

namespace plimsa {
namespace {

class SwingPageModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.update([](Settings::Values& v) {
            v.swings.resize(2);
            v.swings[1].characters = {""};
        });
        model.setPanel(&panel);
        model.setRecordId(QString::fromStdString(stored().id.string()));
    }
    const SwingConfig& stored() const { return settings.v().swings.at(1); }

    testing::TemporaryFolder data;
    testing::ScopedEnvironment dataHome{"XDG_DATA_HOME", data.path().string()};
    MemoryDefaults defaults;
    Settings settings{defaults};
    SwingInfo info;
    Packs packs{std::nullopt, std::nullopt};
    ManualDispatch dispatch;
    CharacterPreviews previews{dispatch, {}};
    PortraitScenes portraits{dispatch, {}};
    PanelServices services{settings, info, packs, previews, portraits, dispatch, nullptr, "1.0", {}, {}, {}};
    PanelModel panel{services};
    SwingPageModel model;
};

TEST_F(SwingPageModelTest, EveryPickerOptionWritesItsFieldAndReadsBackUnknownNamesWriteNothing) {
    model.setSeatCount(1);
    const struct {
        const char* property;
        QVariantList options;
    } pickers[] = {{"seatCount", model.seatCountOptions()}, {"leftHand", model.handOptions()},
                   {"rightHand", model.handOptions()},      {"innerHand", model.handOptions()},
                   {"attach", model.attachOptions()},       {"style", model.styleOptions()},
                   {"headMode", model.headOptions()},       {"skin", model.skinOptions()}};
    for (const auto& picker : pickers) {
        ASSERT_GE(picker.options.size(), 2) << picker.property;
        for (const QVariant& option : picker.options) {
            const QVariant value = option.toMap().value("value");
            model.setProperty(picker.property, value);
            EXPECT_EQ(model.property(picker.property), value) << picker.property;
        }
        const SwingConfig before = stored();
        model.setProperty(picker.property, QStringLiteral("nonsense"));
        EXPECT_EQ(stored(), before) << picker.property;
    }
    EXPECT_EQ(stored().skin, SwingSkin::rope);
    EXPECT_EQ(stored().innerHand, HandMode::loose);
}

TEST_F(SwingPageModelTest, EverySliderNameWritesItsOwnRowHeldToItsRange) {
    model.setSeatCount(2);
    ASSERT_EQ(model.sliders().size(), 10);
    for (const QString& name : model.sliders().keys()) {
        model.setSlider(name, 1e9);
        const QVariantMap after = model.sliders().value(name).toMap();
        EXPECT_EQ(after.value("value"), after.value("to")) << name.toStdString();
    }
    for (const QString& name : model.fits().at(1).toMap().value("sliders").toMap().keys()) {
        model.setFitSlider(1, name, 1e9);
        const QVariantMap after = model.fits().at(1).toMap().value("sliders").toMap().value(name).toMap();
        EXPECT_EQ(after.value("value"), after.value("to")) << name.toStdString();
    }
    EXPECT_EQ(stored().fits.at(1), (CharacterFit{1.5, 0.2, 0.25}));
    EXPECT_EQ(model.sliders().value("tilt").toMap().value("text"), QStringLiteral("80°"));
}

TEST_F(SwingPageModelTest, StoreAndSizeChangesAreReReadAndTheFitHintCarriesItsTone) {
    QSignalSpy changed(&model, &SwingPageModel::valuesChanged);
    settings.update([](Settings::Values& v) { v.swings[1].characters = {"a", "b"}; });
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.title(), QStringLiteral("a & b"));
    model.setFitSlider(0, "size", 1.4);
    info.publish(stored().id, {0.5, 0.5}, {1.1, 1.5});
    const QVariantMap hint = model.fits().at(0).toMap().value("hint").toMap();
    EXPECT_EQ(hint.value("tone"), QStringLiteral("gold"));
    EXPECT_TRUE(hint.value("text").toString().startsWith("The board is full: shown at 1.10."));
    EXPECT_EQ(model.fits().at(1).toMap().value("hint").toMap().value("text"), QString());
}

TEST_F(SwingPageModelTest, ANewSeatIsFilledFromTheLibraryReadAfterTheModelWasMade) {
    testing::writeFile(data.path() / "Plimsa" / "Characters" / "poppy.glb", "glTF");
    panel.reloadLibrary();
    model.setSeatCount(2);
    EXPECT_EQ(stored().characters, (std::vector<std::string>{"", "poppy"}));
}

TEST_F(SwingPageModelTest, WithoutARecordItReadsDefaultsAndWritesNothing) {
    SwingPageModel orphan;
    orphan.setPanel(&panel);
    for (const QString& id :
         {QStringLiteral("not a uuid"), QString::fromStdString(Uuid::random().string())}) {
        orphan.setRecordId(id);
        const int writes = defaults.writeCount();
        orphan.setSlider("kick", 0.9);
        orphan.setSeatCount(2);
        orphan.remove();
        EXPECT_EQ(defaults.writeCount(), writes);
        EXPECT_FALSE(orphan.exists());
        EXPECT_EQ(orphan.sliders().size(), model.sliders().size());
        EXPECT_EQ(orphan.seatCells().size(), 1);
    }
    EXPECT_EQ(SwingPageModel().sliders().size(), model.sliders().size());
}

TEST_F(SwingPageModelTest, RemoveShowsTheNextSwingAndGetCharactersThePacksPage) {
    const Uuid first = settings.v().swings.at(0).id;
    model.remove();
    EXPECT_EQ(settings.v().swings.size(), 1u);
    EXPECT_EQ(panel.page(), PanelPage::swing(first));
    model.getCharacters();
    EXPECT_EQ(panel.page(), PanelPage::packs());
}

}  // namespace
}  // namespace plimsa
