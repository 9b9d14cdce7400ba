#include "TestSupport.h"

#include "platform/AppPaths.h"

#include <QDir>
#include <QUuid>

void ScriptedDialogs::Reset()
{
    questions_.clear();
    messageAnswers_.clear();
    textAnswers_.clear();
}

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

std::optional<QString> ScriptedDialogs::NextText()
{
    if (textAnswers_.empty())
        return std::nullopt;
    const std::optional<QString> answer = textAnswers_.front();
    textAnswers_.pop_front();
    return answer;
}

QString ScriptedDialogs::OpenFileName(QWidget *, const QString &caption, const QString &, const QString &)
{
    questions_.push_back({QStringLiteral("open"), QString(), caption});
    return NextText().value_or(QString());
}

QString ScriptedDialogs::SaveFileName(QWidget *, const QString &caption, const QString &, const QString &)
{
    questions_.push_back({QStringLiteral("save"), QString(), caption});
    return NextText().value_or(QString());
}

QString ScriptedDialogs::FolderName(QWidget *, const QString &caption, const QString &)
{
    questions_.push_back({QStringLiteral("folder"), QString(), caption});
    return NextText().value_or(QString());
}

bool ScriptedDialogs::InputBox(QWidget *, const QString &caption, const QString &prompt, QString &value)
{
    questions_.push_back({QStringLiteral("input"), prompt, caption});
    const std::optional<QString> answer = NextText();
    if (!answer)
        return false;
    value = *answer;
    return true;
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
