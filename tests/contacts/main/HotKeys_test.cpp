#include "contacts/main/HotKeys.h"

#include <gtest/gtest.h>

TEST(HotKeys, SettingsTextToKey)
{
    constexpr unsigned Alt = THotKey::MOD_ALT;
    constexpr unsigned Ctrl = THotKey::MOD_CONTROL;
    struct Case { const char *text; bool registers; unsigned modifiers; char key; };
    const Case cases[] = {
        {"Alt + Q", true, Alt, 'Q'}, {"Ctrl + W", true, Ctrl, 'W'}, {"alt + z", true, Alt, 'Z'},
        {"  Alt + Z  ", true, Alt, 'Z'}, {"Alt+Z", true, Alt, 'Z'},
        // The settings dialog writes this form itself; both modifiers are meant.
        {"Ctrl + Alt + X", true, Ctrl | Alt, 'X'},
        {"Alt + 5", false, 0, 0}, {"Z", false, 0, 0}, {"Shift + A", false, 0, 0}, {"Ctrl + ", false, 0, 0},
        {"", false, 0, 0}, {"Alt + é", false, 0, 0},
    };
    for (const Case &c : cases) {
        const std::optional<THotKey> key = ParseHotKeyText(QString::fromUtf8(c.text));
        EXPECT_EQ(key.has_value(), c.registers) << c.text;
        EXPECT_TRUE(!key || (key->Modifiers == c.modifiers && key->Key == c.key)) << c.text;
    }
}
