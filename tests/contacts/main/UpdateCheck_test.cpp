#include "contacts/main/MakerLinks.h"
#include "contacts/main/UpdateCheck.h"
#include "platform/HttpGet.h"

#include "HttpTestServer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <memory>

TEST(UpdateCheck, VersionFromText)
{
    const std::pair<QByteArray, int> cases[] = {
        {"1.07", 107}, {"105", 105}, {" V1.06\r\n", 106}, {"version 2, build 0", 20}, {"", 0}, {"abc", 0},
        {"99999999999999999999", 0},  // does not fit: no version
        {"0107", 107},
    };
    for (const auto &[text, version] : cases)
        EXPECT_EQ(VersionFromText(text), version) << text.constData();
}

namespace {

// Qt's HTTP service, telling when a reply has been handed over (after its handler ran).
class WatchedHttp final : public IHttp
{
public:
    void Get(const QUrl &url, int timeoutMs, qint64 maxBytes, QObject *context, TDone done) override
    {
        real_.Get(url, timeoutMs, maxBytes, context, [this, done](bool ok, const QByteArray &body) {
            done(ok, body);
            ++delivered;
        });
    }
    int delivered = 0;

private:
    TQtHttp real_;
};

// Runs one check and waits until its reply has been handled.
void RunCheck(const QUrl &url)
{
    WatchedHttp http;
    SetHttp(&http);
    QObject context;
    UpdateCheckThread(url, &context);
    EXPECT_TRUE(WaitFor([&] { return http.delivered == 1; }, 25000));
    SetHttp(nullptr);
}

} // namespace

TEST(UpdateCheck, OffersOnlyANewerVersionAndYesOpensTheHomePage)
{
    const struct { int status; QByteArray body; bool offered; MsgResult answer; } cases[] = {
        {200, "1.07", true, MsgResult::Yes}, {200, "1.10", true, MsgResult::No}, {200, "105", false, {}},
        {200, "1.06", false, {}}, {200, "", false, {}}, {200, "garbage", false, {}},
        {404, "<p>Error 404</p>", false, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body.constData());
        TestDialogs().Reset();
        TestShell().opened.clear();
        if (c.offered)
            TestDialogs().AnswerMessage(c.answer);
        HttpTestServer server;
        server.status = c.status;
        server.body = c.body;
        RunCheck(server.Url());
        const bool opened = c.offered && c.answer == MsgResult::Yes;
        EXPECT_EQ(TestShell().opened, opened ? QStringList{HomePageUrl} : QStringList{});
        if (!c.offered) {
            EXPECT_TRUE(TestDialogs().Questions().empty());
            continue;
        }
        ASSERT_EQ(TestDialogs().Questions().size(), 1u);
        const auto &question = TestDialogs().Questions().front();
        EXPECT_EQ(question.text, QStringLiteral("Orvanta已有新版本，\n是否查看升级信息并下载更新？"));
        EXPECT_TRUE(question.buttons == MsgButtons::YesNo && question.icon == MsgIcon::Question);
    }
}

