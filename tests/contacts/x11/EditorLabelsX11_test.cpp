// The contact editor's user labels clicked by the real pointer (XTest): a click asks for the new
// name, which real keys type.
#include "../../platform/x11/HoverX11.h"
#include "WindowPlacement.h"
#include "XTestPointer.h"
#include "contacts/editor/InputTextBox.h"
#include "editor/EditorTestSupport.h"

#include <QLabel>
#include <QLineEdit>
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
    // The dialog runs its own loop: it is answered from inside it, with real keys typed over the
    // proposed caption and Enter.
    ModalResponder responder;
    QStringList asked;
    responder.Then([&](QDialog *dialog) {
        auto *form = qobject_cast<TInputTextBoxForm *>(dialog);
        if (!form || !WaitPlacedAndActive(form) ||
            !QTest::qWaitFor([&] { return form->Edit->hasFocus() && form->Edit->hasSelectedText(); }, 5000)) {
            ADD_FAILURE() << "no input dialog ready for keys";
            return dialog->reject();
        }
        asked << form->windowTitle() << form->Prompt->text();
        for (const char *key : {"w", "e", "c", "h", "a", "t", "Return"})
            pointer.Keys({key});
    });
    ASSERT_TRUE(HoverX11(pointer, label));
    pointer.Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return label->text() == "wechat"; }, 10000)) << label->text().toStdString();
    EXPECT_EQ(asked, (QStringList{"修改", "新名称："}));
    EXPECT_EQ(responder.Unexpected() + responder.Pending(), 0);
    EXPECT_EQ(TIniFile(ConfigIniPath()).ReadString("USERLABLE", "mylab2", ""), "wechat");
}
