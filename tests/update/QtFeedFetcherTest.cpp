#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkProxy>
#include <string>
#include <vector>

#include "platform/qt/QtDispatch.h"
#include "platform/qt/QtFeedFetcher.h"
#include "support/LocalHttpServer.h"
#include "update/UpdateChecker.h"

namespace plimsa {
namespace {

using testing::LocalHttpServer;

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "update_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    return app;
}

TEST(QtFeedFetcher, ChecksAgainstALocalServer) {
    application();
    const std::string newer = R"({"version": "9.1", "url": "https://example.org/9.1"})";
    struct Case {
        const char* name;
        std::vector<std::string> responses;
        bool publishes;
    };
    const std::vector<Case> cases{
        {"answer", {LocalHttpServer::response(200, newer)}, true},
        {"error status with the feed", {LocalHttpServer::response(404, newer)}, true},
        {"redirect",
         {LocalHttpServer::response(302, "", "Location: /moved.json\r\n"),
          LocalHttpServer::response(200, newer)},
         true},
        {"redirect off the web",
         {LocalHttpServer::response(302, "", "Location: file:///etc/hostname\r\n")},
         false},
        {"body over the cap",
         {LocalHttpServer::response(200, newer + std::string(QtFeedFetcher::kMaxBodyBytes, ' '))},
         false},
        {"never answers", {""}, false},
    };
    EXPECT_EQ(UpdateChecker::Options{}.timeoutSeconds, 10.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LocalHttpServer server(c.responses);
        QtDispatch dispatch;
        QtFeedFetcher fetcher;
        int completions = 0;
        auto fetch = [&](const std::string& url, double timeout, UpdateChecker::FetchCompletion done) {
            fetcher.get(url, timeout, [&completions, done](std::optional<std::string> body) {
                ++completions, done(std::move(body));
            });
        };
        UpdateChecker checker(dispatch, fetch, {server.url("/feed.json"), "1.0", {}, {}, 0.5});
        int publications = 0;
        const auto connection = checker.onAvailableChange([&](const auto&) { ++publications; });
        QElapsedTimer clock;
        clock.start();
        checker.check();
        while (completions == 0 && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
        EXPECT_EQ(completions, 1);
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(publications, c.publishes ? 1 : 0);
        EXPECT_EQ(checker.available().has_value(), c.publishes);
        const auto requests = server.requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_THAT(requests.front(), ::testing::StartsWith("GET /feed.json?t="));
        EXPECT_THAT(requests.front(), ::testing::HasSubstr("no-cache"));
    }
}

}  // namespace
}  // namespace plimsa
