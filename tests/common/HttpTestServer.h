#pragma once
// A tiny HTTP server on 127.0.0.1 for tests of code that fetches: every request gets the one
// reply the test set up, or no reply at all.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <functional>

// Runs the event loop until `done` holds or the time is up; true when it held.
inline bool WaitFor(const std::function<bool()> &done, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class HttpTestServer : public QObject
{
public:
    HttpTestServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
            }
        });
    }

    // Qt's network thread still holds the connections for a moment after a reply; a test
    // program that ends in that moment leaves them unfreed.
    ~HttpTestServer() override
    {
        for (QTcpSocket *socket : findChildren<QTcpSocket *>())
            socket->abort();
        server_.close();
        WaitFor([] { return false; }, 300);
    }

    bool Listening() const { return server_.isListening(); }
    QUrl Url(const QString &path = QStringLiteral("/version.txt")) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }

    int status = 200;
    QByteArray body;
    bool silent = false;  // read the request, never answer
    int requests = 0;
    QByteArray lastPath;

private:
    void Serve(QTcpSocket *socket)
    {
        QByteArray &request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        ++requests;
        lastPath = request.split(' ').value(1);
        if (silent)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: text/plain\r\n"
                      "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> pending_;
};

// A loopback address where nothing listens.
inline QUrl RefusedUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/version.txt").arg(port));
}
