#include "Menus.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

TEST(Menus, ShortCutTextRoundTrip)
{
    const struct { TShortCut sc; const char *text; } cases[] = {
        {TShortCut('S' | scCtrl), "Ctrl+S"}, {TShortCut((VK_F1 + 3) | scAlt), "Alt+F4"},
        {TShortCut(VK_DELETE), "Del"}, {TShortCut('A' | scShift | scCtrl), "Shift+Ctrl+A"},
        {TShortCut('Z' | scShift | scCtrl | scAlt), "Shift+Ctrl+Alt+Z"},
        {TShortCut(VK_INSERT | scShift), "Shift+Ins"}, {TShortCut(VK_RETURN | scCtrl), "Ctrl+Enter"},
        {TShortCut(VK_ESCAPE), "Esc"}, {TShortCut(VK_F1 + 11), "F12"}, {TShortCut('0' | scCtrl), "Ctrl+0"},
        {TShortCut(VK_ADD | scCtrl), "Ctrl+Num +"}, {TShortCut(VK_OEM_PLUS | scCtrl), "Ctrl+="},
        {TShortCut(VK_PRIOR), "PgUp"}, {TShortCut(VK_BACK | scAlt), "Alt+BkSp"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ShortCutToText(c.sc), QString::fromLatin1(c.text)) << c.text;
        EXPECT_EQ(TextToShortCut(QString::fromLatin1(c.text)), c.sc) << c.text;
    }
    // Modifiers in another order or case still read; nonsense reads as no shortcut.
    EXPECT_EQ(TextToShortCut("ctrl+shift+a"), TShortCut('A' | scShift | scCtrl));
    for (const char *nonsense : {"Ctrl+", "Ctrl+Nothing", ""})
        EXPECT_EQ(TextToShortCut(nonsense), scNone) << nonsense;
    EXPECT_EQ(ShortCutToText(scCtrl), QString());
}

TEST(Menus, ShortCutFromAndToQtKeys)
{
    const struct { int qtKey; Qt::KeyboardModifiers mods; TShortCut sc; } cases[] = {
        {Qt::Key_S, Qt::ControlModifier, TShortCut('S' | scCtrl)},
        {Qt::Key_F4, Qt::AltModifier, TShortCut((VK_F1 + 3) | scAlt)},
        {Qt::Key_Delete, Qt::NoModifier, TShortCut(VK_DELETE)},
        {Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier, TShortCut('A' | scShift | scCtrl)},
        {Qt::Key_Plus, Qt::KeypadModifier, TShortCut(VK_ADD)}, {Qt::Key_Control, Qt::ControlModifier, scNone},
    };
    for (const auto &c : cases) {
        QKeyEvent ev(QEvent::KeyPress, c.qtKey, c.mods);
        EXPECT_EQ(ShortCutFromKeyEvent(&ev), c.sc) << c.qtKey;
        if (c.sc != scNone) {
            EXPECT_EQ(ShortCutToQtKey(c.sc), c.qtKey | int(c.mods)) << c.qtKey;
        }
    }
    EXPECT_EQ(ShortCutToQtKey(scNone), 0) << "no shortcut is no Qt key";
    WORD key = 0;
    TShiftState shift;
    ShortCutToKey(TShortCut('X' | scAlt | scShift), key, shift);
    EXPECT_EQ(key, 'X');
    EXPECT_EQ(shift, (TShiftState{ssAlt, ssShift}));
}
