#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QNetworkAccessManager;

namespace plimsa {

/// Plain HTTP(S) GETs for small documents (the update feed) on Qt's network access manager. Requests
/// bypass every cache, give up after a time-out without any transfer, and follow at most a few
/// redirects, to http or https only and never from https down to http.
///
/// Needs a QCoreApplication; made and used on the GUI thread, where completions run too.
class QtFeedFetcher {
  public:
    /// Called once per request: with the body when a server answered (whatever its status: an error
    /// page is a body too), else with nothing (no connection, time-out, refused redirect, a body over
    /// `kMaxBodyBytes`, a URL that is not http(s)).
    using Completion = std::function<void(std::optional<std::string> body)>;

    static constexpr std::size_t kMaxBodyBytes = std::size_t{1} << 20;
    static constexpr int kMaxRedirects = 5;

    QtFeedFetcher();
    /// Abandons requests under way; their completions are never called.
    ~QtFeedFetcher();
    QtFeedFetcher(const QtFeedFetcher&) = delete;
    QtFeedFetcher& operator=(const QtFeedFetcher&) = delete;

    /// Starts a GET of `url` and returns (a URL Qt cannot use completes at once, with nothing).
    void get(const std::string& url, double timeoutSeconds, Completion completion);

  private:
    std::unique_ptr<QNetworkAccessManager> manager_;
};

}  // namespace plimsa
