#include "platform/qt/QtFeedFetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <cmath>

namespace plimsa {
namespace {

bool isWeb(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool isAllowedRedirect(const QUrl& from, const QUrl& to) {
    return isWeb(to) && !(from.scheme().toLower() == QLatin1String("https") &&
                          to.scheme().toLower() == QLatin1String("http"));
}

// A server answered when there is a status line and the failure, if any, is about the content or the
// status (Qt reports 4xx and 5xx answers as errors from 200 up), not the transfer.
bool serverAnswered(const QNetworkReply& reply) {
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) return false;
    return reply.error() == QNetworkReply::NoError || reply.error() >= QNetworkReply::ContentAccessDenied;
}

struct Transfer {
    QByteArray body;
    bool overLimit = false;
    QtFeedFetcher::Completion completion;
};

// Reads what has arrived; past the limit the transfer is abandoned.
void readInto(QNetworkReply& reply, Transfer& transfer) {
    if (transfer.overLimit || !reply.isOpen()) return;
    transfer.body += reply.read(static_cast<qint64>(QtFeedFetcher::kMaxBodyBytes) + 1 - transfer.body.size());
    if (static_cast<std::size_t>(transfer.body.size()) > QtFeedFetcher::kMaxBodyBytes ||
        reply.bytesAvailable() > 0) {
        transfer.overLimit = true;
        reply.abort();
    }
}

}  // namespace

QtFeedFetcher::QtFeedFetcher() : manager_(std::make_unique<QNetworkAccessManager>()) {}

QtFeedFetcher::~QtFeedFetcher() {
    for (QNetworkReply* reply : manager_->findChildren<QNetworkReply*>()) {
        reply->disconnect();
        reply->abort();
        delete reply;
    }
}

void QtFeedFetcher::get(const std::string& url, double timeoutSeconds, Completion completion) {
    const QUrl target(QString::fromStdString(url), QUrl::StrictMode);
    if (!isWeb(target)) {
        completion(std::nullopt);
        return;
    }
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    const double milliseconds = std::clamp(timeoutSeconds * 1000.0, 1.0, static_cast<double>(INT_MAX));
    request.setTransferTimeout(static_cast<int>(std::lround(milliseconds)));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);

    QNetworkReply* reply = manager_->get(request);
    auto transfer = std::make_shared<Transfer>();
    transfer->completion = std::move(completion);
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply, transfer](const QUrl& to) {
        transfer->body.clear();
        if (isAllowedRedirect(reply->url(), to))
            emit reply->redirectAllowed();
        else
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply, transfer] { readInto(*reply, *transfer); });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, transfer] {
        readInto(*reply, *transfer);
        const bool answered = !transfer->overLimit && serverAnswered(*reply);
        reply->deleteLater();
        transfer->completion(answered ? std::optional<std::string>(transfer->body.toStdString())
                                      : std::nullopt);
    });
}

}  // namespace plimsa
