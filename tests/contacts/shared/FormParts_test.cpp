#include "contacts/shared/FormParts.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Enter typed into an edit of a dialog, with one button of each kind beside it.
TEST(FormButton, EnterInAnEditPressesOnlyTheDefaultButton)
{
    struct Case {
        TEnterPress enter;
        bool pressed;
    };
    for (const Case &c : {Case{TEnterPress::Never, false}, Case{TEnterPress::Default, true}}) {
        QDialog dialog;
        auto *edit = new QLineEdit(&dialog);
        QPushButton *button = FormButton(QStringLiteral("确定"), "Button1", &dialog, c.enter);
        EXPECT_EQ(button->objectName(), QStringLiteral("Button1"));
        int clicks = 0;
        QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
        dialog.show();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(clicks, c.pressed ? 1 : 0) << int(c.enter);
    }
}

TEST(FormButton, AFocusedButtonTakesEnterOnlyWhenItMay)
{
    for (const auto &[enter, pressed] : {std::pair{TEnterPress::Never, false}, std::pair{TEnterPress::Focused, true}}) {
        QDialog dialog;
        QPushButton *button = FormButton(QStringLiteral("取消"), "Button2", &dialog, enter);
        int clicks = 0;
        QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
        dialog.show();
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_EQ(clicks, pressed ? 1 : 0) << int(enter);
    }
}

} // namespace
