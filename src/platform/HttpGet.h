#pragma once
#include <QByteArray>
#include <QUrl>
#include <functional>

class QObject;

// One HTTP GET whose reply arrives later through the event loop of the calling thread.
class IHttp
{
public:
    // ok is true only for a complete 2xx reply within the size limit; body is then its content.
    using TDone = std::function<void(bool ok, const QByteArray &body)>;

    virtual ~IHttp() = default;
    // `done` runs once, unless `context` is destroyed first; then it never runs.
    virtual void Get(const QUrl &url, int timeoutMs, qint64 maxBytes, QObject *context, TDone done) = 0;
};

// Qt's network access manager.
class TQtHttp final : public IHttp
{
public:
    // Starts the clock that gives up on a request silent for `timeoutMs`: `expire` ends it as a
    // failure. Unset, Qt's transfer timer does this.
    using TStartTimeout = std::function<void(int timeoutMs, std::function<void()> expire)>;
    TStartTimeout StartTimeout;

    void Get(const QUrl &url, int timeoutMs, qint64 maxBytes, QObject *context, TDone done) override;
};

// The installed service; nullptr restores Qt's.
IHttp &Http();
void SetHttp(IHttp *http);
