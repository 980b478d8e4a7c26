#include "swing/SwingInfo.h"

#include <gtest/gtest.h>

namespace plimsa {
namespace {

TEST(SwingInfo, PublishesOnlyRealChangesPerSwingToObserversThatSeeTheOldValue) {
    SwingInfo info;
    int notices = 0;
    const Connection watcher = info.willChange.connect([&] { ++notices; });
    const Uuid swing = Uuid::random();

    EXPECT_TRUE(info.publish(swing, {0.0}, {9.0}));
    EXPECT_EQ(notices, 2);  // both tables were new
    EXPECT_FALSE(info.publish(swing, {0.0}, {9.0}));
    EXPECT_EQ(notices, 2);
    EXPECT_TRUE(info.publish(swing, {0.83}, {9.0}));
    EXPECT_EQ(notices, 3);
    EXPECT_EQ(info.minCharacterSize().at(swing), (std::vector<double>{0.83}));
    EXPECT_EQ(info.maxCharacterSize().at(swing), (std::vector<double>{9.0}));
    // Observers see the old value, and swings stay apart.
    const Uuid first = Uuid::random();
    const Uuid second = Uuid::random();
    info.publish(first, {0.5}, {9.0});
    std::vector<double> seen;
    const Connection connection = info.willChange.connect([&] {
        if (seen.empty()) seen = info.minCharacterSize().at(first);
    });
    info.publish(first, {0.7, 0.0}, {9.0, 9.0});
    EXPECT_EQ(seen, (std::vector<double>{0.5}));
    info.publish(second, {2.0}, {9.0});
    EXPECT_EQ(info.minCharacterSize().at(first), (std::vector<double>{0.7, 0.0}));
    EXPECT_EQ(info.minCharacterSize().size(), 3u);
}

}  // namespace
}  // namespace plimsa
