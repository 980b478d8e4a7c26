#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/Settings.h"
#include "config/SharedSettings.h"
#include "platform/desktop/MemoryDefaults.h"

#include "SwingSamples.h"

namespace plimsa {
namespace {

constexpr std::string_view kKey = Settings::kKey;

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override { Settings::setPersist(true); }
    void TearDown() override { Settings::setPersist(true); }

    static Settings::Values twoSwings() {
        Settings::Values values;
        values.swings = {testing::everyFieldChanged(), SwingConfig()};
        values.corners.resize(1);
        return values;
    }

    MemoryDefaults defaults;
};

TEST_F(SettingsStore, FirstRunHasTheDefaultsAndWritesNothingButAnOlderSuiteIsCopiedOnce) {
    defaults.addSuite(Settings::kLegacySuite);
    Settings settings(defaults);
    EXPECT_EQ(settings.v(), Settings::Values{});
    EXPECT_EQ(defaults.writeCount(), 0);
    EXPECT_FALSE(defaults.data(kKey));
    // An older suite is copied once and then decoded.
    const std::string old = R"({"kick": 0.3})";
    defaults.addSuite(Settings::kLegacySuite).setData(kKey, old);
    Settings copied(defaults);
    EXPECT_EQ(defaults.data(kKey), old);
    EXPECT_EQ(defaults.writeCount(), 1);
    ASSERT_EQ(copied.v().swings.size(), 1u);
    EXPECT_DOUBLE_EQ(copied.v().swings[0].kick, 0.3);

    Settings again(defaults);  // the standard domain has data now: no second copy
    EXPECT_EQ(defaults.writeCount(), 1);
}

TEST_F(SettingsStore, BadStandardDocumentGivesDefaultsWithoutConsultingTheSuiteAndStaysStored) {
    defaults.setData(kKey, "[1, 2]");
    defaults.addSuite(Settings::kLegacySuite).setData(kKey, R"({"frameRate": 30})");
    Settings settings(defaults);
    EXPECT_EQ(settings.v(), Settings::Values{});
    EXPECT_EQ(defaults.data(kKey), "[1, 2]");
    settings.update([](Settings::Values& v) { v.frameRate = 30; });
    EXPECT_EQ(Settings::Values::decode(defaults.data(kKey).value())->frameRate, 30);
}

TEST_F(SettingsStore, OneNestedFieldIsOneChangePublishedBeforeItIsStoredThenSaved) {
    defaults.setData(kKey, twoSwings().encode().value());
    Settings settings(defaults);
    const int writesBefore = defaults.writeCount();
    std::vector<std::string> events;
    auto will = settings.onWillChange([&](const Settings::Values& next) {
        events.push_back("will " + std::to_string(settings.v().swings[1].kick) + " -> " +
                         std::to_string(next.swings[1].kick) + " stored " +
                         std::to_string(Settings::Values::decode(*defaults.data(kKey))->swings[1].kick));
    });
    auto did = settings.onChanged([&](const Settings::Values& now) {
        events.push_back("did " + std::to_string(now.swings[1].kick) + " stored " +
                         std::to_string(Settings::Values::decode(*defaults.data(kKey))->swings[1].kick));
    });
    settings.update([](Settings::Values& v) { v.swings[1].kick = 0.25; });
    EXPECT_EQ(events, (std::vector<std::string>{"will 1.000000 -> 0.250000 stored 1.000000",
                                                "did 0.250000 stored 0.250000"}));
    EXPECT_EQ(defaults.writeCount(), writesBefore + 1);
    EXPECT_DOUBLE_EQ(settings.v().swings[1].kick, 0.25);
}

TEST_F(SettingsStore, EverySetSavesTheWholeDocumentEvenWhenNothingDiffersUnlessTheWriteFails) {
    Settings settings(defaults);
    settings.set(twoSwings());
    settings.set(settings.v());
    EXPECT_EQ(defaults.writeCount(), 2);
    EXPECT_EQ(Settings::Values::decode(*defaults.data(kKey)), settings.v());
    // A failed save keeps the new value in memory and the old one stored.
    const auto stored = defaults.data(kKey);
    defaults.setFailWrites(true);
    settings.update([](Settings::Values& v) { v.frameRate = 30; });
    EXPECT_EQ(settings.v().frameRate, 30);
    EXPECT_EQ(defaults.data(kKey), stored);
}

TEST_F(SettingsStore, WithoutPersistChangesArePublishedButNotStored) {
    defaults.setData(kKey, R"({"frameRate": 30})");
    Settings settings(defaults);
    Settings::setPersist(false);
    int published = 0;
    auto will = settings.onWillChange([&](const Settings::Values&) { ++published; });
    settings.update([](Settings::Values& v) { v.swings.clear(); });
    settings.update([](Settings::Values& v) { v.corners.clear(); });
    EXPECT_EQ(published, 2);
    EXPECT_EQ(defaults.data(kKey), R"({"frameRate": 30})");
    EXPECT_TRUE(settings.v().swings.empty());
}

TEST_F(SettingsStore, ResetSwingKeepsIdentityCharactersAndPlacementOnlyAndIgnoresBadIndices) {
    Settings settings(defaults);
    settings.set(twoSwings());
    const SwingConfig before = settings.v().swings[0];
    const SwingConfig other = settings.v().swings[1];
    settings.resetSwing(0);
    const SwingConfig& after = settings.v().swings[0];
    SwingConfig expected;
    expected.id = before.id;
    expected.characters = before.characters;
    expected.attach = before.attach;
    expected.anchorFraction = before.anchorFraction;
    EXPECT_EQ(after, expected);
    EXPECT_EQ(settings.v().swings[1], other);
    EXPECT_EQ(Settings::Values::decode(*defaults.data(kKey)), settings.v());

    // Out of range it does nothing at all.
    const int writes = defaults.writeCount();
    int published = 0;
    auto will = settings.onWillChange([&](const Settings::Values&) { ++published; });
    const auto unchanged = settings.v();
    for (const int index : {5, 2, -1}) settings.resetSwing(index);
    EXPECT_EQ(published, 0);
    EXPECT_EQ(defaults.writeCount(), writes);
    EXPECT_EQ(settings.v(), unchanged);
}

TEST_F(SettingsStore, ChangeAskedForDuringWillChangeFollowsAsItsOwnChange) {
    Settings settings(defaults);
    std::vector<int> announced;
    Connection will;
    will = settings.onWillChange([&](const Settings::Values& next) {
        announced.push_back(next.frameRate);
        if (next.frameRate == 30 && next.lightContrast != 0.9) {
            const double contrast = 0.9;  // a local the edit refers to, gone once this observer returns
            settings.update([&](Settings::Values& v) { v.lightContrast = contrast; });
        }
    });
    settings.update([](Settings::Values& v) { v.frameRate = 30; });
    EXPECT_EQ(announced, (std::vector<int>{30, 30}));
    EXPECT_EQ(settings.v().frameRate, 30);
    EXPECT_DOUBLE_EQ(settings.v().lightContrast, 0.9);
    EXPECT_EQ(Settings::Values::decode(*defaults.data(kKey)), settings.v());
    EXPECT_EQ(defaults.writeCount(), 2);
}

TEST_F(SettingsStore, ResetSwingFromWillChangeChecksTheValueBeingAnnounced) {
    Settings settings(defaults);
    settings.set(twoSwings());
    std::vector<std::size_t> announced;
    auto will = settings.onWillChange([&](const Settings::Values& next) {
        announced.push_back(next.swings.size());
        // The stored value has two swings while the announced one may have fewer.
        if (announced.size() == 1) {
            settings.resetSwing(1);
            settings.resetSwing(0);
        }
    });
    settings.update([](Settings::Values& v) {
        v.swings.pop_back();
        v.swings[0].kick = 0.2;
    });
    EXPECT_EQ(announced, (std::vector<std::size_t>{1, 1}));  // the removal, then the reset of swing 0
    ASSERT_EQ(settings.v().swings.size(), 1u);
    EXPECT_DOUBLE_EQ(settings.v().swings[0].kick, 1.0);
    EXPECT_EQ(settings.v().swings[0].characters, testing::everyFieldChanged().characters);
    EXPECT_EQ(Settings::Values::decode(*defaults.data(kKey)), settings.v());
}

TEST(SharedSettings, UsesTheInstalledDefaultsOrMemoryAndRefusesLateInstalls) {
    SharedSettings shared;
    auto installed = std::make_unique<MemoryDefaults>();
    installed->setData(Settings::kKey, R"({"frameRate": 24})");
    MemoryDefaults* domain = installed.get();
    EXPECT_FALSE(shared.installDefaults(nullptr));
    ASSERT_TRUE(shared.installDefaults(std::move(installed)));
    Settings& store = shared.store();
    EXPECT_EQ(&store, &shared.store());
    EXPECT_EQ(store.v().frameRate, 24);
    EXPECT_FALSE(shared.installDefaults(std::make_unique<MemoryDefaults>()));
    store.update([](Settings::Values& v) { v.frameRate = 30; });
    EXPECT_EQ(Settings::Values::decode(*domain->data(Settings::kKey))->frameRate, 30);

    SharedSettings inMemory;
    inMemory.store().update([](Settings::Values& v) { v.frameRate = 30; });
    EXPECT_EQ(inMemory.store().v().frameRate, 30);
    // The process's store is one of these: installs are refused once it exists, however often this runs.
    EXPECT_EQ(&Settings::shared(), &Settings::shared());
    EXPECT_FALSE(Settings::installDefaults(std::make_unique<MemoryDefaults>()));
}

}  // namespace
}  // namespace plimsa
