#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "config/Settings.h"
#include "platform/desktop/FileDefaults.h"
#include "platform/desktop/UserFolders.h"
#include "support/TemporaryFolder.h"

namespace plimsa {
namespace {

using testing::readFile;
using testing::ScopedEnvironment;
using testing::TemporaryFolder;
using testing::writeFile;
namespace fs = std::filesystem;

TEST(FileDefaults, SettingsDocumentIsTheFileItself) {
    TemporaryFolder temp;
    const auto folder = temp.path() / "config" / "plimsa";
    {
        FileDefaults defaults(folder);
        Settings settings(defaults);
        settings.update([](Settings::Values& v) { v.frameRate = 30; });
    }
    const auto text = readFile(folder / "settings.json");
    EXPECT_NE(text.find("\"frameRate\""), std::string::npos) << text;

    FileDefaults again(folder);
    EXPECT_EQ(again.data(Settings::kKey), text);
    EXPECT_EQ(Settings(again).v().frameRate, 30);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
        << "no temporary is left beside the file";
}

TEST(FileDefaults, UnreadableDocumentGivesDefaultsAndSurvivesAsACopy) {
    TemporaryFolder temp;
    const auto file = temp.path() / "settings.json";
    const std::string typo = "{\"frameRate\": 30,, }";
    writeFile(file, typo);

    FileDefaults defaults(temp.path());
    Settings settings(defaults);
    EXPECT_EQ(settings.v().frameRate, 60);
    EXPECT_EQ(readFile(file), typo) << "loading leaves the file alone";

    settings.update([](Settings::Values& v) { v.lightContrast = 0.7; });
    EXPECT_EQ(readFile(temp.path() / "settings.json.broken"), typo);
    EXPECT_EQ(Settings(defaults).v().lightContrast, 0.7);
}

TEST(FileDefaults, WritesThroughLinksAndKeepsPermissions) {
    TemporaryFolder temp;
    const auto real = temp.path() / "dotfiles" / "plimsa.json";
    writeFile(real, "{}");
    ::chmod(real.c_str(), 0600);
    fs::create_directories(temp.path() / "plimsa");
    fs::create_symlink(real, temp.path() / "plimsa" / "settings.json");

    FileDefaults defaults(temp.path() / "plimsa");
    ASSERT_TRUE(defaults.setData(Settings::kKey, "{\"frameRate\":30}"));
    EXPECT_TRUE(fs::is_symlink(temp.path() / "plimsa" / "settings.json"));
    EXPECT_EQ(readFile(real), "{\"frameRate\":30}");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(FileDefaults, RefusesNamesThatLeaveTheFolderAndFailsCleanly) {
    TemporaryFolder temp;
    const auto folder = temp.path() / "plimsa";
    FileDefaults defaults(folder);
    for (const char* key : {"", ".", "..", "../escape", "a/b", "line\nbreak"}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(defaults.setData(key, "{}"));
        EXPECT_FALSE(defaults.data(key));
        EXPECT_EQ(defaults.suite(key), nullptr);
    }
    EXPECT_FALSE(fs::exists(temp.path() / "escape.json"));

    writeFile(temp.path() / "file", "x");  // a folder that cannot exist: its parent is a file
    FileDefaults blocked(temp.path() / "file" / "plimsa");
    EXPECT_FALSE(blocked.setData(Settings::kKey, "{}"));
    EXPECT_FALSE(blocked.data(Settings::kKey));

    auto legacy = defaults.suite("app.plimsa.Plimsa");
    ASSERT_NE(legacy, nullptr);
    EXPECT_FALSE(legacy->data(Settings::kKey));
}

TEST(FileDefaults, StandardFolderFollowsTheBaseDirectoryRules) {
    ScopedEnvironment home("HOME", "/home/someone");
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "/elsewhere/config");
        EXPECT_EQ(FileDefaults::standardFolder(), fs::path("/elsewhere/config/plimsa"));
    }
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(FileDefaults::standardFolder(), fs::path("/home/someone/.config/plimsa"));
    }
    ScopedEnvironment unset("XDG_CONFIG_HOME");
    EXPECT_EQ(FileDefaults::standardFolder(), fs::path("/home/someone/.config/plimsa"));
}

}  // namespace
}  // namespace plimsa
