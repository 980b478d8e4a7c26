#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "config/Settings.h"
#include "platform/qt/QSettingsDefaults.h"

namespace plimsa {
namespace {

// Every test keeps its settings in its own temporary configuration home.
class QSettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        useHome(home.path());
        Settings::setPersist(true);
    }

    static void useHome(const QString& path) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
    }

    QString documentFile() const { return home.filePath(QStringLiteral("Plimsa/Plimsa.conf")); }

    QTemporaryDir home;
};

TEST_F(QSettingsStore, StoresBytesExactlyAndReadsTextAsUtf8) {
    QSettingsDefaults defaults;
    EXPECT_FALSE(defaults.data("PlimsaSettings"));
    const std::string bytes("{\"a\":\"\xc3\xa9\"}\n\0\xff", 14);
    ASSERT_TRUE(defaults.setData("PlimsaSettings", bytes));
    EXPECT_EQ(defaults.data("PlimsaSettings"), bytes);
    EXPECT_TRUE(QFile::exists(documentFile()));

    QSettings(QStringLiteral("Plimsa"), QStringLiteral("Plimsa")).setValue("text", QStringLiteral("h\u00e9"));
    EXPECT_EQ(defaults.data("text"), "h\xc3\xa9");
    QSettings(QStringLiteral("Plimsa"), QStringLiteral("Plimsa")).setValue("number", 7);
    EXPECT_FALSE(defaults.data("number"));
}

TEST_F(QSettingsStore, SuitesAreSeparateDomainsOfTheOrganisation) {
    QSettingsDefaults defaults;
    const auto suite = defaults.suite(Settings::kLegacySuite);
    ASSERT_TRUE(suite);
    ASSERT_TRUE(suite->setData("PlimsaSettings", "old"));
    EXPECT_FALSE(defaults.data("PlimsaSettings"));
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("Plimsa/app.plimsa.Plimsa.conf"))));
    EXPECT_FALSE(defaults.suite(""));
    EXPECT_FALSE(defaults.suite("../../elsewhere"));
}

TEST_F(QSettingsStore, RestartReadsWhatTheLastRunSaved) {
    Uuid swingId;
    {
        QSettingsDefaults defaults;
        Settings settings(defaults);
        settings.update([](Settings::Values& v) {
            v.swings.resize(2);
            v.swings[1].characters = {"ada", "bo"};
            v.swings[1].applyStyle(SwingStyle::chill);
            v.corners.resize(1);
            v.corners[0].side = CornerSide::left;
        });
        settings.update([](Settings::Values& v) { v.swings[1].kick = 0.3; });
        swingId = settings.v().swings[1].id;
    }
    // A fresh folder that the process has never read, holding only the file the last run left behind, so
    // nothing can come from an in-process cache.
    QTemporaryDir restarted;
    ASSERT_TRUE(QDir().mkpath(restarted.filePath(QStringLiteral("Plimsa"))));
    ASSERT_TRUE(QFile::copy(documentFile(), restarted.filePath(QStringLiteral("Plimsa/Plimsa.conf"))));
    useHome(restarted.path());

    QSettingsDefaults defaults;
    Settings settings(defaults);
    ASSERT_EQ(settings.v().swings.size(), 2u);
    EXPECT_EQ(settings.v().swings[1].id, swingId);
    EXPECT_EQ(settings.v().swings[1].characters, (std::vector<std::string>{"ada", "bo"}));
    EXPECT_EQ(settings.v().swings[1].style, SwingStyle::chill);
    EXPECT_DOUBLE_EQ(settings.v().swings[1].kick, 0.3);
    ASSERT_EQ(settings.v().corners.size(), 1u);
    EXPECT_EQ(settings.v().corners[0].side, CornerSide::left);
}

TEST_F(QSettingsStore, FirstRunCopiesTheOlderSuite) {
    QSettingsDefaults defaults;
    defaults.suite(Settings::kLegacySuite)->setData(Settings::kKey, R"({"ropeLength": 3.0})");
    Settings settings(defaults);
    ASSERT_EQ(settings.v().swings.size(), 1u);
    EXPECT_DOUBLE_EQ(settings.v().swings[0].ropeLength, 3.0);
    EXPECT_EQ(defaults.data(Settings::kKey), R"({"ropeLength": 3.0})");
}

TEST_F(QSettingsStore, UnwritableLocationFailsAndLeavesNoPartialFile) {
    // The organisation folder is a regular file, so nothing can be created in it.
    QFile blocker(home.filePath(QStringLiteral("Plimsa")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettingsDefaults defaults;
    EXPECT_FALSE(defaults.setData(Settings::kKey, "{}"));
    const QFileInfo file(blocker.fileName());
    EXPECT_TRUE(file.isFile());
    EXPECT_EQ(file.size(), 0);
}

}  // namespace
}  // namespace plimsa
