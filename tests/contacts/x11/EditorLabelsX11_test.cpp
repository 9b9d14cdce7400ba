// The contact editor's user labels clicked by the real pointer (XTest): a click renames one.
#include "../../platform/x11/HoverX11.h"
#include "XTestPointer.h"
#include "editor/EditorTestSupport.h"

#include <QTabWidget>

namespace {

class EditorLabelsX11 : public EditorTest
{
};

} // namespace

TEST_F(EditorLabelsX11, AClickOnAUserLabelAsksForItsNewName)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid()) << "no X display or no XTest";
    FieldCaptions = BuildFieldCaptions(TIniFile(ConfigIniPath()));
    Tfrmuseredit &editor = Open(InsertContact({{"uname", "标签"}}));
    editor.SetBounds(80, 60, 718, 671);
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    QLabel *label = editor.mylab[1];
    editor.userPageControl->setCurrentWidget(editor.userPageControl->widget(0));
    ASSERT_TRUE(label->isVisible());
    TestDialogs().Reset();
    TestDialogs().AnswerText("微信");
    ASSERT_TRUE(HoverX11(pointer, label));
    pointer.Click();
    ASSERT_TRUE(QTest::qWaitFor([] { return TestDialogs().Last() != nullptr; }, 5000)) << "the click asks nothing";
    EXPECT_EQ(TestDialogs().Last()->caption, "修改");
    EXPECT_EQ(TestDialogs().Last()->text, "新名称：");
    EXPECT_EQ(label->text(), "微信");
    EXPECT_EQ(TIniFile(ConfigIniPath()).ReadString("USERLABLE", "mylab2", ""), "微信");
}
