#include "contacts/shared/FormParts.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Enter typed into an edit of a dialog, or into the focused button itself.
TEST(FormButton, EnterPressesOnlyTheButtonThatMayTakeIt)
{
    struct Case { TEnterPress enter; bool intoButton; bool pressed; };
    const Case cases[] = {{TEnterPress::Never, false, false}, {TEnterPress::Default, false, true},
                          {TEnterPress::Never, true, false},  {TEnterPress::Focused, true, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.enter) << (c.intoButton ? " into the button" : " into an edit"));
        QDialog dialog;
        auto *edit = new QLineEdit(&dialog);
        QPushButton *button = FormButton(QStringLiteral("确定"), "Button1", &dialog, c.enter);
        EXPECT_EQ(button->objectName(), QStringLiteral("Button1"));
        int clicks = 0;
        QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
        dialog.show();
        QWidget *target = c.intoButton ? static_cast<QWidget *>(button) : edit;
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        EXPECT_EQ(clicks, c.pressed ? 1 : 0);
    }
}

} // namespace
