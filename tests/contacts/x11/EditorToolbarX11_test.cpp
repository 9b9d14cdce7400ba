// The contact editor's tool bar under a real X server (run under xvfb-run): keys typed into a
// field and clicks on the tool bar, as a user's hand gives them.
#include "XTestPointer.h"
#include "../editor/EditorTestSupport.h"

#include "themed/SpTBXItem.h"
#include "toolbar/TB2ItemView.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace {

class EditorToolbarX11 : public EditorTest
{
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(pointer.Valid());
        withBrowser = true;
    }

    // Shows the editor and gives the focus to one of its text fields.
    QLineEdit *ShowWithFocusIn(Tfrmuseredit &editor, const char *column)
    {
        editor.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&editor));
        editor.activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return editor.isActiveWindow(); }, 5000));
        auto *field = qobject_cast<QLineEdit *>(editor.FieldControl(column));
        field->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 5000));
        return field;
    }

    XTestPointer pointer;
};

} // namespace

TEST_F(EditorToolbarX11, CtrlSInAFieldSavesOnceAndAClickedButtonRunsItsCommand)
{
    const QString key = InsertContact({{"uname", "键盘"}});
    Tfrmuseredit &typed = Open(key);
    QLineEdit *field = ShowWithFocusIn(typed, "umtel");
    pointer.Keys({"1"});
    pointer.Keys({"2"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->text() == "12"; }, 5000));
    pointer.Keys({"Control_L", "s"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return typed.isHidden(); }, 5000)) << "保存并关闭 closes the window";
    QApplication::processEvents();
    EXPECT_EQ(Text("select umtel from userinfo where keyid=?", {key.toLongLong()}), "12");
    EXPECT_EQ(browser.updated, QStringList{key}) << "saved once";
    EXPECT_EQ(field->text(), "12") << "Ctrl+S typed nothing into the field";

    Tfrmuseredit &clicked = Open(key);
    ShowWithFocusIn(clicked, "umtel");
    clicked.SetFieldText("umtel", "34");
    TTBCustomItem *save = nullptr;
    for (int i = 0; i < clicked.SpTBXToolbar1->Items()->Count(); ++i) {
        if (clicked.SpTBXToolbar1->Items()->Items(i)->Caption() == "保存")
            save = clicked.SpTBXToolbar1->Items()->Items(i);
    }
    ASSERT_NE(save, nullptr);
    TTBItemViewer *button = clicked.SpTBXToolbar1->View()->Find(save);
    ASSERT_NE(button, nullptr);
    const TRect r = button->ScreenRect();
    pointer.MoveTo((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser.updated.size() == 2; }, 5000));
    EXPECT_EQ(Text("select umtel from userinfo where keyid=?", {key.toLongLong()}), "34");
    EXPECT_EQ(clicked.windowTitle(), "键盘-人脉");
    EXPECT_TRUE(clicked.isVisible()) << "保存 keeps the window open";
}
