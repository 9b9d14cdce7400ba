#include "platform/HttpGet.h"

#include "HttpTestServer.h"

#include <QObject>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace {

struct Outcome { bool ok = false; QByteArray body; };

std::optional<Outcome> Fetch(const QUrl &url, qint64 maxBytes = 1024, int timeoutMs = 5000)
{
    QObject context;
    std::optional<Outcome> outcome;
    Http().Get(url, timeoutMs, maxBytes, &context, [&](bool ok, const QByteArray &body) { outcome = Outcome{ok, body}; });
    WaitFor([&] { return outcome.has_value(); }, timeoutMs + 3000);
    return outcome;
}

} // namespace

TEST(HttpGet, RepliesByStatusAndSize)
{
    const struct { int status; QByteArray body; bool ok; } cases[] = {
        {200, "1.07\n", true}, {200, "", true}, {204, "", true},
        // An error page is not the file asked for, whatever digits it holds.
        {404, "<html>404 not found</html>", false}, {500, "500", false},
        {200, QByteArray(2000, '7'), false}, {200, QByteArray(1024, '7'), true},
    };
    HttpTestServer server;
    ASSERT_TRUE(server.Listening());
    for (const auto &c : cases) {
        server.status = c.status;
        server.body = c.body;
        const std::optional<Outcome> outcome = Fetch(server.Url(), 1024);
        ASSERT_TRUE(outcome.has_value()) << c.status;
        EXPECT_EQ(outcome->ok, c.ok) << c.status << " " << c.body.size();
        EXPECT_EQ(outcome->body, c.ok ? c.body : QByteArray()) << c.status;
    }
    EXPECT_EQ(server.requests, 7);
    EXPECT_EQ(server.lastPath, QByteArray("/version.txt"));
}

TEST(HttpGet, UnreachableOrSilentServerFails)
{
    EXPECT_FALSE(Fetch(RefusedUrl()).value_or(Outcome{true, {}}).ok) << "refused";
    // The silent server's request times out by a clock the test runs.
    HttpTestServer server;
    server.silent = true;
    TQtHttp http;
    std::vector<std::pair<int, std::function<void()>>> clocks;
    http.StartTimeout = [&](int ms, std::function<void()> expire) { clocks.emplace_back(ms, std::move(expire)); };
    QObject context;
    std::optional<Outcome> silent;
    http.Get(server.Url(), 1500, 1024, &context, [&](bool ok, const QByteArray &body) { silent = Outcome{ok, body}; });
    ASSERT_EQ(clocks.size(), 1u);
    EXPECT_EQ(clocks[0].first, 1500);
    ASSERT_TRUE(WaitFor([&] { return server.requests == 1; }));
    EXPECT_FALSE(silent.has_value());
    clocks[0].second();
    ASSERT_TRUE(WaitFor([&] { return silent.has_value(); }));
    EXPECT_FALSE(silent->ok);
    EXPECT_TRUE(silent->body.isEmpty());
}

TEST(HttpGet, NothingRunsOnceTheContextIsGone)
{
    HttpTestServer server;
    server.silent = true;
    bool called = false;
    auto context = std::make_unique<QObject>();
    Http().Get(server.Url(), 5000, 1024, context.get(), [&](bool, const QByteArray &) { called = true; });
    ASSERT_TRUE(WaitFor([&] { return server.requests == 1; }));
    context.reset();
    server.silent = false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_FALSE(called);
}
