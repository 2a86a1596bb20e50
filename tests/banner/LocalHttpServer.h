#pragma once

// A small HTTP server on 127.0.0.1 for the banner's network tests: fixed answers
// by path, a count of requests, and paths that never answer.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>

namespace testing_support {

class LocalHttpServer : public QObject {
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/html";
        bool hang = false; // read the request and never answer
    };

    LocalHttpServer();
    void set(const QString& path, Response response);
    // Full address of the path on this server.
    std::string url(const QString& path) const;
    int hits(const QString& path) const { return counts.value(path); }

private:
    void answer(class QTcpSocket* socket, const QByteArray& request);

    QTcpServer server;
    QHash<QString, Response> routes;
    QHash<QString, int> counts;
};

} // namespace testing_support
