#include "banner/HttpDownloader.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace banner {

struct HttpDownloader::Transfer {
    QIODevice* target = nullptr;
    Done done;
    std::int64_t maxBytes = 0;
    std::int64_t written = 0;
    bool failed = false;
    bool cancelled = false;
};

QNetworkReply* GetWithDeadline(QNetworkAccessManager& manager, const QUrl& url, std::chrono::milliseconds limit)
{
    QNetworkRequest request(url);
    // The transfer timeout only watches for silence; the deadline bounds the whole.
    request.setTransferTimeout(static_cast<int>(limit.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = manager.get(request);
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline->start(limit);
    return reply;
}

bool Succeeded(const QNetworkReply& reply)
{
    if (reply.error() != QNetworkReply::NoError)
        return false;
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return !status.isValid() || (status.toInt() >= 200 && status.toInt() < 300);
}

HttpDownloader::HttpDownloader() = default;

HttpDownloader::~HttpDownloader() { cancel(); }

void HttpDownloader::fetch(const DownloadRequest& request, QIODevice& target, Done done)
{
    cancel();
    auto state = std::make_shared<Transfer>();
    state->target = &target;
    state->done = std::move(done);
    state->maxBytes = request.maxBytes;
    transfer = state;

    QNetworkReply* r = GetWithDeadline(manager, QUrl(QString::fromStdString(request.url)), request.limit);
    reply = r;

    const auto drain = [r, state] {
        if (state->cancelled || state->failed || !r->isOpen())
            return;
        const QByteArray chunk = r->readAll();
        state->written += chunk.size();
        if (state->written > state->maxBytes || state->target->write(chunk) != chunk.size()) {
            state->failed = true;
            r->abort();
        }
    };
    QObject::connect(r, &QNetworkReply::readyRead, r, drain);
    QObject::connect(r, &QNetworkReply::finished, r, [this, r, state, drain] {
        r->deleteLater();
        if (state->cancelled)
            return;
        drain();
        if (reply == r)
            reply = nullptr;
        if (transfer == state)
            transfer.reset();
        lastAddress = r->url().toEncoded().toStdString();
        const bool ok = !state->failed && Succeeded(*r);
        Done notify = std::move(state->done);
        notify(ok);
    });
}

void HttpDownloader::cancel()
{
    if (transfer) {
        transfer->cancelled = true;
        transfer.reset();
    }
    if (QNetworkReply* r = reply.data()) {
        reply = nullptr;
        r->abort();
        r->deleteLater();
    }
}

} // namespace banner
