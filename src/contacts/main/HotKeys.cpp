#include "main/HotKeys.h"

std::optional<THotKey> ParseHotKeyText(const QString &text)
{
    const QString key = text.trimmed().toUpper();
    if (key.size() <= 4)
        return std::nullopt;
    const QChar last = key.back();
    if (last < 'A' || last > 'Z')
        return std::nullopt;
    THotKey hotKey;
    hotKey.Key = char(last.unicode());
    if (key.contains(QStringLiteral("CTRL")))
        hotKey.Modifiers |= THotKey::MOD_CONTROL;
    if (key.contains(QStringLiteral("ALT")))
        hotKey.Modifiers |= THotKey::MOD_ALT;
    if (hotKey.Modifiers == 0)
        return std::nullopt;
    return hotKey;
}
