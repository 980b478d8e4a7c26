#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkProxy>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/desktop/ManualDispatch.h"
#include "platform/qt/QtDispatch.h"
#include "platform/qt/QtFeedFetcher.h"
#include "support/LocalHttpServer.h"
#include "support/TemporaryFolder.h"
#include "update/UpdateChecker.h"

namespace plimsa {
namespace {

using Info = UpdateChecker::Info;
using testing::LocalHttpServer;
constexpr const char* kFeed = "https://example.org/version.json";
const std::string kNewer = R"({"version": "2.0", "url": "https://example.org/2", "notes": "New swings"})";

class UpdateCheckerTest : public ::testing::Test {
  protected:
    std::unique_ptr<UpdateChecker> make(std::string feed = kFeed) {
        auto fetch = [this](const std::string& url, double timeout, UpdateChecker::FetchCompletion done) {
            EXPECT_EQ(timeout, UpdateChecker::kTimeout);
            urls.push_back(url), pending.push_back(std::move(done));
        };
        auto open = [this](const std::string& url) { opened.push_back(url); };
        auto checker = std::make_unique<UpdateChecker>(
            dispatch, fetch,
            UpdateChecker::Options{std::move(feed), "1.2", open, [] { return std::int64_t{1700000000}; }});
        connection = checker->onAvailableChange([this](const auto& info) { published.push_back(info); });
        return checker;
    }
    // One check answered with `body`, its result taken on the main queue.
    void checkAndAnswer(UpdateChecker& checker, std::optional<std::string> body) {
        checker.check();
        pending.back()(std::move(body));
        dispatch.runPending();
    }

    ManualDispatch dispatch;
    std::vector<std::string> urls, opened;
    std::vector<UpdateChecker::FetchCompletion> pending;
    std::vector<std::optional<Info>> published;
    Connection connection;
};

TEST(UpdateCheckerVersions, IsNewerComparesNumericPartsAndCountsOddPartsAsZero) {
    // clang-format off
    for (const auto& [a, b, newer] : std::vector<std::tuple<const char*, const char*, bool>>{
             {"1.10", "1.9", true}, {"1.9", "1.10", false}, {"1.2", "1.2.0", false}, {"1.2.0", "1.2", false},
             {"1.2.1", "1.2", true}, {"2.0-beta", "1.9", true}, {"r2", "1", false}, {"1..3", "1.2", true},
             {"1", "0", true}, {"0.0.1", "", true}, {"", "0", false}, {"+2", "1", true}, {"+-2", "1", false},
             {"-1", "0", false}, {"0", "-1", true}, {" 2", "1", false}, {"99999999999999999999", "1", false}})
        EXPECT_EQ(UpdateChecker::isNewer(a, b), newer) << a << " than " << b;
    // clang-format on
}

TEST_F(UpdateCheckerTest, FeedAnswersAfterAPublishedUpdate) {
    using Case = std::tuple<std::optional<std::string>, bool, std::optional<Info>>;  // body, changes, after
    const Info newer{"2.0", "https://example.org/2", "New swings"};
    // clang-format off
    const std::vector<Case> cases{
        {kNewer, false, {}},  // the same update again: published once
        {R"({"version":"3","url":"HTTPS://e.org:8443/a?b=%20#c","notes":"x","n":[[{}]]})", true,
         Info{"3", "HTTPS://e.org:8443/a?b=%20#c", "x"}},
        {R"({"version":"3","url":"http://[::1]/"})", true, Info{"3", "http://[::1]/", ""}},
        {R"({"version":"3","url":"http://e.org","notes":[1]})", true, Info{"3", "http://e.org", ""}},
        {R"({"version":"1.2.0","url":"https://example.org/1"})", true, std::nullopt},
        {R"({"version":"1.1","url":"https://example.org/1"})", true, std::nullopt},
        {R"({"version":3,"url":"https://example.org/3"})", false, {}}, {R"({"version":"3"})", false, {}},
        {R"({"version":"3","url":"file:///etc/passwd"})", false, {}}, {R"({"version":"3","url":"https:///a"})", false, {}},
        {R"({"version":"3","url":"https://e.org/a b"})", false, {}}, {"[" + kNewer + "]", false, {}},
        {R"({"version":"3","url":"https://e.org/%zz"})", false, {}}, {kNewer.substr(0, 30), false, {}},
        {"<html>", false, {}}, {std::nullopt, false, {}}};
    // clang-format on
    for (const auto& [body, changes, after] : cases) {
        SCOPED_TRACE(body.value_or("(no body)"));
        published.clear();
        auto checker = make();
        checkAndAnswer(*checker, kNewer);
        checkAndAnswer(*checker, body);
        EXPECT_EQ(published.size(), changes ? 2u : 1u);
        EXPECT_EQ(checker->available(), changes ? after : newer);
    }
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
}

TEST_F(UpdateCheckerTest, FeedFromTheEnvironmentThatIsNoWebUrlMeansNoRequest) {
    for (const char* value :
         {"", "not a url", "ftp://example.org/v.json", "https://", "http://exa mple.org/"}) {
        testing::ScopedEnvironment environment(update_feed::kEnvironmentVariable, value);
        make(update_feed::feedFromEnvironment(kFeed).value_or(""))->start();
    }
    EXPECT_TRUE(urls.empty());
    EXPECT_EQ(update_feed::chooseFeed(nullptr, kFeed), kFeed);
    EXPECT_EQ(update_feed::chooseFeed("http://127.0.0.1:8/v", kFeed), "http://127.0.0.1:8/v");
}

TEST_F(UpdateCheckerTest, TimerChecksOverlapTheLastResultDecidesAndNothingOutlivesTheChecker) {
    auto checker = make();
    checker->start();
    dispatch.advance(UpdateChecker::kCheckInterval - 1);
    checker->open();
    EXPECT_EQ(urls.size(), 1u);
    dispatch.advance(1);
    ASSERT_EQ(urls.size(), 2u);
    pending[1](R"({"version":"3.0","url":"https://example.org/3"})");
    pending[0](kNewer);
    EXPECT_FALSE(checker->available());
    dispatch.runPending();
    EXPECT_EQ(published.size(), 2u);
    checker->open();
    EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/2"});
    dispatch.advance(UpdateChecker::kCheckInterval);
    checker.reset();
    pending.back()(R"({"version":"4.0","url":"https://example.org/4"})");
    dispatch.advance(UpdateChecker::kCheckInterval);
    EXPECT_EQ(urls.size(), 3u);
    EXPECT_EQ(published.size(), 2u);
}

TEST(QtFeedFetcher, ChecksAgainstALocalServer) {
    static int argc = 1;
    static char name[] = "update_tests", *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);  // whatever the environment says
    const std::string feed = R"({"version": "9.1", "url": "https://e.org/9"})";
    const auto answer = [&](int status, std::string headers = "", std::optional<std::string> body = {}) {
        return LocalHttpServer::response(status, body.value_or(feed), headers);
    };
    // An error status with the feed is still the feed; a body over the cap is none; a server that never
    // answers ({""}) leaves the check to the time-out.
    const std::vector<std::pair<std::vector<std::string>, bool>> cases{
        {{answer(200)}, true},
        {{answer(404)}, true},
        {{answer(302, "Location: /moved.json\r\n", ""), answer(200)}, true},
        {{answer(302, "Location: file:///etc/hostname\r\n", "")}, false},
        {{""}, false},
        {{answer(200, "", feed + std::string(QtFeedFetcher::kMaxBodyBytes, ' '))}, false}};
    EXPECT_EQ(UpdateChecker::Options{}.timeoutSeconds, 10.0);
    for (const auto& [responses, publishes] : cases) {
        SCOPED_TRACE(responses.front().substr(0, 60));
        LocalHttpServer server(responses);
        QtDispatch dispatch;
        QtFeedFetcher fetcher;
        int completions = 0, publications = 0;
        auto fetch = [&](const std::string& url, double timeout, UpdateChecker::FetchCompletion done) {
            fetcher.get(url, timeout,
                        [&completions, done](auto body) { ++completions, done(std::move(body)); });
        };
        UpdateChecker checker(
            dispatch, fetch,
            {"http://127.0.0.1:" + std::to_string(server.port()) + "/feed.json", "1.0", {}, {}, 0.5});
        const auto connection = checker.onAvailableChange([&](const auto&) { ++publications; });
        QElapsedTimer clock;
        clock.start();
        checker.check();
        while (completions == 0 && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(publications, publishes ? 1 : 0);
        EXPECT_THAT(server.requests().at(0), ::testing::StartsWith("GET /feed.json?t="));
        EXPECT_THAT(server.requests().at(0), ::testing::HasSubstr("no-cache"));
    }
}

}  // namespace
}  // namespace plimsa
