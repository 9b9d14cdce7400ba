#include "contacts/main/MakerLinks.h"
#include "contacts/main/UpdateCheck.h"
#include "platform/HttpGet.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

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

// Answers every fetch at once with the reply the test set up.
class CannedHttp final : public IHttp
{
public:
    void Get(const QUrl &url, int, qint64, QObject *, TDone done) override { asked << url, done(ok, body); }
    bool ok = true;
    QByteArray body;
    QList<QUrl> asked;
};

} // namespace

TEST(UpdateCheck, OffersOnlyANewerVersionAndYesOpensTheHomePage)
{
    const struct { bool ok; QByteArray body; bool offered; MsgResult answer; } cases[] = {
        {true, "1.07", true, MsgResult::Yes}, {true, "1.10", true, MsgResult::No}, {true, "105", false, {}},
        {true, "1.06", false, {}}, {true, "", false, {}}, {true, "garbage", false, {}},
        {false, "1.07", false, {}},  // a failed fetch, whatever came back
    };
    const QUrl url(QStringLiteral("http://127.0.0.1:1/version.txt"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body.constData());
        TestDialogs().Reset(), TestShell().opened.clear();
        if (c.offered)
            TestDialogs().AnswerMessage(c.answer);
        CannedHttp http;
        http.ok = c.ok, http.body = c.body;
        SetHttp(&http);
        QObject context;
        UpdateCheckThread(url, &context);
        SetHttp(nullptr);
        EXPECT_EQ(http.asked, QList<QUrl>{url});
        const bool opened = c.offered && c.answer == MsgResult::Yes;
        EXPECT_EQ(TestShell().opened, opened ? QStringList{HomePageUrl} : QStringList{});
        if (!c.offered) {
            EXPECT_TRUE(TestDialogs().Questions().empty());
            continue;
        }
        ASSERT_EQ(TestDialogs().Questions().size(), 1u);
        const auto &question = *TestDialogs().Last();
        EXPECT_EQ(question.text, QStringLiteral("Orvanta已有新版本，\n是否查看升级信息并下载更新？"));
        EXPECT_TRUE(question.buttons == MsgButtons::YesNo && question.icon == MsgIcon::Question);
    }
}
