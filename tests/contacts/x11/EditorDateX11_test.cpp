// The contact editor's birthday under a real X server (run under xvfb-run): one click into the
// field, then a whole date typed with real keys.
#include "XTestPointer.h"
#include "editor/EditorTestSupport.h"

#include <QApplication>
#include <QCursor>

namespace {

using EditorDateX11 = EditorTest;

// Wherever the click lands, a whole date typed after it is the date; one that is no date is
// refused with the warning and the date from before stays.
TEST_F(EditorDateX11, AWholeDateTypedAfterOneClickIsTaken)
{
    XTestPointer pointer;
    Tfrmuseredit editor;
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(pointer.Valid() && QTest::qWaitFor([&] { return editor.isActiveWindow(); }, 5000));
    editor.userPageControl->setCurrentIndex(1);
    QDateEdit *edit = editor.DateTimePicker1->DateEdit();
    QLineEdit *text = edit->findChild<QLineEdit *>();
    const QDate before(2024, 5, 1);
    // Where the click lands: on the year, the month, the day, past the text.
    const struct { int at; const char *typed, *shown; QDate date; } cases[] = {
        {2, "1985-08-15", "1985-08-15", {1985, 8, 15}}, {6, "1985-08-15", "1985-08-15", {1985, 8, 15}},
        {9, "19850815", "1985-08-15", {1985, 8, 15}},   {10, "1985-02-30", "1985-02-30", before},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.at);
        editor.DateTimePicker1->SetChecked(true);
        editor.DateTimePicker1->SetDate(before);
        editor.FieldControl("ubyyx")->setFocus();  // the click is the field's first
        text->setCursorPosition(c.at);
        const QPoint point = text->inputMethodQuery(Qt::ImCursorRectangle).toRect().center() + QPoint(c.at / 10 * 8, 0);
        // Wherever the window manager has put the window by now.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const QPoint global = text->mapToGlobal(point);
                pointer.MoveTo(global.x(), global.y());
                return QCursor::pos() == global && QApplication::widgetAt(global) == text;
            },
            5000));
        TestDialogs().Reset();
        pointer.Click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }, 5000));
        for (const char *key = c.typed; *key; ++key)
            pointer.Keys({*key == '-' ? "minus" : std::string(1, *key).c_str()});
        EXPECT_TRUE(QTest::qWaitFor([&] { return text->text() == c.shown; }, 5000)) << text->text().toStdString();
        editor.FieldControl("ubyyx")->setFocus();  // ends the edit
        const QStringList warned =
            c.date == before ? QStringList{QString(c.shown) + QStringLiteral(" 不是有效的日期，请重新输入。")} : QStringList{};
        EXPECT_TRUE(QTest::qWaitFor([&] { return TestDialogs().Texts() == warned; }, 5000));
        EXPECT_EQ(editor.DateTimePicker1->Date(), c.date);
    }
}

} // namespace
