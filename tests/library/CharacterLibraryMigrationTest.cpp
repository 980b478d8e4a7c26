#include <gtest/gtest.h>

#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "platform/desktop/MemoryDefaults.h"
#include "support/TemporaryFolder.h"

namespace plimsa {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryFolder;
using testing::writeFile;
using Names = std::vector<std::string>;

SwingConfig swingWith(Names characters) {
    SwingConfig swing;
    swing.characters = std::move(characters);
    return swing;
}

CornerConfig cornerWith(std::string character) {
    CornerConfig corner;
    corner.character = std::move(character);
    return corner;
}

class MigrationTest : public ::testing::Test {
  protected:
    MigrationTest() : dataHome("XDG_DATA_HOME", (root.path() / "data").string()), settings(defaults) {
        CharacterLibrary::hideLibrary = false;
        writeFile(CharacterLibrary::directory() / "Robo.glb", "x");
        writeFile(CharacterLibrary::directory() / "Cat.gltf", "x");
        writeFile(existing(), "x");
        changes = settings.onChanged([this](const Settings::Values&) { ++changeCount; });
    }
    ~MigrationTest() override { CharacterLibrary::hideLibrary = false; }

    std::string existing() const { return (root.path() / "elsewhere" / "Own.glb").string(); }
    std::string missing() const { return (root.path() / "elsewhere" / "Gone.glb").string(); }

    void store(std::vector<SwingConfig> swings, std::vector<CornerConfig> corners = {}) {
        settings.update([&](Settings::Values& v) {
            v.swings = std::move(swings);
            v.corners = std::move(corners);
        });
        changeCount = 0;
    }
    std::vector<Names> swingCharacters() const {
        std::vector<Names> result;
        for (const auto& swing : settings.v().swings) result.push_back(swing.characters);
        return result;
    }
    Names cornerCharacters() const {
        Names result;
        for (const auto& corner : settings.v().corners) result.push_back(corner.character);
        return result;
    }

    TemporaryFolder root;
    ScopedEnvironment dataHome;
    MemoryDefaults defaults;
    Settings settings;
    Connection changes;
    int changeCount = 0;
};

TEST_F(MigrationTest, EmptySeatsMissingCharactersAndTheirCornerSittersGoInOneChangePerList) {
    auto withFits = swingWith({"", "Robo", "Gone", "Cat"});
    withFits.fits.resize(4);
    store({withFits, swingWith({""}), swingWith({existing()}), swingWith({"Gone", missing()}),
           swingWith({"Cat"})});
    CharacterLibrary::migrateBuiltIn(settings);
    EXPECT_EQ(swingCharacters(), (std::vector<Names>{{"Robo", "Cat"}, {existing()}, {"Cat"}}));
    EXPECT_EQ(settings.v().swings.front().id, withFits.id);
    EXPECT_EQ(settings.v().swings.front().fits.size(), 4u);  // left as it was
    EXPECT_EQ(changeCount, 1);
    // Corner sitters without an existing character are removed, in a change of their own.
    store({swingWith({"Robo"})},
          {cornerWith(""), cornerWith("Robo"), cornerWith(missing()), cornerWith(existing())});
    CharacterLibrary::migrateBuiltIn(settings);
    EXPECT_EQ(cornerCharacters(), (Names{"Robo", existing()}));
    EXPECT_EQ(swingCharacters(), (std::vector<Names>{{"Robo"}}));
    EXPECT_EQ(changeCount, 1);
    // Pruning both swings and corners is two changes.
    store({swingWith({"Gone"})}, {cornerWith("Gone")});
    CharacterLibrary::migrateBuiltIn(settings);
    EXPECT_TRUE(settings.v().swings.empty());
    EXPECT_TRUE(settings.v().corners.empty());
    EXPECT_EQ(changeCount, 2);
}

TEST_F(MigrationTest, SettingsThatAreAllPresentAreNotTouchedButAHiddenLibraryKeepsOnlyAbsolutePaths) {
    store({swingWith({"Robo", "Cat"}), swingWith({existing()})}, {cornerWith("Cat")});
    const auto before = settings.v();
    CharacterLibrary::migrateBuiltIn(settings);
    EXPECT_EQ(settings.v(), before);
    EXPECT_EQ(changeCount, 0);
    // A hidden library keeps only existing absolute paths.
    store({swingWith({"Robo"}), swingWith({existing(), "Cat"})},
          {cornerWith("Robo"), cornerWith(existing())});
    CharacterLibrary::hideLibrary = true;
    CharacterLibrary::migrateBuiltIn(settings);
    EXPECT_EQ(swingCharacters(), (std::vector<Names>{{existing()}}));
    EXPECT_EQ(cornerCharacters(), (Names{existing()}));
}

}  // namespace
}  // namespace plimsa
