#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/ManualDispatch.h"
#include "support/TemporaryFolder.h"
#include "update/UpdateChecker.h"

namespace plimsa {
namespace {

using Info = UpdateChecker::Info;
constexpr const char* kFeed = "https://example.org/version.json";
const std::string kNewer = R"({"version": "2.0", "url": "https://example.org/2", "notes": "New swings"})";

class UpdateCheckerTest : public ::testing::Test {
  protected:
    std::unique_ptr<UpdateChecker> make(std::string feed = kFeed) {
        UpdateChecker::Options options;
        options.feed = std::move(feed);
        options.currentVersion = "1.2";
        options.openUrl = [this](const std::string& url) { opened.push_back(url); };
        options.clock = [] { return std::int64_t{1700000000}; };
        auto fetch = [this](const std::string& url, double timeout, UpdateChecker::FetchCompletion done) {
            urls.push_back(url), timeouts.push_back(timeout), pending.push_back(std::move(done));
        };
        auto checker = std::make_unique<UpdateChecker>(dispatch, fetch, std::move(options));
        connection = checker->onAvailableChange([this](const auto& info) { published.push_back(info); });
        return checker;
    }
    // One check answered with `body`, its result taken on the main queue.
    void checkAndAnswer(UpdateChecker& checker, std::optional<std::string> body) {
        checker.check();
        auto done = std::move(pending.back());
        pending.pop_back();
        done(std::move(body));
        dispatch.runPending();
    }

    ManualDispatch dispatch;
    std::vector<std::string> urls, opened;
    std::vector<double> timeouts;
    std::vector<UpdateChecker::FetchCompletion> pending;
    std::vector<std::optional<Info>> published;
    Connection connection;
};

TEST(UpdateCheckerVersions, IsNewerComparesNumericPartsAndCountsOddPartsAsZero) {
    struct Case {
        const char *a, *b;
        bool newer;
    };
    for (const Case& c : std::vector<Case>{{"1.10", "1.9", true},
                                           {"1.9", "1.10", false},
                                           {"1.2", "1.2.0", false},
                                           {"1.2.0", "1.2", false},
                                           {"1.2.1", "1.2", true},
                                           {"2.0-beta", "1.9", true},
                                           {"r2", "1", false},
                                           {"1..3", "1.2", true},
                                           {"1", "0", true},
                                           {"0.0.1", "", true},
                                           {"", "0", false},
                                           {"+2", "1", true},
                                           {"+-2", "1", false},
                                           {"-1", "0", false},
                                           {"0", "-1", true},
                                           {" 2", "1", false},
                                           {"99999999999999999999", "1", false}})
        EXPECT_EQ(UpdateChecker::isNewer(c.a, c.b), c.newer) << c.a << " than " << c.b;
}

TEST_F(UpdateCheckerTest, FeedAnswersAfterAPublishedUpdate) {
    struct Case {
        const char* name;
        std::optional<std::string> body;
        bool changes;
        std::optional<Info> after;
    };
    const Info newer{"2.0", "https://example.org/2", "New swings"};
    const std::vector<Case> cases{
        {"same update again", kNewer, false, {}},
        {"newer, notes", R"({"version":"3","url":"HTTPS://e.org:8443/a?b=%20#c","notes":"x","n":[[{}]]})",
         true, Info{"3", "HTTPS://e.org:8443/a?b=%20#c", "x"}},
        {"newer, no notes", R"({"version":"3","url":"http://[::1]/"})", true, Info{"3", "http://[::1]/", ""}},
        {"newer, odd notes", R"({"version":"3","url":"http://e.org","notes":[1]})", true,
         Info{"3", "http://e.org", ""}},
        {"running version", R"({"version":"1.2.0","url":"https://example.org/1"})", true, std::nullopt},
        {"older version", R"({"version":"1.1","url":"https://example.org/1"})", true, std::nullopt},
        {"version a number", R"({"version":3,"url":"https://example.org/3"})", false, {}},
        {"no url", R"({"version":"3"})", false, {}},
        {"url not web", R"({"version":"3","url":"file:///etc/passwd"})", false, {}},
        {"url with a space", R"({"version":"3","url":"https://e.org/a b"})", false, {}},
        {"url without host", R"({"version":"3","url":"https:///a"})", false, {}},
        {"url bad escape", R"({"version":"3","url":"https://e.org/%zz"})", false, {}},
        {"not json", "<html>", false, {}},
        {"array", "[" + kNewer + "]", false, {}},
        {"truncated", kNewer.substr(0, 30), false, {}},
        {"no body", std::nullopt, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        published.clear();
        auto checker = make();
        checkAndAnswer(*checker, kNewer);
        checkAndAnswer(*checker, c.body);
        EXPECT_EQ(published.size(), c.changes ? 2u : 1u);
        EXPECT_EQ(checker->available(), c.changes ? c.after : newer);
    }
}

TEST_F(UpdateCheckerTest, LastResultToReachTheMainQueueDecidesAndOpenUsesIt) {
    auto checker = make();
    checker->open();
    checker->check(), checker->check();
    pending[1](R"({"version":"3.0","url":"https://example.org/3"})");
    pending[0](kNewer);
    EXPECT_FALSE(checker->available());
    dispatch.runPending();
    EXPECT_EQ(published.size(), 2u);
    ASSERT_TRUE(checker->available());
    EXPECT_EQ(checker->available()->version, "2.0");
    checker->open();
    EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/2"});
}

TEST_F(UpdateCheckerTest, RequestCarriesTheTimeAsQueryItem) {
    for (const auto& [feed, url] : std::vector<std::pair<std::string, std::string>>{
             {kFeed, "https://example.org/version.json?t=1700000000"},
             {"http://e.org/v?c=beta", "http://e.org/v?c=beta&t=1700000000"},
             {"http://e.org/v?", "http://e.org/v?t=1700000000"},
             {"http://e.org/v#top", "http://e.org/v?t=1700000000#top"}}) {
        urls.clear();
        make(feed)->check();
        EXPECT_EQ(urls, std::vector<std::string>{url});
    }
    EXPECT_EQ(timeouts.front(), 10.0);
}

TEST_F(UpdateCheckerTest, FeedFromTheEnvironmentThatIsNoWebUrlMeansNoRequest) {
    for (const char* value :
         {"", "not a url", "ftp://example.org/v.json", "https://", "http://exa mple.org/"}) {
        testing::ScopedEnvironment environment(update_feed::kEnvironmentVariable, value);
        auto checker = make(update_feed::feedFromEnvironment(kFeed).value_or(""));
        checker->start();
        EXPECT_FALSE(checker->feed()) << value;
    }
    EXPECT_TRUE(urls.empty());
    testing::ScopedEnvironment unset(update_feed::kEnvironmentVariable);
    EXPECT_EQ(update_feed::feedFromEnvironment(kFeed), kFeed);
    testing::ScopedEnvironment set(update_feed::kEnvironmentVariable, "http://127.0.0.1:8/v");
    EXPECT_EQ(update_feed::feedFromEnvironment(kFeed), "http://127.0.0.1:8/v");
}

TEST_F(UpdateCheckerTest, StartChecksNowThenEverySixHoursUntilTheCheckerIsGone) {
    auto checker = make();
    checker->start();
    EXPECT_EQ(urls.size(), 1u);
    dispatch.advance(UpdateChecker::kCheckInterval - 1);
    EXPECT_EQ(urls.size(), 1u);
    dispatch.advance(1);
    EXPECT_EQ(urls.size(), 2u);
    checker.reset();
    pending.back()(kNewer);
    dispatch.advance(UpdateChecker::kCheckInterval);
    EXPECT_EQ(urls.size(), 2u);
    EXPECT_TRUE(published.empty());
}

}  // namespace
}  // namespace plimsa
