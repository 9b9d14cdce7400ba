// The contact editor's dates under a real X server (run under xvfb-run): one click into the field
// and a whole date typed with real keys, as a user's hand gives them.
#include "XTestPointer.h"
#include "editor/EditorTestSupport.h"

#include <QApplication>
#include <QCursor>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

namespace {

// Counts the Return keys that reach a widget, so a test knows its typing has all arrived.
class ReturnCounter final : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return)
            ++count;
        return false;
    }
};

class EditorDateX11 : public EditorTest
{
protected:
    // Moves the pointer onto `point` of `widget` and waits until the program sees it over the
    // widget, wherever the window manager has put the window by then.
    bool PointAt(QWidget *widget, QPoint point)
    {
        return QTest::qWaitFor(
            [&] {
                const QPoint global = widget->mapToGlobal(point);
                if (QCursor::pos() != global)
                    pointer.MoveTo(global.x(), global.y());
                return QCursor::pos() == global && QApplication::widgetAt(global) == widget;
            },
            5000);
    }
    // Brings the pages that hold `widget` to the front, in the tabs within tabs too.
    static void ShowPageOf(QWidget *widget)
    {
        for (QWidget *w = widget; w && w->parentWidget(); w = w->parentWidget()) {
            if (auto *tabs = qobject_cast<QTabWidget *>(w->parentWidget()->parentWidget());
                tabs && qobject_cast<QStackedWidget *>(w->parentWidget()))
                tabs->setCurrentWidget(w);
            if (auto *area = qobject_cast<QScrollArea *>(w))
                area->ensureWidgetVisible(widget);
        }
    }
    void Type(const char *text)
    {
        for (const char *c = text; *c; ++c) {
            const char key[2] = {*c, 0};
            pointer.Keys({*c == '-' ? "minus" : key});
        }
    }

    XTestPointer pointer;
};

// Wherever the click lands, a whole date typed after it is the date; a typed date that is no
// date is refused with the warning and the date from before stays.
TEST_F(EditorDateX11, AWholeDateTypedAfterOneClickIsTaken)
{
    ASSERT_TRUE(pointer.Valid());
    Tfrmuseredit editor;
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor.isActiveWindow(); }, 5000));

    const QDate before(2024, 5, 1);
    // The birthday, then the wedding anniversary; the cursor at the click, past the text for 10.
    const struct { bool birthday; const char *typed; int cursor; QDate date; const char *message; } cases[] = {
        {true, "1985-08-15", 2, QDate(1985, 8, 15), nullptr},
        {true, "1985-08-15", 6, QDate(1985, 8, 15), nullptr},
        {true, "1985-08-15", 9, QDate(1985, 8, 15), nullptr},
        {true, "19850815", 10, QDate(1985, 8, 15), nullptr},
        {false, "1985-08-15", 9, QDate(1985, 8, 15), nullptr},
        {false, "1985-02-30", 2, before, "1985-02-30 不是有效的日期，请重新输入。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " at " + std::to_string(c.cursor) + (c.birthday ? " 生日" : " 婚纪念日"));
        TCheckDatePicker *picker = c.birthday ? editor.DateTimePicker1 : editor.seldate2;
        ShowPageOf(picker);
        picker->SetChecked(true);
        picker->SetDate(before);
        QLineEdit *text = picker->DateEdit()->findChild<QLineEdit *>();
        ASSERT_TRUE(text);
        // The click is the field's first: the focus is in the field beside it until then.
        editor.FieldControl(c.birthday ? "ubyyx" : "ujtcy")->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return text->isVisible() && !picker->DateEdit()->hasFocus(); }, 5000));
        const int cursor = text->cursorPosition();
        text->setCursorPosition(c.cursor);
        const QPoint at = text->inputMethodQuery(Qt::ImCursorRectangle).toRect().center() + QPoint(c.cursor == 10 ? 8 : 0, 0);
        text->setCursorPosition(cursor);
        TestDialogs().Reset();
        ReturnCounter returns;
        picker->DateEdit()->installEventFilter(&returns);
        ASSERT_TRUE(PointAt(text, at));
        pointer.Click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return picker->DateEdit()->hasFocus(); }, 5000));
        Type(c.typed);
        pointer.Keys({"Return"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return returns.count == 1; }, 5000));
        QCoreApplication::processEvents();
        EXPECT_EQ(picker->Date(), c.date) << text->text().toStdString();
        EXPECT_EQ(TestDialogs().Texts(), c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
    }
}

} // namespace
