#include "TestSupport.h"

#include "platform/AppPaths.h"
#include "platform/SysColors.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <algorithm>
#include <gtest/gtest.h>

QStringList ScriptedDialogs::Texts() const
{
    QStringList texts;
    for (const Question &q : questions_)
        texts << q.text;
    return texts;
}

MsgResult ScriptedDialogs::MessageBox(QWidget *, const QString &text, const QString &caption, MsgIcon icon,
                                      MsgButtons buttons)
{
    questions_.push_back({QStringLiteral("message"), text, caption, icon, buttons});
    if (!messageAnswers_.empty()) {
        const MsgResult answer = messageAnswers_.front();
        messageAnswers_.pop_front();
        return answer;
    }
    switch (buttons) {
    case MsgButtons::OK: return MsgResult::OK;
    case MsgButtons::YesNo: return MsgResult::No;
    default: return MsgResult::Cancel;
    }
}

std::optional<QString> ScriptedDialogs::NextText(const char *kind, const QString &text, const QString &caption)
{
    questions_.push_back({QString::fromLatin1(kind), text, caption});
    if (textAnswers_.empty())
        return std::nullopt;
    const std::optional<QString> answer = textAnswers_.front();
    textAnswers_.pop_front();
    return answer;
}

QString MakeTempDir(const QString &name)
{
    const QString path = AppDir() + "tmp-tests/" + name + '-' +
                         QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QDir().mkpath(path);
    return path;
}

QString TestDataPath(const QString &relative)
{
    return QStringLiteral(ORV_TEST_SOURCE_DIR "/") + relative;
}

FileSizeLimit::FileSizeLimit(long long bytes)
{
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &savedAction_);
    rlimit limit = saved_;
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::sigaction(SIGXFSZ, &savedAction_, nullptr);
}

void DamageDatabasePages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    const QByteArray header = file.read(100);
    if (header.size() < 100)
        return;
    qint64 pageSize = (quint8(header[16]) << 8) | quint8(header[17]);
    if (pageSize == 1)
        pageSize = 65536;
    const qint64 pages = file.size() / pageSize;
    for (qint64 page = std::max<qint64>(1, pages / 2); page < pages; ++page) {
        file.seek(page * pageSize);
        file.write(QByteArray(12, char(0xA5)));
    }
}

QImage BlankImage(int w, int h, TColor fill)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(ColorToQRgb(fill));
    return image;
}

TColor PixelAt(const QImage &image, int x, int y) { return QRgbToColor(image.pixel(x, y)) & 0xFFFFFF; }

bool UnchangedOutside(const QImage &image, const TRect &inside, TColor fill)
{
    const TColor expected = ColorToRGB(fill) & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!inside.Contains({x, y}) && PixelAt(image, x, y) != expected)
                return false;
    return true;
}

void ExpectPixels(const QImage &image, const std::vector<TPixel> &pixels, const char *what)
{
    for (const TPixel &p : pixels)
        EXPECT_EQ(PixelAt(image, p.x, p.y), p.want) << what << " at " << p.x << "," << p.y;
}
