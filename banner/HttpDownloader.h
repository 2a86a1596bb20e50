#pragma once

// The network behind the banner's downloads: one transfer at a time, asynchronous,
// with a time limit on the whole transfer and a size limit on the body. Built into
// the network module only (banner/NetworkModule.h).

#include "banner/BannerSeams.h"

#include <QNetworkAccessManager>
#include <QPointer>

#include <chrono>
#include <memory>

class QNetworkReply;
class QUrl;

namespace banner {

// Starts a GET that is aborted when the whole transfer outlasts the limit; redirects
// are followed only to addresses at least as safe.
QNetworkReply* GetWithDeadline(QNetworkAccessManager& manager, const QUrl& url, std::chrono::milliseconds limit);
// Whether a finished reply carried a whole, successful answer.
bool Succeeded(const QNetworkReply& reply);

class HttpDownloader final : public Downloader {
public:
    HttpDownloader();
    ~HttpDownloader() override;

    void fetch(const DownloadRequest& request, QIODevice& target, Done done) override;
    void cancel() override;
    std::string finalAddress() const override { return lastAddress; }

private:
    struct Transfer;
    QNetworkAccessManager manager;
    QPointer<QNetworkReply> reply;
    std::shared_ptr<Transfer> transfer;
    std::string lastAddress;
};

} // namespace banner
