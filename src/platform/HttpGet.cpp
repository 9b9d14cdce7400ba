#include "HttpGet.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace {

IHttp *installed = nullptr;

QNetworkAccessManager &Manager()
{
    // Owned by the application, so it goes with it and never outlives the event loop.
    static QPointer<QNetworkAccessManager> manager;
    if (!manager)
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    return *manager;
}

} // namespace

void TQtHttp::Get(const QUrl &url, int timeoutMs, qint64 maxBytes, QObject *context, TDone done)
{
    QNetworkRequest request(url);
    if (!StartTimeout)
        request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = Manager().get(request);
    QPointer<QObject> guard(context);
    if (StartTimeout) {
        QPointer<QNetworkReply> pending(reply);
        StartTimeout(timeoutMs, [pending] {
            if (pending)
                pending->abort();
        });
    }

    // A reply that grows past the limit is not the small file asked for.
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, maxBytes](qint64 received, qint64) {
        if (received > maxBytes)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, context, [reply, guard, maxBytes, done] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        QByteArray body;
        bool ok = reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
        if (ok)
            body = reply->readAll();
        ok = ok && body.size() <= maxBytes;
        // The context may be on its way out: its destruction aborts the reply, which lands here.
        if (guard)
            done(ok, ok ? body : QByteArray());
    });
    // Without the context nobody will take the reply; it still has to be freed.
    QObject::connect(context, &QObject::destroyed, reply, [reply] {
        reply->abort();
        reply->deleteLater();
    });
}

IHttp &Http()
{
    if (installed)
        return *installed;
    static TQtHttp qt;
    return qt;
}

void SetHttp(IHttp *http)
{
    installed = http;
}
