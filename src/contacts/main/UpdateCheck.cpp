#include "main/UpdateCheck.h"

#include "main/MakerLinks.h"
#include "shared/Utility.h"

#include "platform/HttpGet.h"
#include "platform/UiServices.h"

namespace {

// The version file is a few bytes; anything much larger is some other page.
constexpr qint64 MaxVersionFileBytes = 4096;
constexpr int TimeoutMs = 20000;

} // namespace

int VersionFromText(const QByteArray &text)
{
    QByteArray digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? value : 0;
}

void UpdateCheckThread(const QUrl &versionFile, QObject *context)
{
    Http().Get(versionFile, TimeoutMs, MaxVersionFileBytes, context, [](bool ok, const QByteArray &body) {
        if (!ok || VersionFromText(body) <= BuiltInVersion)
            return;
        if (ShowMessage(QStringLiteral("Orvanta已有新版本，\n是否查看升级信息并下载更新？"), QStringLiteral("Orvanta"),
                        MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes)
            OpenUrl(HomePageUrl);
    });
}
